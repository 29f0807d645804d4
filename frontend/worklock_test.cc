#include "frontend/worklock.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace zembu::frontend {
namespace {

namespace fs = std::filesystem;

class WorkLock : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "zembu_lock_XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string dir_;
};

TEST_F(WorkLock, ASecondTakerIsRefusedAndToldWhoHoldsIt) {
  work_lock first, second;
  long holder = 0;
  ASSERT_TRUE(take_work_lock(dir_, first, holder));
  // Another process asks: the lock is refused and names this process.
  const pid_t child = fork();
  if (child == 0) {
    work_lock other;
    long who = 0;
    const bool taken = take_work_lock(dir_, other, who);
    _exit(!taken && who == static_cast<long>(getppid()) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  release_work_lock(first);
  EXPECT_FALSE(fs::exists(dir_ + kLockFile));
  ASSERT_TRUE(take_work_lock(dir_, second, holder));
  release_work_lock(second);
  release_work_lock(second);  // twice does no harm
}

TEST_F(WorkLock, ALockLeftByAKilledRunIsTakenOver) {
  const pid_t child = fork();
  if (child == 0) {
    work_lock held;
    long who = 0;
    if (!take_work_lock(dir_, held, who)) _exit(1);
    _exit(0);  // ends without releasing: the file stays behind
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(fs::exists(dir_ + kLockFile));
  work_lock lock;
  long holder = 0;
  EXPECT_TRUE(take_work_lock(dir_, lock, holder));
  release_work_lock(lock);
}

TEST_F(WorkLock, ALinkUnderTheLockNameIsNotFollowed) {
  const std::string victim = dir_ + "victim";
  std::ofstream(victim) << "keep\n";
  fs::create_symlink(victim, dir_ + kLockFile);
  work_lock lock;
  long holder = 0;
  EXPECT_FALSE(take_work_lock(dir_, lock, holder));
  EXPECT_EQ(holder, -1);
  std::ifstream f(victim);
  std::string line;
  std::getline(f, line);
  EXPECT_EQ(line, "keep");
}

}  // namespace
}  // namespace zembu::frontend
