#include "engine/lazy_table.h"

#include <gtest/gtest.h>

#include <string>

namespace zembu::engine {
namespace {

TEST(LazyTable, EntriesAreMadeByTheFirstWrite) {
  lazy_table<std::string, 4> t;
  const lazy_table<std::string, 4>& read = t;
  EXPECT_EQ(read[3], "");
  EXPECT_FALSE(t.made());  // reading makes nothing
  t[2] = "ING";
  EXPECT_TRUE(t.made());
  EXPECT_EQ(read[2], "ING");
  EXPECT_EQ(read[1], "");
}

TEST(LazyTable, CopiesAreDeepAndAnEmptyTableClearsOnAssignment) {
  lazy_table<std::string, 4> a;
  a[1] = "S";
  lazy_table<std::string, 4> b(a);
  b[1] = "ER";
  EXPECT_EQ(a[1], "S");
  lazy_table<std::string, 4> c;
  c = b;  // into a table never made
  EXPECT_EQ(c[1], "ER");
  c[1] = "LY";
  b = c;  // into a made one
  EXPECT_EQ(b[1], "LY");
  EXPECT_EQ(c[1], "LY");
  b = b;
  EXPECT_EQ(b[1], "LY");
  b = lazy_table<std::string, 4>();
  EXPECT_FALSE(b.made());
  const lazy_table<std::string, 4> empty;
  a = empty;
  EXPECT_FALSE(a.made());
  const lazy_table<std::string, 4>& cleared = a;
  EXPECT_EQ(cleared[1], "");
}

}  // namespace
}  // namespace zembu::engine
