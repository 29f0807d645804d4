#include "engine/definition_cache.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "engine/scratch_dir_fixture.h"

namespace zembu::engine {
namespace {

using DefinitionCache = InScratchDir;

std::string first_line(definition_cache& c, const std::string& path) {
  linereader f;
  if (!open_cached(c, f, path)) return "<not open>";
  std::string line;
  f.readline(line, std::string::npos);
  return line;
}

// Writes new bytes of the same length under the name and gives the file its old
// modification time back: only the kept copy can still show the old bytes.
void replace_unnoticed(const std::string& name, const std::string& bytes) {
  struct stat st;
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  {
    std::ofstream f(name, std::ios::binary | std::ios::in | std::ios::out);
    f << bytes;
  }
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
}

TEST_F(DefinitionCache, AFileIsReadOnceWhileItStaysTheSame) {
  write("synt1.zmb", "old\n");
  definition_cache c;
  EXPECT_EQ(first_line(c, "synt1.zmb"), "old");
  replace_unnoticed("synt1.zmb", "new\n");
  EXPECT_EQ(first_line(c, "synt1.zmb"), "old");
  // A change of size (or time, or a new file under the name) is seen.
  write("synt1.zmb", "changed\n");
  EXPECT_EQ(first_line(c, "synt1.zmb"), "changed");
  std::filesystem::remove("synt1.zmb");
  write("synt1.zmb", "renewed\n");
  EXPECT_EQ(first_line(c, "synt1.zmb"), "renewed");
}

TEST_F(DefinitionCache, TemplatesLargeFilesDirectoriesAndMissingFiles) {
  write("1234yyy.zmb", "first\n");
  write("big.zmb", std::string(max_cached_file, 'a') + "\n");
  definition_cache c;
  EXPECT_EQ(first_line(c, "1234yyy.zmb"), "first");
  EXPECT_EQ(first_line(c, "big.zmb").size(), static_cast<size_t>(max_cached_file));
  replace_unnoticed("1234yyy.zmb", "other\n");
  replace_unnoticed("big.zmb", "b");
  EXPECT_EQ(first_line(c, "1234yyy.zmb"), "other");
  EXPECT_EQ(first_line(c, "big.zmb")[0], 'b');
  EXPECT_TRUE(c.files.empty());
  std::filesystem::create_directory("dir.zmb");
  EXPECT_EQ(first_line(c, "dir.zmb"), "<not open>");
  EXPECT_EQ(first_line(c, "none.zmb"), "<not open>");
}

}  // namespace
}  // namespace zembu::engine
