#include "common/lexicon_index.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "common/linereader.h"

namespace zembu {
namespace {

class LexiconIndex : public testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zembu_zix_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Writes the lexicon `text` and its index.
  void write_lexicon(const std::string& text) const {
    write("lexi.zmb", text);
    std::string index, error;
    ASSERT_TRUE(index_lexicon_file(path("lexi.zmb"), index, error)) << error;
    write("lexi.zix", index);
  }

  std::string dir_;
};

// The lines of `text` as the engine's line reader reads them from a file.
std::vector<std::string> reader_lines(const std::string& file) {
  linereader r;
  EXPECT_TRUE(r.open(file));
  std::vector<std::string> out;
  std::string line;
  while (r.readline(line, lexicon_line_width)) out.push_back(line);
  return out;
}

TEST_F(LexiconIndex, LinesAreCutAsTheLineReaderCutsThem) {
  const std::string texts[] = {
      "A\nB\n", "A\nB", "\n\n\n", "A\r\nB\rC\r\n\r\n", "X\r", std::string(100, 'L') + "\r\nM",
      std::string(79, 'a') + "\r\n" + std::string(80, 'b') + "\r\n" + std::string(81, 'c'),
      std::string("N\0UL\n\xff\x80\n", 9), ""};
  for (const std::string& t : texts) {
    write("lines", t);
    std::vector<std::string> mine;
    size_t pos = 0;
    std::string_view line;
    while (lexicon_line(t, pos, line)) mine.emplace_back(line);
    EXPECT_EQ(mine, reader_lines(path("lines"))) << t;
  }
}

TEST_F(LexiconIndex, HeadwordsNamesAndDump) {
  EXPECT_EQ(headword("HOUSE>house"), "HOUSE");
  EXPECT_EQ(headword("CANNOT>can+NEG"), "CANNOT");
  EXPECT_EQ(headword("WALK"), "WALK");
  EXPECT_EQ(headword(">x"), "");
  EXPECT_EQ(index_name("definitions/lexi.zmb"), "definitions/lexi.zix");
  EXPECT_EQ(index_name("a.b/user1"), "a.b/user1.zix");
  EXPECT_EQ(index_name("x.y.zmb"), "x.y.zix");

  // Positions are the byte offsets of the word lines; duplicates keep file order; a
  // headword is compared as the engine compares it (cut to 80, without ">" and the rest).
  const std::string text = "WALK\nVER---xxxgeh\n"          // 0
                           "HOUSE>house\nNOM---Haus\n"     // 18
                           "\nADJ---leer\n"                // 41
                           "WALK\nNOM---Gang\n"            // 53
                           "B\r\nNOM---b\r\n" +            // 69
                           std::string(85, 'Z') + "\nx\n"  // 81
                           "LAST";                         // 169: no entry line
  std::string dump = dump_lexicon_index(build_lexicon_index(text, {text.size(), 17, 5}));
  EXPECT_EQ(dump, "lexicon of 173 bytes, modified 17.5; 6 headwords, 7 entries in 1 blocks\n"
                  ": 41\n"
                  "B: 69\n"
                  "HOUSE: 18\n"
                  "LAST: 169\n"
                  "WALK: 0 53\n" +
                      std::string(80, 'Z') + ": 81\n");
  EXPECT_EQ(dump_lexicon_index(build_lexicon_index("", {0, 0, 0})),
            "lexicon of 0 bytes, modified 0.0; 0 headwords, 0 entries in 0 blocks\n");
  EXPECT_EQ(dump_lexicon_index("short"), "damaged: shorter than its header\n");
}

// A lexicon of n entries whose headwords are distinct: "K<i>" for entry i.
std::string numbered_lexicon(int n, std::map<std::string, uint64_t>* positions = nullptr) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    const std::string key = "K" + std::to_string(i);
    if (positions) (*positions)[key] = text.size();
    text += key + "\nNOM---Sns" + std::to_string(i * 7) + "\n";
  }
  return text;
}

