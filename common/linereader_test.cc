#include "common/linereader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace zembu {
namespace {

std::vector<std::string> lines_of(std::string text, size_t width = kShortWidth) {
  linereader r(std::move(text));
  std::vector<std::string> out;
  std::string line;
  while (r.readline(line, width)) out.push_back(line);
  return out;
}

TEST(LineReader, SplitsAtLineFeedsAndKeepsALastLineWithoutOne) {
  EXPECT_EQ(lines_of("ab\ncd\n"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(lines_of("ab\ncd"), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(lines_of("\n\n"), (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(lines_of("").empty());
}

TEST(LineReader, DropsOnlyTheCarriageReturnOfALineEnd) {
  EXPECT_EQ(lines_of("abc\r\nd\re\n"), (std::vector<std::string>{"abc", "d\re"}));
  EXPECT_EQ(lines_of("x\r"), (std::vector<std::string>{"x\r"}));
}

// Shared bytes and a file with the same bytes give the same lines and bytes.
TEST(LineReader, SharedBytesReadAsTheFileWouldBe) {
  const std::string text = std::string("a\rb\r\r\n\r\n") + '\0' + "x\n" +
                           std::string(300, 'y') + "\r\nlast\r";
  char name[] = "/tmp/zembu_linereader_XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  const auto bytes = std::make_shared<const std::string>(text);
  for (size_t width : {size_t{3}, kShortWidth, std::string::npos}) {
    linereader file, shared(bytes);
    ASSERT_TRUE(file.open(name));
    std::string a, b;
    bool more = true;
    while (more) {
      more = file.readline(a, width);
      EXPECT_EQ(shared.readline(b, width), more);
      EXPECT_EQ(a, b);
    }
  }
  linereader shared(bytes);
  ASSERT_TRUE(shared.seek(9));
  EXPECT_EQ(shared.get(), 'x');
  EXPECT_EQ(*bytes, text);  // reading never changes the shared bytes
  unlink(name);
}

TEST(LineReader, CutsLongLinesAndSkipsTheirRest) {
  std::string text(300, 'a');
  text += "\nnext\n";
  auto lines = lines_of(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(255, 'a'));
  EXPECT_EQ(lines[1], "next");
  EXPECT_EQ(lines_of("abcdef\r\n", 3), (std::vector<std::string>{"abc"}));
}

TEST(LineReader, ByteAccessWithUngetAndSeek) {
  linereader r(std::string("a\0\xff", 3));
  EXPECT_EQ(r.get(), 'a');
  EXPECT_EQ(r.get(), 0);
  EXPECT_EQ(r.get(), 255);
  EXPECT_TRUE(r.eof());
  EXPECT_EQ(r.get(), -1);
  ASSERT_TRUE(r.seek(1));
  EXPECT_EQ(r.get(), 0);
  r.unget(0);
  EXPECT_EQ(r.get(), 0);
  EXPECT_FALSE(r.eof());
}

TEST(LineReader, ANotOpenReaderIsAtItsEnd) {
  linereader r;
  std::string line = "old";
  EXPECT_FALSE(r.is_open());
  EXPECT_FALSE(r.readline(line));
  EXPECT_EQ(line, "");
  EXPECT_FALSE(r.open("/nonexistent/dir/file"));
  EXPECT_EQ(r.get(), -1);
}

TEST(LineReader, DirectoriesAreNoTextAndFailedWritesAreReported) {
  linereader r;
  EXPECT_FALSE(r.open("/tmp"));
  linewriter full;
  ASSERT_TRUE(full.create("/dev/full"));
  full.writeline(std::string(100000, 'x'));
  EXPECT_FALSE(full.close());
  linewriter closed;
  EXPECT_FALSE(closed.close());
}

TEST(LineReader, FlushedLinesAreOnDiskWhileTheFileStaysOpen) {
  char dir[] = "/tmp/zembu_flush_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/words";
  linewriter w;
  ASSERT_TRUE(w.append_own(path));
  w.writeline("first");
  w.flush();
  w.writeline("second");
  std::string line;
  {
    linereader r;
    ASSERT_TRUE(r.open(path));
    EXPECT_TRUE(r.readline(line, std::string::npos));
    EXPECT_EQ(line, "first");
    EXPECT_FALSE(r.readline(line, std::string::npos));  // not flushed yet
  }
  w.flush();
  EXPECT_TRUE(w.close());
  linereader r;
  ASSERT_TRUE(r.open(path));
  EXPECT_TRUE(r.readline(line, std::string::npos));
  EXPECT_TRUE(r.readline(line, std::string::npos));
  EXPECT_EQ(line, "second");
  r.close();
  EXPECT_FALSE(r.open(path + "/below"));  // a regular file holds no names
  EXPECT_FALSE(r.is_open());
  delete_file(path);
  EXPECT_FALSE(r.open(path));
  rmdir(dir);
  // A flush that cannot write is reported by the close.
  linewriter full;
  ASSERT_TRUE(full.create("/dev/full"));
  full.writeline("x");
  full.flush();
  EXPECT_EQ(full.error(), ENOSPC);
  EXPECT_FALSE(full.close());
}

TEST(LineReader, FailuresKeepTheirReasonAndNewFilesTakeNoExistingName) {
  linewriter full;
  ASSERT_TRUE(full.create("/dev/full"));
  EXPECT_EQ(full.error(), 0);
  full.writeline(std::string(100000, 'x'));
  full.writeline("more");  // the first failure's reason stays
  EXPECT_FALSE(full.close());
  EXPECT_EQ(full.error(), ENOSPC);
  EXPECT_FALSE(full.create("/nonexistent/dir/file"));
  EXPECT_EQ(full.error(), ENOENT);

  char dir[] = "/tmp/zembu_new_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string d = dir;
  const std::string fresh = d + "/fresh", taken = d + "/taken", soft = d + "/soft";
  linewriter w;
  ASSERT_TRUE(w.create_new(fresh));
  w.writeline("one");
  EXPECT_TRUE(w.close());
  EXPECT_EQ(w.error(), 0);
  EXPECT_FALSE(w.create_new(fresh));
  EXPECT_EQ(w.error(), EEXIST);
  ASSERT_EQ(symlink(taken.c_str(), soft.c_str()), 0);  // a dangling link is a taken name
  EXPECT_FALSE(w.create_new(soft));
  EXPECT_EQ(w.error(), EEXIST);
  EXPECT_FALSE(file_exists(taken));
  linereader r;
  std::string line;
  ASSERT_TRUE(r.open(fresh));
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, "one");
  r.close();
  for (const std::string& f : {fresh, soft}) std::remove(f.c_str());
  rmdir(dir);
}

TEST(LineReader, OwnScratchFilesNeverWriteThroughLinks) {
  char dir[] = "/tmp/zembu_own_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string victim = std::string(dir) + "/victim", link = std::string(dir) + "/link";
  {
    linewriter v;
    ASSERT_TRUE(v.create(victim));
    v.writeline("keep");
  }
  ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
  linewriter w;
  EXPECT_FALSE(w.append_own(link));  // refused, not followed
  ASSERT_TRUE(w.create_own(link));   // the link itself is replaced by a new file
  w.writeline("new");
  EXPECT_TRUE(w.close());
  linereader r;
  std::string line;
  ASSERT_TRUE(r.open(victim));
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, "keep");
  ASSERT_TRUE(r.open(link));
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, "new");
  ASSERT_TRUE(w.append_own(link));  // now a plain file of our own
  r.close();
  std::remove(link.c_str());
  std::remove(victim.c_str());
  rmdir(dir);
}

TEST(LineReader, OutputsAreNeverWrittenThroughLinks) {
  char dir[] = "/tmp/zembu_out_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string d = dir;
  const std::string victim = d + "/victim", soft = d + "/soft", hard = d + "/hard";
  auto first_line = [](const std::string& path) {
    linereader r;
    std::string line;
    if (!r.open(path) || !r.readline(line)) return std::string("<none>");
    return line;
  };
  {
    linewriter v;
    ASSERT_TRUE(v.create(victim));
    v.writeline("keep");
  }
  ASSERT_EQ(symlink(victim.c_str(), soft.c_str()), 0);
  ASSERT_EQ(link(victim.c_str(), hard.c_str()), 0);
  linewriter w;
  EXPECT_FALSE(w.create(soft));
  EXPECT_FALSE(w.append(soft));
  ASSERT_TRUE(w.create(hard));  // a new file replaces the second name
  w.writeline("new");
  EXPECT_TRUE(w.close());
  ASSERT_TRUE(w.append(hard));  // now its own file: appended in place
  w.writeline("more");
  EXPECT_TRUE(w.close());
  EXPECT_EQ(first_line(victim), "keep");
  EXPECT_EQ(first_line(hard), "new");
  // An existing plain file is emptied by create.
  ASSERT_TRUE(w.create(hard));
  EXPECT_TRUE(w.close());
  EXPECT_EQ(first_line(hard), "<none>");
  for (const std::string& f : {victim, soft, hard}) std::remove(f.c_str());
  rmdir(dir);
}

TEST(LineReader, CreateEmptiesFilesKeepingModeAndOtherOwners) {
  char dir[] = "/tmp/zembu_empty_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string own = std::string(dir) + "/own", other = std::string(dir) + "/other";
  auto fill = [](const std::string& path, const char* line) {
    linewriter w;
    ASSERT_TRUE(w.create(path));
    w.writeline(line);
    ASSERT_TRUE(w.close());
  };
  auto info = [](const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return st;
  };
  fill(own, "old");
  ASSERT_EQ(chmod(own.c_str(), 0600), 0);
  fill(own, "new");  // replaced by a new file of the same permissions
  EXPECT_EQ(info(own).st_mode & 0777, 0600u);
  EXPECT_EQ(info(own).st_size, 4);
  linewriter w;
  ASSERT_TRUE(w.create(own));  // and emptied when nothing is written
  EXPECT_TRUE(w.close());
  EXPECT_EQ(info(own).st_size, 0);
  // A file of another owner (only root can make one here) is emptied in place: its owner
  // and identity stay.
  fill(other, "old");
  if (geteuid() == 0 && chown(other.c_str(), 65534, 65534) == 0) {
    const ino_t inode = info(other).st_ino;
    fill(other, "new");
    EXPECT_EQ(info(other).st_ino, inode);
    EXPECT_EQ(info(other).st_uid, 65534u);
    EXPECT_EQ(info(other).st_size, 4);
  }
  for (const std::string& f : {own, other}) std::remove(f.c_str());
  rmdir(dir);
}

TEST(LineReader, WriterAndReaderRoundTripThroughAFile) {
  char name[] = "/tmp/zembu_lr_XXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  {
    linewriter w;
    ASSERT_TRUE(w.create(name));
    w.writeline("one");
    w.write("tw");
    w.writeline("o");
    EXPECT_TRUE(w.close());
  }
  {
    linewriter w;
    ASSERT_TRUE(w.append(name));
    w.writeline(std::string("\xff\x01", 2));
  }
  linereader r;
  ASSERT_TRUE(r.open(name));
  std::string line;
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, "two");
  ASSERT_TRUE(r.readline(line));
  EXPECT_EQ(line, std::string("\xff\x01", 2));
  EXPECT_FALSE(r.readline(line));
  r.close();
  delete_file(name);
  EXPECT_FALSE(file_exists(name));
  delete_file(name);  // a missing file is no error
}

}  // namespace
}  // namespace zembu
