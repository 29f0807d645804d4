// The lexicon search through a headword index gives exactly what the full scan gives: the
// word tables of generated sentences over generated lexicons, in every search mode, once
// with the index and once with it moved away.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "engine/lexikon2.h"
#include "engine/scratch_dir_fixture.h"
#include "engine/wordtable.h"

namespace zembu::engine {
namespace {

// prefix, suffix, termination, admissible classes (the last but one admits every class,
// the last makes the whole word a stem).
const std::array<const char*, 4> kTerminations[] = {
    {"", "S", "PLU------", "NOM"}, {"", "ING", "PRP------", "VER"},   {"UN", "", "NEG------", ""},
    {"", "LY", "ADV", "ADJ"},      {"RE", "ING", "AGN------", "..."}, {"", "", "EMP------", "NAM"}};
const char* const kClasses[] = {"NOM---Sns", "VER---xxx",     "ADJ---xxx",
                                "NAM---Sns", "\xffNOM---Sns", "XXX*NOM---SnsA*VER---xxx"};

struct dice {
  uint64_t s;
  int below(int n) {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((s >> 33) % static_cast<uint64_t>(n));
  }
};

// Few letters, so that stems and whole words of the lexicon meet often.
std::string letters(dice& d, int n) {
  std::string w;
  while (n-- > 0) w += static_cast<char>('A' + d.below(9));
  return w;
}

// A lexicon of n headwords with outforms, second words, duplicates, stems before and
// after their whole words, an empty word line, a headword beyond 80 characters and a
// carriage return; the sentences search each headword, an affixed form of it, now and
// then with a capital, and words that are not in the lexicon, 30 words a sentence.
void generate(int n, std::string& lexicon, std::vector<std::string>& sentences) {
  dice d{7};
  std::vector<std::string> words;
  auto add = [&](const std::string& line, const std::string& head) {
    lexicon += line + "\n" + kClasses[d.below(6)] + "x" + head + "\n";
    words.push_back(head);
  };
  for (int i = 0; i < n; ++i) {
    if (i == n * 7 / 10)
      lexicon +=
          "\n\xff"
          "ADJ---xxxleer\n";
    if (i == n / 2) lexicon += std::string(90, 'A') + "\nNOM---lang\nCR\r\nNOM---cr\r\n";
    const std::string w = letters(d, 2 + d.below(6));
    const std::array<const char*, 4>& t = kTerminations[d.below(5)];
    const std::string whole = t[0] + w + t[1];
    switch (d.below(6)) {
      case 0:
        add(w + ">" + w + "x", w);
        break;
      case 1:
        add(w + ">" + w + "+NEG", w);
        break;
      case 2:
        add(words.empty() ? w : words[d.below(static_cast<int>(words.size()))], w);
        break;
      case 3:
        add(whole, whole);
        add(w, w);
        break;
      case 4:
        add(w, w);
        add(whole, whole);
        break;
      default:
        add(w, w);
    }
  }
  std::string s;
  int count = 0;
  auto token = [&](const std::string& key, const std::string& written = "") {
    if (count == 0) s = "STR ------\n";
    if (d.below(6) == 0) s += "YYY *\n";
    s += "ZZZ " + key + " \xffZZZ---ZZZ" + (written.empty() ? key : written) + "\n";
    if (++count < 30) return;
    sentences.push_back(s + "SEN . \xffSEN------.\n");
    count = 0;
  };
  for (const std::string& w : words) {
    const std::array<const char*, 4>& t = kTerminations[d.below(5)];
    token(w);
    token(t[0] + w + t[1]);
    if (d.below(4) == 0) token(letters(d, 5) + "Q", "unknown");
    if (d.below(20) == 0) token("R" + std::to_string(d.below(100)) + "D");
  }
  if (count > 0) sentences.push_back(s + "SEN . \xffSEN------.\n");
}

class HeadwordIndex : public InScratchDir {
 protected:
  void write_lexicon(const std::string& text) {
    write("lexi.zmb", text);
    std::string index, error;
    ASSERT_TRUE(index_lexicon_file("lexi.zmb", index, error)) << error;
    write("lexi.zix", index);
  }

  // The class line and word table after a search of the token lines; `indexed`: the
  // search is to use the index from start to end.
  std::string searched(const std::string& tokens, searchmodus mode, bool indexed) {
    auto eng = std::make_unique<engine_state>();
    eng->settings.shell_mode = true;  // no echo of the sentence label
    for (const auto& t : kTerminations) {
      eng->terminations[++eng->termination_count] = {t[0], t[1], t[2], t[3]};
    }
    linereader in(tokens);
    read_token_sentence(*eng, in, 150);
    lexikon lex;
    EXPECT_TRUE(lex.open(*eng, "lexi.zmb"));
    EXPECT_EQ(lex.uses_headword_index(), indexed);
    search_sentence(*eng, mode, lex);
    EXPECT_EQ(lex.uses_headword_index(), indexed);
    std::string out = eng->table.class_line.text + "\n";
    for (int q = 1; q <= eng->table.word_count; ++q) {
      out += eng->table.originals[q].str() + " | " + eng->table.words[q].str() + "\n";
    }
    return out;
  }

