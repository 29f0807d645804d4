#include "engine/wordtable.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/scratch_dir_fixture.h"
#include "engine/translat.h"

namespace zembu::engine {
namespace {

std::unique_ptr<engine_state> shell_engine() {
  auto eng = std::make_unique<engine_state>();
  eng->settings.shell_mode = true;
  eng->settings.show_listing = false;
  return eng;
}

TEST(TokenEntry, KeyEntryAndAppendix) {
  auto eng = shell_engine();
  add_token_entry(*eng, "HOUSE \xffZZZ---ZZZhouse", "ZZZ");
  EXPECT_EQ(eng->table.originals[1], "HOUSE");
  EXPECT_EQ(eng->table.words[1], "ZZZ---ZZZhouse\xffZZZ------(SE \xffZZZ---ZZZhouse)");
  add_token_entry(*eng, ".", "SEN");
  EXPECT_EQ(eng->table.originals[2], ".");
  EXPECT_EQ(eng->table.words[2], "SEN------()");
  add_token_entry(*eng, "ZZ_UPPER", "YYY");
  EXPECT_EQ(eng->table.originals[3], "");
  EXPECT_EQ(eng->table.words[3], "ZZ_UPPER");
  add_token_entry(*eng, "", "ZZZ");
  EXPECT_EQ(eng->table.word_count, 3);
  EXPECT_EQ(eng->table.class_line.text, "ZZZSENYYY");
  EXPECT_EQ(class_of(*eng, 1), "ZZZ");
  EXPECT_EQ(text_of(*eng, 1).substr(0, 5), "house");
  // Entries are cut to 100 characters.
  add_token_entry(*eng, "LONG \xff" + std::string(150, 'x'), "ZZZ");
  EXPECT_EQ(eng->table.words[4].size(), 100u);
}

TEST(TokenEntry, AFullTableTakesNoMore) {
  auto eng = shell_engine();
  for (int i = 0; i < 250; ++i) add_token_entry(*eng, "W", "ZZZ");
  EXPECT_EQ(eng->table.word_count, max_words);
  EXPECT_EQ(llength(eng->table.class_line), 3u * max_words);
}

std::string read_sentence(engine_state& eng, const std::string& text, int limit = 100) {
  linereader f(text);
  eng.table.word_count = 0;
  strtomaxi("", eng.table.class_line);
  read_token_sentence(eng, f, limit);
  return dump_word_table(eng);
}

TEST(TokenSentence, ClassTable) {
  auto eng = shell_engine();
  std::string dump = read_sentence(*eng,
      "STR ab#LABEL-long\nYYY *\nPUN ;\nNBR 42 \xffZZZ---ZZZ42\nCIT C\nPHR P\nMAT M\n"
      "SEN -------\nZZZ NEXT \xffZZZ---ZZZnext\n");
  EXPECT_EQ(dump,
            "1|STR||ZZ_START\n"
            "2|YYY||ZZ_UPPER\n"
            "3|PUN||ZZ_SEMICOLON\n"
            "4|NBR||ZZ_NUMBER\n"
            "5|NBR|42|ZZZ---ZZZ42\xffNBR------(\xffZZZ---ZZZ42)\n"
            "6|CIT||ZZ_CITATION\n"
            "7|CIT|C|CIT------()\n"
            "8|PHR||ZZ_PHRASE\n"
            "9|PHR|P|PHR------()\n"
            "10|MAT||ZZ_MATHEMATICS\n"
            "11|MAT|M|MAT------()\n"
            "12|SEN|.|SEN------()\n");
  EXPECT_EQ(eng->sentence_label, "LABEL-");
}

TEST(TokenSentence, EndsAtEndOfFileOrLimit) {
  auto eng = shell_engine();
  EXPECT_EQ(read_sentence(*eng, "STR ------\nZZZ A \xffZZZ---ZZZa"),
            "1|STR||ZZ_START\n2|ZZZ|A|ZZZ---ZZZa\xffZZZ------(ZZZ---ZZZa)\n");
  EXPECT_EQ(eng->sentence_label, "------");
  read_sentence(*eng, "ZZZ A\nZZZ B\nZZZ C\nZZZ D\n", 2);
  EXPECT_EQ(eng->table.word_count, 3);
  // Short and overlong lines do no harm.
  read_sentence(*eng, "Z\nZZ\nZZZ\nZZZ \n" + std::string(1000, 'Q') + "\n");
  EXPECT_EQ(eng->table.word_count, 1);
  EXPECT_EQ(eng->table.words[1].size(), 100u);
}

TEST(TokenSentence, StrnossenIsRecognised) {
  auto eng = shell_engine();
  read_sentence(*eng, "STR ------\nNOS x\nSEN .\n");
  EXPECT_TRUE(is_strnossen(*eng));
  read_sentence(*eng, "STR ------\nNOS x\nZZZ y\nSEN .\n");
  EXPECT_FALSE(is_strnossen(*eng));
}

using TokenSpill = InScratchDir;

TEST_F(TokenSpill, LongSentenceContinuesAtItsLastClauseWord) {
  auto eng = shell_engine();
  std::string text = "STR ------\n";
  for (int i = 1; i <= 130; ++i) {
    std::string w = i == 60 ? "AND" : i == 90 ? "BECAUSE" : "W" + std::to_string(i);
    text += "ZZZ " + w + " \xffZZZ---ZZZ" + w + "\n";
  }
  text += "SEN . \xffZZZ---ZZZ.\nSTR ------\nZZZ NEXT \xffZZZ---ZZZnext\nSEN . \xffZZZ---ZZZ.\n";
  linereader pass(text);
  assemble_token_sentence(*eng, pass);
  // The first 101 entries were read (STR and W1..W100); BECAUSE (entry 91) starts the rest.
  EXPECT_EQ(eng->table.word_count, 90);
  EXPECT_EQ(llength(eng->table.class_line), 270u);
  EXPECT_TRUE(eng->rest_spilled);
  assemble_token_sentence(*eng, pass);
  EXPECT_FALSE(eng->rest_spilled);
  EXPECT_EQ(eng->table.originals[1], "BECAUSE");
  EXPECT_EQ(eng->table.words[1].str().substr(0, 16), "ZZZ---ZZZBECAUSE");
  EXPECT_EQ(eng->table.originals[11], "W100");
  EXPECT_EQ(eng->table.originals[12], "W101");
  EXPECT_EQ(eng->table.originals[eng->table.word_count], ".");
  EXPECT_EQ(eng->table.word_count, 42);  // BECAUSE, W91..W130 and the full stop
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.originals[2], "NEXT");
}

TEST_F(TokenSpill, WithoutASplitWordTheSentenceIsCutAtTheLimit) {
  auto eng = shell_engine();
  std::string text = "STR ------\n";
  for (int i = 1; i <= 150; ++i) text += "ZZZ W \xffZZZ---ZZZw\n";
  text += "SEN . \xffZZZ---ZZZ.\n";
  linereader pass(text);
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.word_count, 101);
  EXPECT_FALSE(eng->rest_spilled);
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.word_count, 51);
}

