#include "common/tokenline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zembu {
namespace {

std::string parsed(std::string_view line) { return dump_token_line(parse_token_line(line)); }

TEST(TokenLineParse, FieldsOfOrdinaryAndOddLines) {
  EXPECT_EQ(parsed("ZZZ HOUSE \xffZZZ---ZZZhouse"), "ZZZ|HOUSE|^ZZZ---ZZZhouse");
  EXPECT_EQ(parsed("ZZZ A B C"), "ZZZ|A|B C");  // only the first blank divides
  EXPECT_EQ(parsed(""), "|");
  EXPECT_EQ(parsed("SEN "), "SEN|");
  EXPECT_EQ(parsed("ZZZxHOUSE"), "ZZZ|HOUSE");  // the separator's value does not matter
  EXPECT_EQ(parsed("ZZZ WORD "), "ZZZ|WORD|");
  const std::string line = "ZZZ " + std::string(300, 'w') + " " + std::string(300, 'r');
  EXPECT_EQ(parsed(line), "ZZZ|" + std::string(255, 'w') + "|" + std::string(255, 'r'));
}

// Code and payload read back from the fields are exactly the line's first three bytes and
// its bytes from the fifth on, for every line of a small alphabet up to six bytes.
TEST(TokenLineParse, PayloadAndCodeAreTheLinesOwnBytes) {
  const std::string alphabet("A \xff\0", 4);
  std::vector<std::string> lines = {""};
  for (size_t from = 0, len = 0; len < 6; ++len) {
    const size_t to = lines.size();
    for (size_t i = from; i < to; ++i) {
      for (char c : alphabet) lines.push_back(lines[i] + c);
    }
    from = to;
  }
  ASSERT_EQ(lines.size(), 5461u);
  for (const std::string& line : lines) {
    const token_line t = parse_token_line(line);
    EXPECT_EQ(t.code, line.substr(0, 3)) << parsed(line);
    EXPECT_EQ(token_payload(t), line.size() > 4 ? line.substr(4) : "") << parsed(line);
  }
}

TEST(TokenLineFormat, FullFormBareFormAndRoundTrip) {
  const std::string line = "SEN . \xffZZZ---ZZZ.";
  EXPECT_EQ(format_token_line({"SEN", ".", attribute_field(kNewWordAttributes, "."), true}), line);
  EXPECT_EQ(format_token_line(parse_token_line(line)), line);
  EXPECT_EQ(format_token_line(parse_token_line("STR ------")), "STR ------ ");
  EXPECT_EQ(format_token_line("YYY", "*"), kCapitalLine);
  EXPECT_EQ(format_token_line("ZZZ", "ZZ_UPPER"), "ZZZ ZZ_UPPER");
  const token_line t{"ZZZ", "", "x y", true};
  EXPECT_EQ(dump_token_line(parse_token_line(format_token_line(t))), dump_token_line(t));
}

TEST(TokenLineField, SplitAtTheFirstMarker) {
  std::string key = "old", field = "old";
  EXPECT_FALSE(split_at_field_marker("HOUSE", key, field));
  EXPECT_EQ(key + field, "oldold");
  ASSERT_TRUE(split_at_field_marker(" A B  \xffZZZ---ZZZb\xff" "x", key, field));
  EXPECT_EQ(key, " A B");
  EXPECT_EQ(field, "ZZZ---ZZZb\xff" "x");
  ASSERT_TRUE(split_at_field_marker("   \xff", key, field));
  EXPECT_EQ(key + field, "");
}

}  // namespace
}  // namespace zembu