  // Compares every search with and without the index; returns the tables found.
  std::string expect_scan_results(const std::vector<std::string>& sentences) {
    const searchmodus modes[] = {searchmodus::normal, searchmodus::forsecond, searchmodus::simple};
    std::vector<std::string> with_index;
    for (const std::string& s : sentences) {
      for (searchmodus m : modes) with_index.push_back(searched(s, m, true));
    }
    EXPECT_EQ(std::rename("lexi.zix", "moved.zix"), 0);
    size_t i = 0, differ = 0;
    std::string all;
    for (const std::string& s : sentences) {
      for (searchmodus m : modes) {
        const std::string scanned = searched(s, m, false);
        if (scanned != with_index[i] && ++differ <= 3) {
          ADD_FAILURE() << "mode " << static_cast<int>(m) << "\n"
                        << s << "scan:\n"
                        << scanned << "index:\n"
                        << with_index[i];
        }
        all += with_index[i++];
      }
    }
    EXPECT_EQ(differ, 0u) << "of " << i << " searches";
    return all;
  }
};

TEST_F(HeadwordIndex, GeneratedLexiconGivesTheTablesOfTheScan) {
  std::string lexicon;
  std::vector<std::string> sentences;
  generate(700, lexicon, sentences);
  write_lexicon(lexicon);
  ASSERT_GT(sentences.size(), 60u);
  const std::string tables = expect_scan_results(sentences);
  // The searches met entries of whole words and of stems with their terminations, the
  // empty word line, second words of outforms, names, numbers and default entries.
  for (const char* kind :
       {"| NOM---Snsx", "| PLU------", "| PRP-------ING", "| NEG------UN-", "| ADJ---xxxleer",
        "| NEG------\n", "| NAM---Sns", "| NUM---NUM", "| UUU*NAM", "| ADV\n"}) {
    EXPECT_NE(tables.find(kind), std::string::npos) << kind;
  }
}

TEST_F(HeadwordIndex, EndsOfTheLexiconFile) {
  // The last entry without an entry line or a line feed, an empty last word line,
  // carriage returns at line ends, lexicons of one line and of none.
  const std::string sentence =
      "STR ------\nZZZ WALK \xffZZZ---ZZZwalk\nZZZ LAST \xffZZZ---ZZZlast\nZZZ LASTS "
      "\xffZZZ---ZZZl\n"
      "ZZZ UNDO \xffZZZ---ZZZundo\nYYY *\nZZZ TALKING \xffZZZ---ZZZTalking\nSEN . \xffSEN------.\n";
  std::string tables;
  for (const std::string text :
       {"WALK\nVER---geh\nLAST", "WALK\nVER---geh\nLAST\n", "WALK\nVER---geh\nLAST\nNOM---x",
        "TALK\nVER---y\n\n", "WALK\r\nVER---geh\r\nDO\r\nVER---z\r\n\r\n", "LAST", "", "\n",
        "\nNOM---x\nLAST\nNOM---y\n"}) {
    SCOPED_TRACE(text);
    write_lexicon(text);
    tables += expect_scan_results({sentence});
  }
  EXPECT_NE(tables.find("LAST | NOM---x\nLAST | NOM---x\n-S | PLU-------S"), std::string::npos);
}

TEST_F(HeadwordIndex, AnIndexThatDoesNotFitIsLeftAside) {
  // Two entries of the same length swapped under the old time of modification: the first
  // candidate read is not the expected word line, and the scan takes over.
  write_lexicon("AAA\nNOM---a\nBBB\nNOM---b\n");
  struct stat info;
  ASSERT_EQ(stat("lexi.zmb", &info), 0);
  write("lexi.zmb", "BBB\nNOM---b\nAAA\nNOM---a\n");
  struct timespec same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, "lexi.zmb", same, 0), 0);
  auto eng = std::make_unique<engine_state>();
  eng->settings.shell_mode = true;
  linereader in(
      "STR ------\nZZZ AAA \xffZZZ---ZZZa\nZZZ BBB \xffZZZ---ZZZb\nSEN . \xffSEN------.\n");
  read_token_sentence(*eng, in, 150);
  lexikon lex;
  ASSERT_TRUE(lex.open(*eng, "lexi.zmb"));
  EXPECT_TRUE(lex.uses_headword_index());
  search_sentence(*eng, searchmodus::normal, lex);
  EXPECT_FALSE(lex.uses_headword_index());
  EXPECT_EQ(eng->table.words[2].str() + eng->table.words[3].str(), "NOM---aNOM---b");
  // Enciphered definitions are always scanned.
  write_lexicon("AAA\nNOM---a\n");
  eng->settings.plain_definitions = false;
  ASSERT_TRUE(lex.open(*eng, "lexi.zmb"));
  EXPECT_FALSE(lex.uses_headword_index());
}

}  // namespace
}  // namespace zembu::engine
