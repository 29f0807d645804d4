// The lexicon search through a headword index gives exactly what the full scan gives: the
// word tables of generated sentences over generated lexicons, in every search mode, once
// with the index and once with it moved away.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <set>

#include "engine/lexikon2.h"
#include "engine/scratch_dir_fixture.h"
#include "engine/wordtable.h"

namespace zembu {
namespace {

// A small deterministic random source.
struct dice {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(s >> 33);
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
};

// prefix, suffix, termination, admissible classes.
const std::array<const char*, 4> kTerminations[] = {
    {"", "S", "PLU------", "NOM"},   {"", "ING", "PRP------", "VER"},
    {"", "ED", "PAS------", "VER"},  {"UN", "", "NEG------", ""},
    {"", "LY", "ADV", "ADJ"},        {"RE", "ING", "AGN------", "..."},
    {"", "", "EMP------", "NAM"},    {"", "ES", "PLU------", "NOM.OM"},
};
const char* const kClasses[] = {"NOM---Sns", "VER---xxx", "ADJ---xxx", "NAM---Sns",
                                "\xffNOM---Sns", "XXX*NOM---SnsA*VER---xxx"};
const char* const kAffixed[][2] = {{"", "S"}, {"", "ING"}, {"", "ED"}, {"UN", ""},
                                   {"", "LY"}, {"RE", "ING"}, {"", "ES"}};

std::string letters(dice& d, int min, int max) {
  std::string w;
  // Few letters, so that stems and whole words of the lexicon meet often.
  for (int n = min + d.below(max - min + 1); n > 0; --n) w += static_cast<char>('A' + d.below(9));
  return w;
}

std::string entry_for(dice& d, const std::string& headword) {
  return std::string(kClasses[d.below(6)]) + "x" + headword;
}

// A lexicon of about n entries with outforms, second words, duplicates, stems before and
// after their whole words, an entry without a word line, a headword beyond 80 characters
// and a line with a carriage return. Its headwords go to `headwords`.
std::string generated_lexicon(int n, std::vector<std::string>& headwords) {
  dice d{7};
  std::string text;
  auto add = [&](const std::string& word_line, const std::string& entry) {
    text += word_line + "\n" + entry + "\n";
    headwords.push_back(word_line.substr(0, word_line.find('>')));
  };
  for (int i = 0; i < n; ++i) {
    if (i == n * 7 / 10) text += "\n\xff" "ADJ---xxxleer\n";  // an empty word line
    if (i == n / 2) text += std::string(90, 'A') + "\nNOM---lang\nCR\r\nNOM---cr\r\n";
    const std::string w = letters(d, 2, 7);
    switch (d.below(10)) {
      case 0: add(w + ">" + w + "x", entry_for(d, w)); break;
      case 1: add(w + ">" + w + "+NEG", entry_for(d, w)); break;
      case 2: add(headwords.empty() ? w : headwords[d.below(static_cast<int>(headwords.size()))],
                  entry_for(d, w));
        break;
      case 3: {  // a whole word and its stem, in either order
        const auto& a = kAffixed[d.below(7)];
        const std::string whole = a[0] + w + a[1];
        if (d.below(2)) add(whole, entry_for(d, whole));
        add(w, entry_for(d, w));
        if (d.below(2)) add(whole, entry_for(d, whole));
        break;
      }
      default: add(w, entry_for(d, w));
    }
  }
  return text;
}

// Token lines of sentences over `words`: some written with a capital, some with affixes,
// some not in the lexicon, some numbers.
std::vector<std::string> generated_sentences(const std::vector<std::string>& words) {
  dice d{11};
  std::vector<std::string> sentences;
  std::string s;
  int in_sentence = 0;
  auto token = [&](const std::string& key) {
    if (in_sentence == 0) s = "STR ------\n";
    if (d.below(6) == 0) s += "YYY *\n";
    s += "ZZZ " + key + " \xffZZZ---ZZZ" + key + "\n";
    if (++in_sentence == 30) {
      sentences.push_back(s + "SEN . \xffSEN------.\n");
      in_sentence = 0;
    }
  };
  for (const std::string& w : words) {
    if (w.empty()) continue;
    token(w);
    const auto& a = kAffixed[d.below(7)];
    token(a[0] + w + a[1]);
    if (d.below(4) == 0) token(letters(d, 3, 8) + "Q");
    if (d.below(20) == 0) token("R" + std::to_string(d.below(100)) + "D");
    if (d.below(20) == 0) token("lower");
  }
  if (in_sentence > 0) sentences.push_back(s + "SEN . \xffSEN------.\n");
  return sentences;
}

class HeadwordIndex : public InScratchDir {
 protected:
  // Writes the lexicon and its index.
  void write_lexicon(const std::string& text) {
    write("lexi.zmb", text);
    std::string index, error;
    ASSERT_TRUE(index_lexicon_file("lexi.zmb", index, error)) << error;
    write("lexi.zix", index);
  }

