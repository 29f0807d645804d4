#include "engine/longstr.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zembu::engine {
namespace {

maxistring maxi(std::string_view s) {
  maxistring l;
  strtomaxi(s, l);
  return l;
}

// Runs f and returns what it wrote to standard output.
template <typename F>
std::string stdout_of(F f) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  f();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

TEST(LongString, AppendStopsAtTheCapacity) {
  maxistring l = maxi(std::string(1995, 'x'));
  lappend(l, "0123456789");
  EXPECT_EQ(llength(l), 2000u);
  EXPECT_EQ(l.text.substr(1995), "01234");
  lappend(l, "more");
  EXPECT_EQ(llength(l), 2000u);
  maxistring two = maxi(std::string(1500, 'a'));
  llappend(two, maxi(std::string(1500, 'b')));
  EXPECT_EQ(llength(two), 2000u);
  EXPECT_EQ(two.text.back(), 'b');
  strtomaxi(std::string(2500, 'z'), l);
  EXPECT_EQ(llength(l), 2000u);
  strtomaxi("", l);
  EXPECT_EQ(llength(l), 0u);
}

TEST(LongString, CopyReadsPositionZeroAsOneAndCutsAt255) {
  maxistring l = maxi("abcdef");
  EXPECT_EQ(lcopy(l, 0, 2), "ab");
  EXPECT_EQ(lcopy(l, 1, 2), "ab");
  EXPECT_EQ(lcopy(l, 5, 10), "ef");
  EXPECT_EQ(lcopy(l, 6, 1), "f");
  EXPECT_EQ(lcopy(l, 7, 1), "");
  EXPECT_EQ(lcopy(l, 2, 0), "");
  maxistring big = maxi(std::string(300, 'q') + "r");
  EXPECT_EQ(lcopy(big, 1, 300), std::string(255, 'q'));
}

TEST(LongString, InsertAtTheEndAppendsAndBeyondDoesNothing) {
  maxistring l = maxi("abc");
  linsert("X", l, 4);
  EXPECT_EQ(l.text, "abcX");
  linsert("Y", l, 6);
  EXPECT_EQ(l.text, "abcX");
  linsert("Y", l, 0);
  EXPECT_EQ(l.text, "abcX");
  linsert("12", l, 1);
  EXPECT_EQ(l.text, "12abcX");
  linsert("-", l, 4);
  EXPECT_EQ(l.text, "12a-bcX");
  // The inserted text is cut to the room left, the tail to the capacity.
  maxistring full = maxi(std::string(1998, 'a') + "bc");
  linsert("XYZ", full, 1999);
  EXPECT_EQ(llength(full), 2000u);
  EXPECT_EQ(full.text.substr(1996), "aabc");
  maxistring nearly = maxi(std::string(1990, 'a') + "TAIL");
  linsert("0123456789", nearly, 1991);
  EXPECT_EQ(llength(nearly), 2000u);
  EXPECT_EQ(nearly.text.substr(1990), "012345TAIL");  // the text is cut first, the tail kept
}

TEST(LongString, DeleteBeyondTheEndSaysWhereAndKeepsTheText) {
  maxistring l = maxi("abcdef");
  std::string out = stdout_of([&] { ldelete(l, 9, 2); });
  EXPECT_EQ(out, "pos=9\n");
  EXPECT_EQ(l.text, "abcdef");
  EXPECT_EQ(stdout_of([&] { ldelete(l, 0, 2); }), "");
  EXPECT_EQ(l.text, "cdef");
  ldelete(l, 3, 100);
  EXPECT_EQ(l.text, "cd");
  ldelete(l, 1, 0);
  EXPECT_EQ(l.text, "cd");
  maxistring empty;
  EXPECT_EQ(stdout_of([&] { ldelete(empty, 5, 1); }), "");
}

TEST(LongString, PositionConcatAndEquality) {
  maxistring l = maxi("ZZZNAMSUB");
  EXPECT_EQ(lpos("NAM", l), 4u);
  EXPECT_EQ(lpos("", l), 1u);
  EXPECT_EQ(lpos("", maxistring{}), 1u);
  EXPECT_EQ(lpos("ZZZNAMSUBX", l), 0u);
  EXPECT_EQ(lpos("X", l), 0u);
  maxistring r;
  lconcat(r, maxi(std::string(1999, 'a')), maxi("bcd"));
  EXPECT_EQ(llength(r), 2000u);
  EXPECT_EQ(r.text.back(), 'b');
  EXPECT_TRUE(equal_maxi(maxi("abc"), maxi("abc")));
  EXPECT_FALSE(equal_maxi(maxi("abc"), maxi("abC")));
  EXPECT_FALSE(equal_maxi(maxi("abc"), maxi("abcd")));
}

TEST(LongString, ReplaceRescansFromTheStartAndAlwaysEnds) {
  maxistring l = maxi("a   b  c");
  lreplace(l, "  ", " ");
  EXPECT_EQ(l.text, "a b c");
  maxistring s = maxi("xaax");
  lreplace(s, "a", "aa");
  EXPECT_EQ(s.text, "xaaaax");
  lreplace(s, "", "y");
  EXPECT_EQ(s.text, "xaaaax");
  maxistring grow = maxi(std::string(1999, 'b') + "a");
  lreplace(grow, "a", "cc");
  EXPECT_EQ(llength(grow), 2000u);
  EXPECT_EQ(grow.text.back(), 'c');
  // At the capacity the replacement is cut, and the text behind it is kept.
  maxistring full = maxi("a" + std::string(1998, 'x') + "z");
  lreplace(full, "a", "bbb");
  EXPECT_EQ(full.text, "b" + std::string(1998, 'x') + "z");
  maxistring twice = maxi("ab" + std::string(1997, 'x') + "a");
  lreplace(twice, "a", "cc");
  EXPECT_EQ(twice.text, "cb" + std::string(1997, 'x') + "c");
  maxistring self = maxi(std::string(1999, 'y') + "a");
  lreplace(self, "a", "aa");
  EXPECT_EQ(self.text, std::string(1999, 'y') + "a");
}

TEST(LongString, UpperCaseTransliteratesAndGrowsUpToTheCapacity) {
  engine_settings st;
  maxistring l = maxi("stra\xe1" "e");
  lupper(st, l);
  EXPECT_EQ(l.text, "STRASSE");
  maxistring slash = maxi("and/or");
  lupper(st, slash);
  EXPECT_EQ(slash.text, "and/or");
  maxistring many = maxi(std::string(1999, 'a') + "\xe1");
  lupper(st, many);
  EXPECT_EQ(llength(many), 2000u);
  EXPECT_EQ(many.text.substr(1998), "AS");
  std::string doubled(1500, '\xe1');
  maxistring ss = maxi(doubled);
  lupper(st, ss);
  EXPECT_EQ(ss.text, std::string(2000, 'S'));
}

TEST(LongString, ReadLineDropsLineEndsAndCutsAt2000) {
  linereader f(std::string("abc\r\n") + std::string(2100, 'x') + "\nlast");
  maxistring l;
  lreadln(f, l);
  EXPECT_EQ(l.text, "abc");
  lreadln(f, l);
  EXPECT_EQ(l.text, std::string(2000, 'x'));
  lreadln(f, l);
  EXPECT_EQ(l.text, "last");
  lreadln(f, l);
  EXPECT_EQ(l.text, "");
}

TEST(LongString, WrapWriteBreaksAtPunctuationOrHardAt74) {
  // The break character ends the line it breaks.
  std::string text = std::string(70, 'a') + " " + std::string(10, 'b');
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi(text)); }),
            std::string(70, 'a') + " \n" + std::string(10, 'b') + "\n");
  std::string words = std::string(60, 'c') + "(x) " + std::string(30, 'd');
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi(words)); }),
            std::string(60, 'c') + "(x) \n" + std::string(30, 'd') + "\n");
  std::string solid(160, 'k');
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi(solid)); }),
            std::string(74, 'k') + "\n" + std::string(74, 'k') + "\n" + std::string(12, 'k') + "\n");
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi(std::string(74, 'm'))); }), std::string(74, 'm') + "\n");
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi("")); }), "\n");
  // A break character at position 1 only: the first line is that character alone.
  std::string lead = "," + std::string(80, 'n');
  EXPECT_EQ(stdout_of([&] { lwrapwrite(maxi(lead)); }),
            ",\n" + std::string(74, 'n') + "\n" + std::string(6, 'n') + "\n");
  // The caller's string is unchanged.
  maxistring keep = maxi(solid);
  stdout_of([&] { lwrapwrite(keep); });
  EXPECT_EQ(keep.text, solid);
}