TEST_F(LexiconIndex, LooksUpEntriesAcrossBlocksAndReadsThem) {
  std::map<std::string, uint64_t> expected;
  const std::string text = numbered_lexicon(2000, &expected);
  write_lexicon(text);
  lexicon_index index;
  std::string why;
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  std::vector<uint64_t> positions;
  for (const auto& [key, position] : expected) {
    positions.clear();
    ASSERT_TRUE(index.find(key, positions, why)) << why;
    ASSERT_EQ(positions, std::vector<uint64_t>{position}) << key;
    std::string word, entry;
    ASSERT_TRUE(index.read_entry(position, word, entry));
    EXPECT_EQ(word, key);
    EXPECT_EQ(entry, "NOM---Sns" + std::to_string(std::stoi(key.substr(1)) * 7));
  }
  for (const char* absent : {"", "A", "K", "K20000", "K1999X", "ZZZ"}) {
    positions.clear();
    EXPECT_TRUE(index.find(absent, positions, why));
    EXPECT_TRUE(positions.empty()) << absent;
  }
  // Only the start of an entry's word line is an entry.
  std::string word, entry;
  EXPECT_TRUE(index.read_entry(0, word, entry));
  EXPECT_EQ(word, "K0");
  EXPECT_EQ(entry, "NOM---Sns0");
  EXPECT_FALSE(index.read_entry(1, word, entry));
  EXPECT_FALSE(index.read_entry(text.size(), word, entry));
}

TEST_F(LexiconIndex, ReadsLongLinesAndTheLastEntry) {
  const std::string long_entry = std::string(3000, 'e');
  write_lexicon("A\n" + long_entry + "\nB\r\nx\r\nC");
  lexicon_index index;
  std::string why, word, entry;
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  ASSERT_TRUE(index.read_entry(0, word, entry));
  EXPECT_EQ(entry, std::string(80, 'e'));
  ASSERT_TRUE(index.read_entry(3003, word, entry));
  EXPECT_EQ(word, "B");
  EXPECT_EQ(entry, "x");
  ASSERT_TRUE(index.read_entry(3009, word, entry));
  EXPECT_EQ(word, "C");
  EXPECT_EQ(entry, "");
}

TEST_F(LexiconIndex, RefusesAnIndexOfAnotherLexiconFile) {
  lexicon_index index;
  std::string why;
  write("lexi.zmb", "A\nx\n");
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why, "");  // no index: nothing to report
  write_lexicon("A\nx\n");
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;

  // Another time of modification, the same bytes.
  struct timespec times[2] = {{0, UTIME_OMIT}, {1000, 1}};
  ASSERT_EQ(utimensat(AT_FDCWD, path("lexi.zmb").c_str(), times, 0), 0);
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));
  EXPECT_NE(why.find("another lexicon"), std::string::npos) << why;
  EXPECT_FALSE(index.is_open());

  // Another size, the same time of modification.
  write_lexicon("A\nx\n");
  struct stat info;
  ASSERT_EQ(stat(path("lexi.zmb").c_str(), &info), 0);
  write("lexi.zmb", "A\nxy\n");
  struct timespec same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path("lexi.zmb").c_str(), same, 0), 0);
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));

  // Not an index at all; a lexicon that is gone.
  write("lexi.zix", std::string(200, 'x'));
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why, "not a lexicon index of this version");
  write_lexicon("A\nx\n");
  EXPECT_FALSE(index.open(path("gone.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why, "the lexicon cannot be read");
}

// Opens the index and looks every headword up: false when the index was refused at some
// step.
bool accepted(const std::string& lexicon, const std::string& zix,
              const std::map<std::string, uint64_t>& expected) {
  lexicon_index index;
  std::string why;
  if (!index.open(lexicon, zix, why)) return false;
  std::vector<uint64_t> positions;
  for (const auto& entry : expected) {
    if (!index.find(entry.first, positions, why)) return false;
  }
  return true;
}

TEST_F(LexiconIndex, EveryDamagedOrShortenedIndexIsRefused) {
  std::map<std::string, uint64_t> expected;
  write_lexicon(numbered_lexicon(150, &expected));
  const std::string good = read("lexi.zix");
  const std::string dump = dump_lexicon_index(good);
  const size_t blocks = dump.find(" entries in ");
  ASSERT_NE(blocks, std::string::npos);
  ASSERT_GE(std::stoi(dump.substr(blocks + 12)), 2) << dump.substr(0, blocks + 20);
  ASSERT_TRUE(accepted(path("lexi.zmb"), path("lexi.zix"), expected));
  // Every byte is under a checksum: one changed bit anywhere is found by the lookups.
  int unnoticed = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ (1 << (at % 8)));
    write("bad.zix", bad);
    if (accepted(path("lexi.zmb"), path("bad.zix"), expected)) ++unnoticed;
    if (dump_lexicon_index(bad).find("damaged: ") == std::string::npos) ++unnoticed;
  }
  EXPECT_EQ(unnoticed, 0);
  for (size_t size = 0; size < good.size(); size += 7) {
    write("short.zix", good.substr(0, size));
    lexicon_index index;
    std::string why;
    EXPECT_FALSE(index.open(path("lexi.zmb"), path("short.zix"), why)) << size;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
}  // namespace zembu
