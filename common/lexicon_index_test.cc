#include "common/lexicon_index.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
  // Writes the lexicon `text` as lexi.zmb and its index as lexi.zix; returns the index.
  std::string write_lexicon(const std::string& text) const {
    write("lexi.zmb", text);
    std::string index, error;
    EXPECT_TRUE(index_lexicon_file(path("lexi.zmb"), index, error)) << error;
    write("lexi.zix", index);
    return index;
  }
  // Opens `zix` for lexi.zmb and looks every key up: false when refused at some step.
  bool accepted(const std::string& zix, const std::map<std::string, uint64_t>& keys) const {
    lexicon_index index;
    std::string why;
    std::vector<uint64_t> positions;
    if (!index.open(path("lexi.zmb"), path(zix), why)) return false;
    for (const auto& k : keys) {
      if (!index.find(k.first, positions, why)) return false;
    }
    return true;
  }
  std::string dir_;
};

TEST_F(LexiconIndex, LinesAreCutAsTheLineReaderCutsThem) {
  for (const std::string& t :
       std::vector<std::string>{"A\nB\n", "A\nB", "\n\n\n", "A\r\nB\rC\r\n\r\n", "X\r", "",
                                std::string(79, 'a') + "\r\n" + std::string(81, 'c') + "\r\nM",
                                std::string("N\0UL\n\xff\n", 7)}) {
    write("lines", t);
    linereader r;
    ASSERT_TRUE(r.open(path("lines")));
    std::vector<std::string> expected, mine;
    std::string line;
    while (r.readline(line, lexicon_line_width)) expected.push_back(line);
    size_t pos = 0;
    std::string_view view;
    while (lexicon_line(t, pos, view)) mine.emplace_back(view);
    EXPECT_EQ(mine, expected) << t;
  }
}

TEST_F(LexiconIndex, DumpLookupsAndEntries) {
  EXPECT_EQ(index_name("definitions/lexi.zmb"), "definitions/lexi.zix");
  EXPECT_EQ(index_name("a.b/user1"), "a.b/user1.zix");
  // Positions are the offsets of the word lines, in file order; a headword is the word
  // line cut to 80 and before ">"; the last entry may lack its entry line.
  const std::string text =
      "WALK\nVER---geh\nHOUSE>house+X\nNOM---Haus\n\nADJ---leer\n"
      "WALK\nNOM---Gang\nB\r\nNOM---b\r\n" +
      std::string(85, 'Z') + "\nx\nLAST";
  const std::string dump = dump_lexicon_index(write_lexicon(text));
  EXPECT_EQ(dump.substr(dump.find("; ") + 2),
            "6 headwords, 7 entries in 1 blocks\n: 40\nB: 68\nHOUSE: 15\nLAST: 168\n"
            "WALK: 0 52\n" +
                std::string(80, 'Z') + ": 80\n");
  EXPECT_EQ(dump.rfind("lexicon of 172 bytes, modified ", 0), 0u);
  lexicon_index index;
  std::string why, word, entry;
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  std::vector<uint64_t> positions;
  for (const char* key : {"WALK", "B", "", "LAST", "WALKS", "A", "ZZZZ", "HOUSE>house+X"}) {
    ASSERT_TRUE(index.find(key, positions, why)) << why;
  }
  EXPECT_EQ(positions, (std::vector<uint64_t>{0, 52, 68, 40, 168}));
  // Looked up again (from what the first lookups found), the keys give the same positions.
  std::vector<uint64_t> again{7};
  for (const char* key : {"WALK", "B", "", "LAST", "WALKS", "A", "ZZZZ", "HOUSE>house+X"}) {
    ASSERT_TRUE(index.find(key, again, why)) << why;
  }
  EXPECT_EQ(again, (std::vector<uint64_t>{7, 0, 52, 68, 40, 168}));
  ASSERT_TRUE(index.read_entry(68, word, entry));
  EXPECT_EQ(word + "|" + entry, "B|NOM---b");
  ASSERT_TRUE(index.read_entry(168, word, entry));
  EXPECT_EQ(word + "|" + entry, "LAST|");
  EXPECT_FALSE(index.read_entry(69, word, entry));  // not the start of a line
  EXPECT_FALSE(index.read_entry(text.size(), word, entry));
  // An entry read before comes from memory; the others from the file.
  {
    std::fstream f(path("lexi.zmb"), std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(static_cast<std::streamoff>(text.find("NOM---b")));
    f << "NOM---c";
    f.seekp(static_cast<std::streamoff>(text.find("Gang")));
    f << "Gong";
  }
  ASSERT_TRUE(index.read_entry(68, word, entry));
  EXPECT_EQ(word + "|" + entry, "B|NOM---b");
  ASSERT_TRUE(index.read_entry(52, word, entry));
  EXPECT_EQ(word + "|" + entry, "WALK|NOM---Gong");

  // A lexicon of many blocks and a long entry line.
  std::map<std::string, uint64_t> keys;
  std::string big;
  for (int i = 0; i < 3000; ++i) {
    keys["K" + std::to_string(i)] = big.size();
    big += "K" + std::to_string(i) + "\n" + std::string(i % 700, 'e') + "\n";
  }
  write_lexicon(big);
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  // Opened anew, the index forgets the lookups made in the lexicon before.
  positions.clear();
  ASSERT_TRUE(index.find("WALK", positions, why)) << why;
  EXPECT_TRUE(positions.empty());
  EXPECT_FALSE(index.read_entry(68, word, entry));  // inside an entry of the new lexicon
  for (const auto& [key, position] : keys) {
    positions.clear();
    ASSERT_TRUE(index.find(key, positions, why) && index.read_entry(position, word, entry));
    EXPECT_EQ(positions, std::vector<uint64_t>{position});
    EXPECT_EQ(word + " " + std::to_string(entry.size()),
              key + " " + std::to_string(std::min(std::stoi(key.substr(1)) % 700, 80)));
  }
}

TEST_F(LexiconIndex, AnOpenIndexFitsOnlyWhileItsLexiconStaysTheSame) {
  write_lexicon("A\nx\n");
  lexicon_index index;
  std::string why;
  EXPECT_FALSE(index.still_fits(path("lexi.zmb")));  // not open
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  EXPECT_TRUE(index.still_fits(path("lexi.zmb")));
  // Touched: another modification time.
  struct timespec other[2] = {{0, UTIME_OMIT}, {1000, 1}};
  ASSERT_EQ(utimensat(AT_FDCWD, path("lexi.zmb").c_str(), other, 0), 0);
  EXPECT_FALSE(index.still_fits(path("lexi.zmb")));
  // Replaced by a copy with the very same size and time: another file all the same.
  write_lexicon("A\nx\n");
  ASSERT_TRUE(index.open(path("lexi.zmb"), path("lexi.zix"), why)) << why;
  EXPECT_TRUE(index.still_fits(path("lexi.zmb")));
  std::filesystem::copy_file(path("lexi.zmb"), path("copy"));
  struct stat info;
  ASSERT_EQ(stat(path("lexi.zmb").c_str(), &info), 0);
  struct timespec same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path("copy").c_str(), same, 0), 0);
  std::filesystem::rename(path("copy"), path("lexi.zmb"));
  EXPECT_FALSE(index.still_fits(path("lexi.zmb")));
  index.close();
  EXPECT_FALSE(index.still_fits(path("lexi.zmb")));
}