TEST(CharConversion, UpperCharTable) {
  engine_settings st;
  EXPECT_EQ(upper_char(st, 0xe1), "SS");
  EXPECT_EQ(upper_char(st, 0x82), "E'");
  EXPECT_EQ(upper_char(st, 0x90), "E'");
  EXPECT_EQ(upper_char(st, 0x95), "\x95");  // ò stays
  EXPECT_EQ(upper_char(st, 0x81), "\x9a");
  EXPECT_EQ(upper_char(st, 0x84), "\x8e");
  EXPECT_EQ(upper_char(st, 0x94), "\x99");
  EXPECT_EQ(upper_char(st, 0x98), "IJ");
  EXPECT_EQ(upper_char(st, 0xfe), "O");
  EXPECT_EQ(upper_char(st, 0xa4), "N'");
  EXPECT_EQ(upper_char(st, 0x87), "C'");
  EXPECT_EQ(upper_char(st, 'q'), "Q");
  EXPECT_EQ(upper_char(st, 'Q'), "Q");
  EXPECT_EQ(upper_char(st, 0), std::string(1, '\0'));
  EXPECT_EQ(upper_char(st, 0xff), "\xff");
  st.right_to_left = true;
  EXPECT_EQ(upper_char(st, 'q'), "q");
  EXPECT_EQ(upper_char(st, 0xe1), "\xe1");
}