TEST_F(TokenSpill, ACompleteSentenceSpillsWithoutSwallowingTheNext) {
  auto eng = shell_engine();
  std::string text = "STR ------\n";
  for (int i = 1; i <= 99; ++i) text += std::string(i == 95 ? "ZZZ , \xffZZZ---ZZZ," : "ZZZ W \xffZZZ---ZZZw") + "\n";
  text += "SEN . \xffZZZ---ZZZ.\nSTR ------\nZZZ NEXT \xffZZZ---ZZZnext\nSEN . \xffZZZ---ZZZ.\n";
  linereader pass(text);
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.word_count, 95);
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.word_count, 6);  // the comma, four words and the full stop
  assemble_token_sentence(*eng, pass);
  EXPECT_EQ(eng->table.originals[2], "NEXT");
}

// A word of letters only (a digit would bring a number marker).
std::string letters(int i) {
  std::string w = "w";
  for (; i > 0; i /= 26) w += static_cast<char>('a' + i % 26);
  return w;
}

std::string plain_words(engine_state& eng, const std::string& sentence) {
  maxistring s;
  strtomaxi(sentence, s);
  split_plain_sentence(eng, s);
  std::string out;
  for (int i = 1; i <= eng.table.word_count; ++i) out += eng.table.words[i].str() + "|";
  return out;
}

