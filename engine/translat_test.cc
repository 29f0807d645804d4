#include "engine/translat.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zembu::engine {
namespace {

std::string captures_of(const engine_state& eng) {
  return std::string(eng.captures.begin() + 1, eng.captures.end());
}

TEST(PatternSearch, MatchesOnlyAtClassBoundaries) {
  auto eng = std::make_unique<engine_state>();
  maxistring line;
  strtomaxi("ZZZNAMSUB", line);
  EXPECT_EQ(maxi_instr(*eng, line, "NAM"), 4u);
  EXPECT_EQ(maxi_instr(*eng, line, "AMS"), 0u);
  EXPECT_EQ(instr1(*eng, line.text, "AMS"), 5u);
  EXPECT_EQ(instr3(*eng, line.text, "SUB"), 7u);
  EXPECT_EQ(maxi_instr(*eng, line, "ZZZNAMSUBX"), 0u);
  EXPECT_EQ(maxi_instr(*eng, line, "*.*"), 1u);
  EXPECT_EQ(maxi_instr(*eng, line, ""), 1u);
  EXPECT_EQ(instr1(*eng, "", "A"), 0u);
}

TEST(PatternSearch, CapturesFillEvenInFailedAttempts) {
  auto eng = std::make_unique<engine_state>();
  EXPECT_EQ(instr3(*eng, "SUN", ".U."), 1u);
  EXPECT_EQ(captures_of(*eng), "SN        ");
  EXPECT_EQ(put_captures(*eng, "a.b."), "SSNN");
  // The last attempt failed, but its captures stay.
  EXPECT_EQ(instr3(*eng, "ABCDEF", ".X"), 0u);
  EXPECT_EQ(captures_of(*eng), "D         ");
  // From the tenth dot on every dot writes slot 10.
  EXPECT_EQ(instr1(*eng, "abcdefghijkl", "............"), 1u);
  EXPECT_EQ(captures_of(*eng), "abcdefghil");
  // A captured lower-case letter is itself replaced by its slot; k..z stay.
  EXPECT_EQ(put_captures(*eng, ".kz"), "akz");
  EXPECT_EQ(put_captures(*eng, "..........."), "abcdefghill");
}

// The searches without captures find what instr3 finds, and the noted call puts in the
// captures instr3 leaves (none at all for a text shorter than the pattern).
TEST(PatternSearch, SearchesWithoutCapturesAgreeWithInstr3) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"SUN", ".U."}, {"SUN", "SUN"}, {"SUN", "SUNX"}, {"SU", "S.."}, {"", ""},
      {"SUNVER", "VE."}, {"SUNVER", "UNV"}, {"ADJ---Sn", "ADJ*.."}, {"NOMVERADJ", "*.R"},
      {"NOMVERADJ", "X.."}, {"abc", ""}, {"VERb", "VER."}};
  for (const auto& [text, pattern] : cases) {
    auto eng = std::make_unique<engine_state>();
    eng->captures.fill('#');
    const size_t found = instr3(*eng, text, pattern);
    const std::string expected = captures_of(*eng);
    eng->captures.fill('#');
    EXPECT_EQ(find3(text, pattern), found) << text << " " << pattern;
    EXPECT_EQ(matches_first(text, pattern), found == 1) << text << " " << pattern;
    capture_call last;
    EXPECT_EQ(matches_first_noted(last, text, pattern), found == 1);
    EXPECT_EQ(captures_of(*eng), "##########");
    put_call_captures(*eng, last);
    EXPECT_EQ(captures_of(*eng), expected) << text << " " << pattern;
  }
}

TEST(PatternSearch, CapturesOnTheClassLine) {
  auto eng = std::make_unique<engine_state>();
  strtomaxi("NOMVER", eng->table.class_line);
  ASSERT_EQ(maxi_instr(*eng, eng->table.class_line, "NO.VE."), 1u);
  strtomaxi("a.b.XYZ", eng->table.class_line);
  put_captures_line(*eng);
  EXPECT_EQ(eng->table.class_line.text, "MMRRXYZ");
}

