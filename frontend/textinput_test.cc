#include "frontend/textinput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zembu::frontend {
namespace {

// Every line text_input hands on for `text`, with its line number in front.
std::vector<std::string> lines_of(std::string text) {
  std::vector<std::string> out;
  FILE* f = fmemopen(text.data(), text.size(), "rb");
  text_input in(f);
  std::string line;
  while (in.next(line)) out.push_back(std::to_string(in.line_number()) + ":" + line);
  std::fclose(f);
  return out;
}

TEST(TextInput, EveryLineEndAndNoByteLost) {
  EXPECT_EQ(lines_of("a\nb\r\nc\rd\n\ne"),
            (std::vector<std::string>{"1:a", "2:b", "3:c", "4:d", "5:", "6:e"}));
  EXPECT_EQ(lines_of("\r\r\n"), (std::vector<std::string>{"1:", "2:"}));
  EXPECT_EQ(lines_of(std::string("x\0y\n", 4)), std::vector<std::string>{std::string("1:x\0y", 5)});
  EXPECT_EQ(lines_of("last without end"), std::vector<std::string>{"1:last without end"});
}

TEST(TextInput, AnOverlongLineComesInPiecesCutBetweenCharacters) {
  // The limit falls inside a two-byte character (c3 a4): it goes whole into the next piece.
  const std::string head(kLongestLine - 1, 'a');
  const std::vector<std::string> got = lines_of(head + "\xc3\xa4tail\nnext\n");
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "1:" + head);
  EXPECT_EQ(got[1], "1:\xc3\xa4tail");
  EXPECT_EQ(got[2], "2:next");
  // A line that ends right at the limit gives no empty line behind it.
  const std::string exact(kLongestLine, 'b');
  EXPECT_EQ(lines_of(exact + "\n\nz"), (std::vector<std::string>{"1:" + exact, "2:", "3:z"}));
}

TEST(SplitSentence, CutsAtTheFirstTerminatorThatIsNotLast) {
  struct example {
    const char* line;
    const char* sentence;
    const char* rest;
  };
  const example examples[] = {
      {"Hello. How are you?", "Hello.", " How are you?"},
      {" How are you?", " How are you?", ""},
      {"3.5 apples", "3.", "5 apples"},
      {"Stop! Go: now? Yes", "Stop!", " Go: now? Yes"},
      {"Go: now? Yes", "Go:", " now? Yes"},
      {"Why?", "Why?", ""},
      {"?", "?", ""},
      {"a", "a", ""},
      {"", "", ""},
      {"no terminator at all", "no terminator at all", ""},
      {"...", ".", ".."},
      {"e.g; x", "e.", "g; x"},  // ";" is no terminator here
  };
  for (const example& e : examples) {
    std::string line = e.line, rest = "old";
    split_sentence(line, rest);
    EXPECT_EQ(line, e.sentence) << e.line;
    EXPECT_EQ(rest, e.rest) << e.line;
  }
}

TEST(CutSentence, PiecesEndBehindABlankAndHoldEveryByte) {
  EXPECT_EQ(cut_sentence("short one", 20), std::vector<std::string>{"short one"});
  EXPECT_EQ(cut_sentence("aaa bbb ccc ddd", 8), (std::vector<std::string>{"aaa bbb ", "ccc ddd"}));
  EXPECT_EQ(cut_sentence("aaaaaaaaaaa bb", 5),
            (std::vector<std::string>{"aaaaa", "aaaaa", "a bb"}));
  EXPECT_EQ(cut_sentence("abcdefgh", 4), (std::vector<std::string>{"abcd", "efgh"}));
  EXPECT_TRUE(is_blank(" \t "));
  EXPECT_TRUE(is_blank(""));
  EXPECT_FALSE(is_blank(" x"));
}

}  // namespace
}  // namespace zembu::frontend
