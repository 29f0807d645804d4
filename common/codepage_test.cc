#include "common/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace zembu {
namespace {

TEST(DecodeUserLine, Utf8BecomesCodePage437WithPlainFormsForTheRest) {
  struct example {
    const char* in;
    const char* out;
  };
  const example examples[] = {
      {"The house is red.", "The house is red."},
      {"Gr\xc3\xb6\xc3\x9f"
       "e \xc3\xbc"
       "ber \xc3\x84pfel",
       "Gr\x94\xe1"
       "e \x81"
       "ber \x8e"
       "pfel"},
      {"don\xe2\x80\x99t \xe2\x80\x98x\xe2\x80\x99", "don't 'x'"},
      {"\xe2\x80\x9cyes\xe2\x80\x9d \xe2\x80\x9eja\xe2\x80\x9c \xc2\xabnon\xc2\xbb",
       "\"yes\" \"ja\" \"non\""},
      {"a \xe2\x80\x93 b\xe2\x80\x94"
       "c",
       "a - b-c"},
      {"wait\xe2\x80\xa6", "wait..."},
      {"a\xc2\xa0"
       "b\xe2\x80\xaf"
       "c",
       "a b c"},
      {"\xef\xbb\xbfsoft\xc2\xadhyphen", "softhyphen"},
      {"M\xc3\x81LAGA \xc3\x80 la \xc5\x81\xc3\xb3"
       "d\xc5\xba",
       "MALAGA A la L\xa2"
       "dz"},
      {"\xc5\x92uvre \xe2\x82\xac 5", "OEuvre EUR 5"},
      {"caf"
       "e\xcc\x81 A\xcc\x81",
       "caf\x82 A"},  // decomposed accents are put together
      {"tab\there", "tab\there"},
  };
  for (const example& e : examples) {
    const decoded_line d = decode_user_line(e.in);
    EXPECT_EQ(d.text, e.out) << e.in;
    EXPECT_FALSE(d.read_as_latin1) << e.in;
    EXPECT_TRUE(d.no_form.empty()) << e.in;
    EXPECT_FALSE(d.had_controls) << e.in;
  }
}

TEST(DecodeUserLine, CharactersWithoutAFormAreMarkedAndNamedOnce) {
  const decoded_line d =
      decode_user_line("I like \xe4\xb8\xad\xe6\x96\x87 and \xe4\xb8\xad \xc2\xa7 1");
  EXPECT_EQ(d.text, std::string("I like \x7f\x7f and \x7f \x7f 1"));
  EXPECT_EQ(d.no_form, (std::vector<char32_t>{0x4E2D, 0x6587, 0x00A7}));
  EXPECT_EQ(describe_char(0x4E2D), "U+4E2D (\xe4\xb8\xad)");
  EXPECT_EQ(describe_char(0x0301), "U+0301");  // a lone accent is not shown
}

TEST(DecodeUserLine, InvalidUtf8IsReadAsLatin1AndControlsBecomeBlanks) {
  decoded_line d = decode_user_line("M\xe1laga caf\xe9 \x93x\x94 \xff!");
  EXPECT_TRUE(d.read_as_latin1);
  EXPECT_EQ(d.text, "M\xa0laga caf\x82 \"x\" \x98!");
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "abc\xe2\x82"}) {
    EXPECT_TRUE(decode_user_line(bad).read_as_latin1) << bad;
  }
  d = decode_user_line(std::string("a\x1b[31mb\0c\x7f", 10));
  EXPECT_EQ(d.text, "a [31mb c ");
  EXPECT_TRUE(d.had_controls);
  EXPECT_FALSE(d.read_as_latin1);
  // Byte 255 reaches the passes neither from UTF-8 nor from Latin-1 text.
  for (const char* line : {"I \xc2\xa0have", "I \xffhave", "\xc3\xbf"}) {
    EXPECT_EQ(decode_user_line(line).text.find('\xff'), std::string::npos) << line;
  }
}

TEST(EncodeForUser, KeepsUtf8AndConvertsTheOtherBytes) {
  EXPECT_EQ(encode_for_user("Gr\x94\xe1"
                            "e"),
            "Gr\xc3\xb6\xc3\x9f"
            "e");
  // UTF-8 that the rules or the engine wrote stays as it is, beside code page 437 bytes.
  EXPECT_EQ(encode_for_user("gl\xc3\xbc"
                            "cklich \x84"),
            "gl\xc3\xbc"
            "cklich \xc3\xa4");
  EXPECT_EQ(encode_for_user("\x7f\x7f ok"), "?? ok");
  EXPECT_EQ(encode_for_user("a\x1b[1m\tb\xc2\x9b"
                            "c"),
            "a [1m\tb c");
  EXPECT_EQ(encode_for_user("\xff"), "\xc2\xa0");
  EXPECT_EQ(mask_controls("a\x1b\t\xff\x7f"
                          "b"),
            "a \t\xff b");
}

TEST(EncodeForUser, EveryCodePage437ByteComesBackFromItsUtf8Form) {
  for (int b = 32; b < 255; ++b) {
    // DEL is the no-form mark; the guillemets are read as plain quotes.
    if (b == 127 || b == 0xAE || b == 0xAF) continue;
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = encode_for_user(byte);
    const decoded_line d = decode_user_line(utf8);
    EXPECT_EQ(d.text, byte) << b;
    EXPECT_TRUE(d.no_form.empty()) << b;
  }
}

}  // namespace
}  // namespace zembu