TEST(PatternSearch, WildcardEqualAndReplacements) {
  EXPECT_TRUE(wildcard_equal("ABC", "A.C"));
  EXPECT_TRUE(wildcard_equal("ABC", "**C"));
  EXPECT_FALSE(wildcard_equal("ABC", "AB"));
  EXPECT_FALSE(wildcard_equal("A.C", "ABC"));
  EXPECT_TRUE(wildcard_equal("", ""));
  EXPECT_TRUE(wildcard_equal(std::string(90, 'x'), std::string(80, 'x')));

  auto eng = std::make_unique<engine_state>();
  std::string s = "ZZZNAMSUB";
  EXPECT_EQ(pattern_replace(*eng, s, "N.M", "VERB"), 4u);
  EXPECT_EQ(s, "ZZZVERBSUB");
  EXPECT_EQ(pattern_replace(*eng, s, "ERB", "X"), 0u);
  std::string t = "aXbXc";
  replace_all(t, "X", "XX");
  EXPECT_EQ(t, "aXXbXXc");
  EXPECT_EQ(expandlex("a\xff" "b\xff"), "ab");
  EXPECT_EQ(expandlex("plain"), "plain");
}

TEST(Symbols, NumbersAndNamesShareOneValueSpace) {
  auto eng = std::make_unique<engine_state>();
  EXPECT_EQ(symbol_number(*eng, "17"), 17);
  EXPECT_EQ(symbol_number(*eng, "NP"), 202);
  EXPECT_EQ(symbol_number(*eng, "VP"), 203);
  EXPECT_EQ(symbol_number(*eng, "NP"), 202);
  EXPECT_EQ(symbol_name(*eng, 203), "VP");
  EXPECT_EQ(symbol_name(*eng, 204), "");
  EXPECT_EQ(symbol_name(*eng, 201), "");
  // A full table refuses new names.
  for (int i = eng->symbol_count; i < max_symbols; ++i) symbol_number(*eng, "S" + std::to_string(i));
  EXPECT_EQ(eng->symbol_count, max_symbols);
  EXPECT_EQ(symbol_number(*eng, "ONE_MORE"), 0);
  EXPECT_EQ(symbol_number(*eng, "VP"), 203);
  // Names are cut to 30 characters.
  auto fresh = std::make_unique<engine_state>();
  EXPECT_EQ(symbol_number(*fresh, std::string(40, 'N')), 202);
  EXPECT_EQ(symbol_number(*fresh, std::string(30, 'N')), 202);
}

TEST(Symbols, StrToInt) {
  EXPECT_EQ(str_to_int("42"), 42);
  EXPECT_EQ(str_to_int("-7"), -7);
  EXPECT_EQ(str_to_int("32767"), 32767);
  EXPECT_EQ(str_to_int("-32768"), -32768);
  EXPECT_EQ(str_to_int("32768"), 0);
  EXPECT_EQ(str_to_int("99999999999999999999"), 0);
  EXPECT_EQ(str_to_int("4x"), 0);
  EXPECT_EQ(str_to_int(""), 0);
  EXPECT_EQ(str_to_int("-"), 0);
  EXPECT_EQ(str_to_int(" 4"), 0);
}

TEST(Scrambling, LinesAndRecordsRoundTrip) {
  engine_settings st;
  st.plain_definitions = false;
  std::string s = "ABCD";
  unscramble_line(st, s);
  EXPECT_EQ(s, "@@@C");
  scramble_line(st, s);
  EXPECT_EQ(s, "ABCD");
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string copy = all;
  scramble_line(st, copy);
  EXPECT_NE(copy, all);
  unscramble_line(st, copy);
  EXPECT_EQ(copy, all);

  lexi_type rec{"HOUSE", std::string(174, '\xfe')};
  lexi_type stored = rec;
  scramble_record(st, stored);
  EXPECT_EQ(stored.word[0], static_cast<char>('H' - 64));
  unscramble_record(st, stored);
  EXPECT_EQ(stored.word, rec.word);
  EXPECT_EQ(stored.info, rec.info);

  engine_settings plain;
  std::string untouched = "ABC";
  unscramble_line(plain, untouched);
  EXPECT_EQ(untouched, "ABC");
}

TEST(Records, EncodeDecodeAndOverlongLengthBytes) {
  lexi_type rec{"HOUSE>house", "NOM---SnsHaus"};
  std::string bytes = encode_record(rec);
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(bytes[0], 11);
  EXPECT_EQ(bytes[81], 13);
  lexi_type back = decode_record(bytes);
  EXPECT_EQ(back.word, rec.word);
  EXPECT_EQ(back.info, rec.info);
  bytes[0] = static_cast<char>(200);
  bytes[81] = static_cast<char>(255);
  back = decode_record(bytes);
  EXPECT_EQ(back.word.size(), 80u);
  EXPECT_EQ(back.info.size(), 174u);
  EXPECT_EQ(decode_record("short").word, "");
}