using PlainSplit = InScratchDir;

TEST_F(PlainSplit, MarkersAndSpacing) {
  auto eng = shell_engine();
  EXPECT_EQ(plain_words(*eng, "it is \"fine\""), "ZZ_START|IT|IS|ZZ_QUOTE|FINE|ZZ_QUOTE|.|");
  EXPECT_EQ(plain_words(*eng, "I saw NATO."), "ZZ_START|ZZ_UPPER|I|SAW|ZZ_UPPER|NATO|.|");
  EXPECT_EQ(plain_words(*eng, "a;b<c=d>e"),
            "ZZ_START|A|ZZ_SEMICOLON|B|ZZ_LESS|C|ZZ_EQUAL|D|ZZ_MORE|E|.|");
  EXPECT_EQ(plain_words(*eng, "see [x] {y}, 3.5 and 4,000 (ok)!"),
            "ZZ_START|SEE|(|X|)|(|Y|)|,|ZZ_NUMBER|3.5|AND|ZZ_NUMBER|4,000|(|OK|)|!|");
  EXPECT_EQ(plain_words(*eng, "  \xa8" "well--done  ?"), "ZZ_START|WELL-DONE|?|");
  EXPECT_EQ(plain_words(*eng, "gr\x81n und stra\xe1" "e"), "ZZ_START|GR\x9aN|UND|STRASSE|.|");
  EXPECT_EQ(plain_words(*eng, "a/b c"), "ZZ_START|a/b|c|.|");
  EXPECT_EQ(eng->table.class_line.text, "");
  EXPECT_EQ(plain_words(*eng, ""), "ZZ_START|");
  EXPECT_EQ(eng->table.word_count, 1);
  EXPECT_EQ(plain_words(*eng, "   "), "ZZ_START|.|");
}

TEST_F(PlainSplit, WithoutKeepNamesNoMarkers) {
  auto eng = shell_engine();
  eng->settings.keep_names = false;
  EXPECT_EQ(plain_words(*eng, "I saw \"NATO\" [x]"), "ZZ_START|I|SAW|\"|NATO|\"|[|X|]|.|");
}

TEST_F(PlainSplit, SuffixesBecomeWordsOfTheirOwn) {
  auto eng = shell_engine();
  eng->suffixes[1] = "S";
  eng->suffixes[2] = "ING";
  eng->suffixes[3] = "ER";
  eng->suffix_count = 3;
  // Markers are never split, and a word equal to a suffix stays whole.
  EXPECT_EQ(plain_words(*eng, "walkings s Peter"),
            "ZZ_START|WALK|ING|S|S|ZZ_UPPER|PET|ER|.|");
}

TEST_F(PlainSplit, LongSentenceSpillsAfterItsLastPunctuation) {
  auto eng = shell_engine();
  std::string s;
  for (int i = 1; i <= 70; ++i) s += letters(i) + (i == 40 ? ", " : " ");
  plain_words(*eng, s);
  EXPECT_EQ(eng->table.word_count, 42);
  EXPECT_EQ(eng->table.words[41], "WOB");
  EXPECT_EQ(eng->table.words[42], ",");
  EXPECT_TRUE(eng->more_pending);
  maxistring rest;
  reload_plain_rest(*eng, rest);
  std::string expect;
  for (int i = 41; i <= 70; ++i) expect += letters(i) + " ";
  EXPECT_EQ(rest.text, expect + ". ");
  EXPECT_FALSE(std::filesystem::exists("zembu.aux"));
  reload_plain_rest(*eng, rest);
  EXPECT_EQ(rest.text, "");
}