TEST(CharConversion, StringsWithASlashKeepTheirCase) {
  engine_settings st;
  EXPECT_EQ(upper_str(st, "gr\x81n"), "GR\x9aN");
  EXPECT_EQ(upper_str(st, "a/b"), "a/b");
  EXPECT_EQ(upper_str(st, "a\\b"), "a\\b");
  EXPECT_EQ(upper_str(st, std::string(200, '\xe1')), std::string(255, 'S'));
  EXPECT_EQ(lower_str("GR\x9aN \x8e\x99 \xe1 \x90"), "gr\x81n \x84\x94 \xe1 \x90");
  EXPECT_EQ(lower_str("A/B"), "A/B");
  EXPECT_EQ(lower_char('@'), '@');
  EXPECT_EQ(lower_char('['), '[');
}

TEST(CharConversion, CapitalWordCapitalisesNameParts) {
  engine_settings st;
  EXPECT_EQ(capital_word(st, "jean-luc"), "Jean-Luc");
  EXPECT_EQ(capital_word(st, "mac-intyre"), "Mac-Intyre");
  EXPECT_EQ(capital_word(st, "\x90" "COLE"), "E'cole");
  EXPECT_EQ(capital_word(st, "o'neil&sons_ltd+co*x"), "O'Neil&Sons_Ltd+Co*X");
  EXPECT_EQ(capital_word(st, "a/B"), "a/B");
  EXPECT_EQ(capital_word(st, ""), "");
  EXPECT_EQ(capital_word(st, "\xe1"), "SS");
}

TEST(CharConversion, TrimSpacesTouchesBlanksOnly) {
  EXPECT_EQ(trim_spaces("  a b  "), "a b");
  EXPECT_EQ(trim_spaces("   "), "");
  EXPECT_EQ(trim_spaces("\ta\t"), "\ta\t");
}

TEST(Console, TraceStopWritesAnEmptyLineWhenNotStopping) {
  engine_settings st;
  EXPECT_EQ(stdout_of([&] { trace_stop(st); }), "\n");
}

}  // namespace
}  // namespace zembu::engine