  // The word table and class line after a search of the sentence `tokens` in lexi.zmb.
  // `indexed` tells whether the search is to use the index and must keep using it.
  std::string searched(const std::string& tokens, searchmodus mode, bool indexed) {
    auto eng = std::make_unique<engine_state>();
    eng->settings.shell_mode = true;  // no echo of the sentence label
    for (const auto& t : kTerminations) {
      termination_entry& e = eng->terminations[++eng->termination_count];
      e.first = t[0];
      e.second = t[1];
      e.third = t[2];
      e.fourth = t[3];
    }
    linereader in(tokens);
    read_token_sentence(*eng, in, 150);
    lexikon lex;
    EXPECT_TRUE(lex.open(*eng, "lexi.zmb"));
    EXPECT_EQ(lex.uses_headword_index(), indexed);
    search_sentence(*eng, mode, lex);
    EXPECT_EQ(lex.uses_headword_index(), indexed);
    std::string out = eng->class_line.text + "\n";
    for (int q = 1; q <= eng->word_count; ++q) {
      out += eng->originals[q].str() + " | " + eng->words[q].str() + "\n";
    }
    return out;
  }

  // Compares the searches of every sentence in every mode with and without the index.
  // Returns the tables of the searches with the index, all in one string.
  std::string expect_scan_results(const std::vector<std::string>& sentences) {
    std::vector<std::string> with_index;
    for (const std::string& s : sentences) {
      for (searchmodus m : {searchmodus::normal, searchmodus::forsecond, searchmodus::simple}) {
        with_index.push_back(searched(s, m, true));
      }
    }
    EXPECT_EQ(std::rename("lexi.zix", "moved.zix"), 0);
    size_t i = 0, differ = 0;
    for (const std::string& s : sentences) {
      for (searchmodus m : {searchmodus::normal, searchmodus::forsecond, searchmodus::simple}) {
        const std::string scanned = searched(s, m, false);
        if (scanned != with_index[i] && ++differ <= 3) {
          ADD_FAILURE() << "mode " << static_cast<int>(m) << "\n" << s << "scan:\n"
                        << scanned << "index:\n" << with_index[i];
        }
        ++i;
      }
    }
    EXPECT_EQ(differ, 0u) << "of " << i << " searches";
    EXPECT_EQ(std::rename("moved.zix", "lexi.zix"), 0);
    std::string all;
    for (const std::string& t : with_index) all += t;
    return all;
  }
};

TEST_F(HeadwordIndex, GeneratedLexiconGivesTheTablesOfTheScan) {
  std::vector<std::string> headwords;
  write_lexicon(generated_lexicon(1200, headwords));
  std::vector<std::string> sentences = generated_sentences(headwords);
  ASSERT_GT(sentences.size(), 80u);
  const std::string tables = expect_scan_results(sentences);
  // The searches met every kind of result: entries of whole words and of stems with their
  // terminations, the entry without a word line, second words of outforms, names, numbers
  // and default entries.
  for (const char* kind : {"| NOM---Snsx", "| PLU------", "| PRP-------ING", "| NEG------UN-",
                           "| ADJ---xxxleer", "| NEG------\n", "| NAM---Sns", "| NUM---NUM",
                           "| UUU*NAM", "| ADV\n"}) {
    EXPECT_NE(tables.find(kind), std::string::npos) << kind;
  }
}

TEST_F(HeadwordIndex, EndsOfTheLexiconFile) {
  // The last entry without an entry line, without a line feed, an empty last word line,
  // carriage returns at line ends, a lexicon of one line and an empty one.
  const std::string sentence = "STR ------\nZZZ WALK \xffZZZ---ZZZwalk\nZZZ LAST \xffZZZ---ZZZlast\n"
                               "ZZZ LASTS \xffZZZ---ZZZlasts\nZZZ UNDO \xffZZZ---ZZZundo\n"
                               "YYY *\nZZZ TALKING \xffZZZ---ZZZTalking\nSEN . \xffSEN------.\n";
  const std::string ends[] = {"WALK\nVER---xxxgeh\nLAST", "WALK\nVER---xxxgeh\nLAST\n",
                              "WALK\nVER---xxxgeh\nLAST\nNOM---x",
                              "WALK\nVER---xxxgeh\nTALK\nVER---y\n\n",
                              "WALK\r\nVER---xxxgeh\r\nDO\r\nVER---z\r\n\r\n",
                              "LAST", "", "\n", "\nNOM---x\nLAST\nNOM---y\n"};
  std::string tables;
  for (const std::string& text : ends) {
    SCOPED_TRACE(text);
    write_lexicon(text);
    tables += expect_scan_results({sentence});
  }
  EXPECT_NE(tables.find("LAST | NOM---x"), std::string::npos);
  EXPECT_NE(tables.find("LAST | NOM---x\nLAST | NOM---x\n-S | PLU-------S"), std::string::npos);
}

TEST_F(HeadwordIndex, AnIndexThatDoesNotFitIsDropped) {
  const std::string sentence = "STR ------\nZZZ AAA \xffZZZ---ZZZaaa\nZZZ BBB \xffZZZ---ZZZbbb\n"
                               "SEN . \xffSEN------.\n";
  // Two entries of the same length swapped, under the old time of modification: the
  // first candidate read is not the expected word line, and the scan takes over.
  write_lexicon("AAA\nNOM---a\nBBB\nNOM---b\n");
  struct stat info;
  ASSERT_EQ(stat("lexi.zmb", &info), 0);
  write("lexi.zmb", "BBB\nNOM---b\nAAA\nNOM---a\n");
  struct timespec same[2] = {{0, UTIME_OMIT}, info.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, "lexi.zmb", same, 0), 0);
  auto eng = std::make_unique<engine_state>();
  eng->settings.shell_mode = true;
  linereader in(sentence);
  read_token_sentence(*eng, in, 150);
  lexikon lex;
  ASSERT_TRUE(lex.open(*eng, "lexi.zmb"));
  EXPECT_TRUE(lex.uses_headword_index());
  search_sentence(*eng, searchmodus::normal, lex);
  EXPECT_FALSE(lex.uses_headword_index());
  EXPECT_EQ(eng->words[2].str(), "NOM---a");
  EXPECT_EQ(eng->words[3].str(), "NOM---b");

  // A lexicon edited since: the index is not opened at all.
  write_lexicon("AAA\nNOM---a\n");
  write("lexi.zmb", "AAA\nNOM---c\n");
  ASSERT_TRUE(lex.open(*eng, "lexi.zmb"));
  EXPECT_FALSE(lex.uses_headword_index());
  // Enciphered definitions are always scanned.
  write_lexicon("AAA\nNOM---a\n");
  eng->settings.plain_definitions = false;
  ASSERT_TRUE(lex.open(*eng, "lexi.zmb"));
  EXPECT_FALSE(lex.uses_headword_index());
}

}  // namespace
}  // namespace zembu