TEST_F(PlainSplit, LongSentenceWithoutPunctuationKeeps185) {
  auto eng = shell_engine();
  std::string s;
  for (int i = 1; i <= 250; ++i) s += "w ";
  plain_words(*eng, s);
  EXPECT_EQ(eng->table.word_count, 185);
  EXPECT_FALSE(eng->more_pending);
  // Words with digits bring their number markers, which count too.
  std::string n;
  for (int i = 1; i <= 150; ++i) n += "7 ";
  plain_words(*eng, n);
  EXPECT_EQ(eng->table.word_count, 185);
  EXPECT_EQ(eng->table.words[2], "ZZ_NUMBER");
}

TEST_F(PlainSplit, RightToLeftReversesTheEntries) {
  auto eng = shell_engine();
  eng->settings.right_to_left = true;
  EXPECT_EQ(plain_words(*eng, "abc def"), ".|def|abc|ZZ_START|");
}


// A table of the given "original=entry" words, the class line made of their classes.
word_table table_of(const std::vector<std::string>& specs) {
  word_table t;
  for (const std::string& spec : specs) {
    const size_t eq = spec.find('=');
    const std::string entry = spec.substr(eq + 1);
    t.insert(t.count() + 1, entry, spec.substr(0, eq));
    lappend(t.class_line, padded_class(entry));
  }
  return t;
}

TEST(WordTable, InsertAndEraseMoveTheWordsBehind) {
  word_table t = table_of({"a=AAA------a", "b=BBB------b"});
  EXPECT_TRUE(t.insert(2, "MMM------m", "m", "x1"));
  EXPECT_TRUE(t.insert(4, "ZZZ------z", "z"));
  EXPECT_TRUE(t.insert(1, "FFF------f", "f"));
  EXPECT_FALSE(t.insert(0, "NO", "no"));
  EXPECT_FALSE(t.insert(7, "NO", "no"));
  // The class line is not the columns' business: it still holds the first two places.
  EXPECT_EQ(dump(t),
            "places 5|AAABBB\n"
            "1|AAA|f|FFF------f|\n"
            "2|BBB|a|AAA------a|\n"
            "3||m|MMM------m|x1\n"
            "4||b|BBB------b|\n"
            "5||z|ZZZ------z|\n");
  t.erase(3);
  t.erase(5);  // past the end: nothing
  t.erase(0);
  EXPECT_EQ(t.count(), 4);
  EXPECT_EQ(t.originals[3], "b");
  EXPECT_EQ(t.words[5], "");  // the old last word is cleared
  EXPECT_EQ(t.extras[3], "");
  t.erase(1);
  t.erase(1);
  t.erase(1);
  t.erase(1);
  EXPECT_EQ(dump(t), "places 0|AAABBB\n");
}

TEST(WordTable, AFullTableTakesNoInsert) {
  word_table t;
  for (int i = 1; i <= max_words; ++i) ASSERT_TRUE(t.insert(1, "W", std::to_string(i)));
  EXPECT_FALSE(t.insert(1, "X", "x"));
  EXPECT_FALSE(t.insert(max_words + 1, "X", "x"));
  EXPECT_EQ(t.originals[1], std::to_string(max_words));
  EXPECT_EQ(t.originals[max_words], "1");
}

TEST(WordTable, SymbolsOfPlaces) {
  word_table t;
  strtomaxi("AAABBBCC", t.class_line);
  EXPECT_EQ(t.place_count(), 2);
  EXPECT_EQ(t.symbol(1), "AAA");
  EXPECT_EQ(t.symbol(3), "CC");  // a cut-off last place
  EXPECT_EQ(t.symbol(4), "");
  EXPECT_EQ(t.symbol(0), "");
  t.set_symbol(2, "XXXYYY");  // one place becomes two
  EXPECT_EQ(t.class_line.text, "AAAXXXYYYCC");
  t.insert_symbol(1, "SSS");
  t.insert_symbol(5, "EEE");  // in front of the cut-off place
  t.insert_symbol(7, "NO");   // further out: nothing
  t.insert_symbol(0, "NO");
  EXPECT_EQ(t.class_line.text, "SSSAAAXXXYYYEEECC");
  t.erase_symbol(2);
  t.set_symbol(0, "NO");
  EXPECT_EQ(t.class_line.text, "SSSXXXYYYEEECC");
  strtomaxi("AAA", t.class_line);
  t.insert_symbol(2, "BBB");  // behind the last place
  EXPECT_EQ(t.class_line.text, "AAABBB");
  EXPECT_EQ(padded_class("AB"), "AB ");
  EXPECT_EQ(padded_class("ABCD"), "ABC");
}