TEST(Accessors, WordEntryAndClassLineFields) {
  auto eng = std::make_unique<engine_state>();
  eng->table.words[1] = "NOM---SnsHaus";
  eng->table.words[2] = "ZZ_UPPER";
  EXPECT_EQ(word_class(*eng, 1), "NOM");
  EXPECT_EQ(word_second(*eng, 1), "---");
  EXPECT_EQ(word_third(*eng, 1), "Sns");
  EXPECT_EQ(word_text(*eng, 1), "Haus");
  EXPECT_EQ(word_class(*eng, 2), "ZZ_");
  EXPECT_EQ(word_text(*eng, 2), "");
  EXPECT_EQ(word_class(*eng, 0), "");
  EXPECT_EQ(word_class(*eng, 500), "");
  set_word_start(*eng, 1, "VER");
  EXPECT_EQ(eng->table.words[1], "VER---SnsHaus");
  strtomaxi("STRNOMSEN", eng->table.class_line);
  EXPECT_EQ(line_class(*eng, 2), "NOM");
  EXPECT_EQ(line_class(*eng, 4), "");
  set_line_class(*eng, 2, "VER");
  EXPECT_EQ(eng->table.class_line.text, "STRVERSEN");
}

TEST(ShortStrings, CutsAndPadRight) {
  EXPECT_EQ(pad_right("abc", 5), "abc    ");
  EXPECT_EQ(pad_right("abcde", 5), "abcde  ");
  EXPECT_EQ(pad_right("abcdefg", 5), "abcde ");
  EXPECT_EQ(pad_right("", 2), "    ");
  EXPECT_EQ(str_from("abcdef", 3), "cdef");
  EXPECT_EQ(str_from("abc", 0), "abc");
  EXPECT_EQ(str_from("abc", 9), "");
  EXPECT_EQ(str_left("abcdef", 2), "ab");
  EXPECT_EQ(str_right("abcdef", 2), "ef");
  EXPECT_EQ(str_right("ab", 5), "ab");
  EXPECT_EQ(str_overwrite("abcdef", 2, "XY"), "aXYdef");
  EXPECT_EQ(str_overwrite("abc", 3, "XYZ"), "abXYZ");
  EXPECT_EQ(str_overwrite("abc", 9, "X"), "abc");
  EXPECT_EQ(int_width(7, 2), " 7");
  EXPECT_EQ(int_width(123, 2), "123");
}

TEST(Analysis, InitAndListingLayout) {
  auto eng = std::make_unique<engine_state>();
  eng->table.word_count = 3;
  eng->table.words[1] = "ZZ_START";
  eng->table.words[2] = "NOM---SnsHaus";
  eng->table.words[3] = "UUU*NAM---SnsX*SUN---SnsY";
  eng->table.originals[2] = "HOUSE";
  eng->table.originals[3] = "XY";
  strtomaxi("STRNOMUUU", eng->table.class_line);
  symbol_number(*eng, "NP");
  init_analysis(*eng);
  EXPECT_EQ(eng->symbol_count, 0);
  EXPECT_EQ(eng->analysis[2][1], 2);
  EXPECT_EQ(eng->analysis[2][2], 0);
  EXPECT_EQ(eng->analysis[4][1], 0);
  eng->analysis[2][2] = static_cast<uint8_t>(symbol_number(*eng, "NP"));
  eng->analysis[2][3] = 3;
  EXPECT_EQ(analysis_rows(*eng, 0),
            " 1 STR :   1                  ZZ_START \n"
            " 2 NOM :   2 HOUSE            NOM---Sns Haus\n"
            "         202 NP\n"
            "           3 XY               UUU     # X# Y\n"
            " 3 UUU :   3 XY               UUU     # X# Y\n");
  std::string wide = analysis_rows(*eng, 20);
  EXPECT_EQ(wide.substr(0, wide.find('\n')), " 1 STR :   1 " + std::string(20, ' ') + "ZZ_START ");
}

}  // namespace
}  // namespace zembu::engine