TEST_F(LexiconIndex, RefusesAnIndexThatDoesNotFitOrIsDamaged) {
  lexicon_index index;
  std::string why;
  write("lexi.zmb", "A\nx\n");
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why, "");  // no index: nothing to report
  // The same bytes modified at another time; another size modified at the same time.
  write_lexicon("A\nx\n");
  struct stat info;
  ASSERT_EQ(stat(path("lexi.zmb").c_str(), &info), 0);
  struct timespec other[2] = {{0, UTIME_OMIT}, {1000, 1}},
                  same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path("lexi.zmb").c_str(), other, 0), 0);
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));
  EXPECT_EQ(why.rfind("made for another lexicon file (size 4, modified ", 0), 0u) << why;
  write("lexi.zmb", "A\nxy\n");
  ASSERT_EQ(utimensat(AT_FDCWD, path("lexi.zmb").c_str(), same, 0), 0);
  EXPECT_FALSE(index.open(path("lexi.zmb"), path("lexi.zix"), why));

  std::map<std::string, uint64_t> keys;
  std::string text;
  for (int i = 0; i < 150; ++i) {
    keys["K" + std::to_string(i)] = text.size();
    text += "K" + std::to_string(i) + "\nNOM---x\n";
  }
  const std::string good = write_lexicon(text);
  ASSERT_TRUE(accepted("lexi.zix", keys));
  ASSERT_EQ(dump_lexicon_index(good).find(" entries in 1 blocks"), std::string::npos);
  // Every byte is under a checksum: a changed bit anywhere is refused by the lookups and
  // named by the dump; so is an index cut anywhere.
  int unnoticed = 0;
  for (size_t at = 0; at < good.size(); ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(bad[at] ^ (1 << (at % 8)));
    write("bad.zix", bad);
    unnoticed += accepted("bad.zix", keys) +
                 (dump_lexicon_index(bad).find("damaged: ") == std::string::npos);
  }
  for (size_t size = 0; size < good.size(); size += 7) {
    write("bad.zix", good.substr(0, size));
    unnoticed += accepted("bad.zix", keys);
  }
  EXPECT_EQ(unnoticed, 0);
}

}  // namespace
}  // namespace zembu
