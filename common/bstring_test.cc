#include "common/bstring.h"

#include <gtest/gtest.h>

namespace zembu {
namespace {

TEST(BString, AssignmentAndAppendCutAtTheWidth) {
  bstring<5> s("abcdefgh");
  EXPECT_EQ(s, "abcde");
  s = "xy";
  s += "12345";
  EXPECT_EQ(s, "xy123");
  s += 'z';
  EXPECT_EQ(s.size(), 5u);
  s.clear();
  s += 'z';
  EXPECT_EQ(s, "z");
}

TEST(BString, EveryByteValuePassesThrough) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  bstring<255> s(all);
  ASSERT_EQ(s.size(), 255u);
  EXPECT_EQ(s.str(), all.substr(0, 255));
  EXPECT_EQ(cut(all, 1000), all);
  std::string t = all;
  append_cut(t, "more", 256);
  EXPECT_EQ(t, all);
}

}  // namespace
}  // namespace zembu
