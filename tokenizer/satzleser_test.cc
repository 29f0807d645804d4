#include "tokenizer/satzleser.h"

#include <gtest/gtest.h>

#include <random>

namespace zembu::tokenizer {
namespace {

const std::string M(1, '\x01');  // capital marker

satz gelesen(const std::string& text, long long start = 0, size_t capacity = kSatzpuffer) {
  linereader in(text);
  in.seek(static_cast<long>(start));
  satz s;
  lies_satz(in, s, capacity);
  return s;
}

TEST(Satzleser, FoldsBlanksMarksCapitalsAndGivesBackTheClosingByte) {
  const std::string text = "  Hello \t world. Next";
  satz s = gelesen(text);
  EXPECT_EQ(s.schluss, satzschluss::satzzeichen);
  EXPECT_EQ(s.puffer, M + "Hello world.");
  EXPECT_EQ(s.dropped, 4);  // two leading blanks, the tab and a blank after it
  EXPECT_EQ(s.markers, 1);
  EXPECT_FALSE(s.zu_ende);
  // The next run starts at the blank that closed the sentence.
  EXPECT_EQ(naechster_start(0, s), 16);
  EXPECT_EQ(text[16], ' ');
  EXPECT_EQ(naechster_start(100, s), 116);
}

TEST(Satzleser, CapitalMarkerOnlyAfterWhitespace) {
  EXPECT_EQ(gelesen("McDonald and NATO").puffer, M + "McDonald and " + M + "NATO");
  // Accented capitals count; a control byte reads as whitespace before them.
  EXPECT_EQ(gelesen("x \x8e" "b\x05\x99").puffer, "x " + M + "\x8e" "b " + M + "\x99");
  // After punctuation or a digit there is no marker.
  EXPECT_EQ(gelesen("(Bob) 3D").puffer, "(Bob) 3D");
  // A byte 1 in the text is a control byte, not a marker.
  EXPECT_EQ(gelesen("a\x01" "b").puffer, "a b");
  EXPECT_EQ(gelesen("a\x01" "b").markers, 0);
}

TEST(Satzleser, ControlBytesAndLineEndsBecomeOneBlank) {
  satz s = gelesen(std::string("one\0\0two\r\nthree", 15));
  EXPECT_EQ(s.puffer, "one two three");
  EXPECT_EQ(s.dropped, 2);
  EXPECT_EQ(s.schluss, satzschluss::dateiende);
  EXPECT_TRUE(s.zu_ende);
  EXPECT_EQ(naechster_start(0, s), -1);
}

TEST(Satzleser, FieldMarkerByteReadsAsABlank) {
  // Byte 255 folds with the blanks around it, ends a sentence after its full stop and is
  // whitespace before a capital; the offsets still count it as a byte of the text.
  const std::string text = "I \xffhave seen.\xff\xffHe";
  satz s = gelesen(text);
  EXPECT_EQ(s.puffer, M + "I have seen.");
  EXPECT_EQ(s.schluss, satzschluss::satzzeichen);
  EXPECT_EQ(naechster_start(0, s), 13);
  EXPECT_EQ(gelesen(text, 13).puffer, M + "He");
}

TEST(Satzleser, EmptyLineEndsTheSentence) {
  // Wrapped lines stay one sentence.
  EXPECT_EQ(satztext(gelesen("one\ntwo\nthree\n")), "one two three");
  // Only whitespace between two line feeds, also with CR LF line ends.
  for (const std::string text : {"one two\n\nthree", "one two\r\n \t\r\nthree",
                                 "one two \n\nthree"}) {
    satz s = gelesen(text);
    EXPECT_EQ(s.schluss, satzschluss::leerzeile) << text;
    EXPECT_EQ(satztext(s), "one two") << text;
    const long long next = naechster_start(0, s);
    // The next run starts within the whitespace before "three".
    ASSERT_GT(next, 6) << text;
    ASSERT_LT(next, static_cast<long long>(text.find("three"))) << text;
    EXPECT_EQ(satztext(gelesen(text, next)), "three") << text;
  }
  // Line feeds before the first word do not end anything.
  EXPECT_EQ(gelesen("\n\n\nword.\n").puffer, "word. ");
}

TEST(Satzleser, SentenceEndNeedsWhitespaceBehind) {
  EXPECT_EQ(satztext(gelesen("Pi is 3.14 or e.g. more")), M + "Pi is 3.14 or e.g.");
  EXPECT_EQ(satztext(gelesen("a:b c; d")), "a:b c;");
  // A control byte behind the full stop counts as whitespace.
  EXPECT_EQ(satztext(gelesen(std::string("end.\0next", 9))), "end.");
}

TEST(Satzleser, EndOfTextWhenOnlyWhitespaceIsLeft) {
  for (const std::string& text :
       std::vector<std::string>{"", " ", "\n\n\t\r", std::string("\0\0", 2)}) {
    linereader in(text);
    satz s;
    EXPECT_FALSE(lies_satz(in, s));
    EXPECT_EQ(s.schluss, satzschluss::textende);
    EXPECT_EQ(naechster_start(0, s), -1);
  }
  // The last sentence's closing blank read again leads to the end of the text.
  const std::string text = "end.\n\n";
  satz s = gelesen(text);
  EXPECT_EQ(s.puffer, "end.");
  EXPECT_EQ(naechster_start(0, s), 4);
  linereader in(text);
  in.seek(4);
  EXPECT_FALSE(lies_satz(in, s));
}

TEST(Satzleser, FullBufferHandsOnTheRestWithoutGivingBack) {
  satz s = gelesen("abcdefgh", 0, 5);
  EXPECT_EQ(s.schluss, satzschluss::puffer_voll);
  EXPECT_EQ(s.puffer, "abcde");
  EXPECT_EQ(naechster_start(0, s), 5);
  // Marker and capital are not parted: the capital opens the next piece.
  s = gelesen("abc Ef", 0, 5);
  EXPECT_EQ(s.puffer, "abc ");
  EXPECT_EQ(naechster_start(0, s), 4);
  s = gelesen("abc Ef", 4, 5);
  EXPECT_EQ(s.puffer, M + "Ef");
  // Dropped blanks before the cut are counted.
  s = gelesen("ab   cdefg", 0, 5);
  EXPECT_EQ(s.puffer, "ab cd");
  EXPECT_EQ(naechster_start(0, s), 7);
  // A full buffer at the end of the input ends the text.
  s = gelesen("abcde", 0, 5);
  EXPECT_TRUE(s.zu_ende);
  EXPECT_EQ(naechster_start(0, s), -1);
}

// The bytes that carry text: no whitespace, no control byte, no capital marker.
std::string textbytes(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (static_cast<unsigned char>(c) > 32) out.push_back(c);
  }
  return out;
}

// Reads `text` run after run through the offsets, as successive program runs do.
std::vector<std::string> alle_saetze(const std::string& text, size_t capacity) {
  std::vector<std::string> saetze;
  long long start = 0;
  for (size_t runs = 0; start >= 0; ++runs) {
    if (runs > text.size() + 1) {
      ADD_FAILURE() << "no progress at offset " << start;
      break;
    }
    linereader in(text);
    in.seek(static_cast<long>(start));
    satz s;
    if (!lies_satz(in, s, capacity)) break;
    EXPECT_LE(s.puffer.size(), capacity);
    EXPECT_FALSE(satztext(s).empty());
    const long long next = naechster_start(start, s);
    if (next >= 0) {
      EXPECT_GT(next, start);
    }
    saetze.push_back(satztext(s));
    start = next;
  }
  return saetze;
}

TEST(Satzleser, SuccessiveRunsLoseAndRepeatNoByte) {
  const std::string text =
      "First one. Second one!  Third:\tfourth; fifth?\r\nA line\nwrapped\n\n"
      "after an empty line. Pi is 3.14. The end";
  std::vector<std::string> saetze = alle_saetze(text, kSatzpuffer);
  const std::vector<std::string> erwartet = {
      M + "First one.", M + "Second one!", M + "Third:", "fourth;", "fifth?",
      M + "A line wrapped", "after an empty line.", M + "Pi is 3.14.", M + "The end"};
  EXPECT_EQ(saetze, erwartet);

  // Random texts, also cut into small pieces: every text byte arrives exactly once.
  std::mt19937 rng(1234);
  const std::string alphabet = std::string("aB \n\r\t.!:;?'\x8e\x01") + std::string(1, '\0');
  for (int round = 0; round < 300; ++round) {
    std::string t;
    const size_t len = rng() % 80;
    for (size_t i = 0; i < len; ++i) t.push_back(alphabet[rng() % alphabet.size()]);
    const size_t capacity = round % 2 ? kSatzpuffer : 2 + rng() % 6;
    std::string gesamt;
    for (const std::string& s : alle_saetze(t, capacity)) gesamt += textbytes(s);
    EXPECT_EQ(gesamt, textbytes(t)) << "capacity " << capacity;
  }
}

TEST(Satzleser, AnzeigetextDropsMarkersAndTrailingBlanks) {
  satz s = gelesen("He said NO. More");
  EXPECT_EQ(satztext(s), M + "He said " + M + "NO.");
  EXPECT_EQ(anzeigetext(s), "He said NO.");
}

}  // namespace
}  // namespace zembu::tokenizer