TEST(WordTable, AssignMakesTheTableOfAWordList) {
  word_table t = table_of({"a=AAA------a", "b=BBB------b", "c=CCC------c"});
  t.extras[1] = "kept";
  std::array<bstring<80>, max_words + 1> entries, sources;
  entries[1] = "NN";  // a short entry still takes three characters
  sources[1] = "n";
  entries[2] = "VER------v";
  sources[2] = "v";
  t.assign(2, entries, sources);
  EXPECT_EQ(dump(t),
            "places 2|NN VER\n"
            "1|NN |n|NN|kept\n"
            "2|VER|v|VER------v|\n");
  EXPECT_EQ(t.words[3], "");
  EXPECT_EQ(t.originals[3], "");
}

TEST(WordTable, InsertAndDeleteWordKeepTheClassLineInStep) {
  engine_state eng;
  eng.table = table_of({"a=AAA------a", "b=BBB------b"});
  EXPECT_TRUE(insert_word(eng, 2, "m", "MM"));
  EXPECT_FALSE(insert_word(eng, 5, "x", "XXX"));
  EXPECT_EQ(dump(eng.table),
            "places 3|AAAMM BBB\n"
            "1|AAA|a|AAA------a|\n"
            "2|MM |m|MM|\n"
            "3|BBB|b|BBB------b|\n");
  delete_word(eng, 1);
  delete_word(eng, 3);
  EXPECT_EQ(eng.table.class_line.text, "MM BBB");
  EXPECT_EQ(eng.table.count(), 2);
  while (insert_word(eng, 1, "w", "WWW")) {
  }
  EXPECT_EQ(eng.table.count(), max_words);
  EXPECT_EQ(eng.table.place_count(), max_words);
}

TEST(EntryView, FieldsOfAnEntry) {
  const entry_view v("SUN---SnsHaus");
  EXPECT_EQ(v.cls(), "SUN");
  EXPECT_EQ(v.second(), "---");
  EXPECT_EQ(v.third(), "Sns");
  EXPECT_EQ(v.code(), "SUN---Sns");
  EXPECT_EQ(v.text(), "Haus");
  EXPECT_FALSE(v.has_readings());
  EXPECT_EQ(v.readings(), "");
  EXPECT_EQ(v.first_reading(), "SUN---SnsHaus");
  // Short entries: every field past the end is empty, a field cut by the end is shorter.
  const entry_view s("ADJ-");
  EXPECT_EQ(s.cls(), "ADJ");
  EXPECT_EQ(s.second(), "-");
  EXPECT_EQ(s.third(), "");
  EXPECT_EQ(s.code(), "ADJ-");
  EXPECT_EQ(s.text(), "");
  EXPECT_EQ(entry_view("ZZ").cls(), "ZZ");
  EXPECT_EQ(entry_view("").second(), "");
  EXPECT_EQ(entry_view("NAM---Sns").text(), "");
}

TEST(EntryView, ReadingsOfAnEntry) {
  const entry_view v("UUU*NAM---SnsBob*SUN---Snsbob");
  EXPECT_TRUE(v.has_readings());
  EXPECT_EQ(v.cls(), "UUU");
  EXPECT_EQ(v.readings(), "NAM---SnsBob*SUN---Snsbob");
  EXPECT_EQ(v.first_reading(), "NAM---SnsBob");
  EXPECT_EQ(entry_view("XXX*").readings(), "");
  EXPECT_EQ(entry_view("XXX*").first_reading(), "");
  EXPECT_FALSE(entry_view("XX*A").has_readings());  // the "*" must be the fourth character
}

}  // namespace
}  // namespace zembu::engine
