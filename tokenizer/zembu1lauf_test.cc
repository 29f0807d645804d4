#include "tokenizer/zembu1lauf.h"

#include <gtest/gtest.h>

namespace zembu::tokenizer {
namespace {

TEST(Zembu1Lauf, NumbersAndNames) {
  EXPECT_TRUE(ist_zahl("0"));
  EXPECT_TRUE(ist_zahl("-1"));
  EXPECT_TRUE(ist_zahl("1234"));
  EXPECT_FALSE(ist_zahl(""));
  EXPECT_FALSE(ist_zahl("-"));
  EXPECT_FALSE(ist_zahl("12a"));
  EXPECT_FALSE(ist_zahl("zembu.ind"));
  EXPECT_FALSE(ist_zahl(" 12"));
  EXPECT_EQ(lies_zahl("1234"), 1234);
  EXPECT_EQ(lies_zahl("-1"), -1);
  EXPECT_EQ(lies_zahl(" 17\r"), 17);
  EXPECT_EQ(lies_zahl("x"), 0);
  EXPECT_EQ(lies_zahl(""), 0);
  // An absurd offset is held at a bound instead of overflowing.
  const long long gross = lies_zahl("99999999999999999999999999");
  EXPECT_GT(gross, 1LL << 40);
  EXPECT_LT(gross, 1LL << 62);
  EXPECT_EQ(lies_zahl("-99999999999999999999999999"), -gross);
}

TEST(Zembu1Lauf, Arguments) {
  zembu1_auftrag a;
  EXPECT_FALSE(lies_argumente({}, a));

  ASSERT_TRUE(lies_argumente({"text"}, a));
  EXPECT_EQ(a.eingabe, "text");
  EXPECT_EQ(a.start, 0);
  EXPECT_EQ(a.indexdatei, "zembu.ind");
  EXPECT_FALSE(a.quiet);
  EXPECT_EQ(a.datei0, "pass0");
  EXPECT_EQ(a.datei1, "pass1");

  // A number is the offset; the index is then written to zembu.ind.
  ASSERT_TRUE(lies_argumente({"text", "42", "quiet"}, a));
  EXPECT_EQ(a.start, 42);
  EXPECT_EQ(a.indexdatei, "zembu.ind");
  EXPECT_TRUE(a.quiet);
  EXPECT_EQ(a.datei1, "pass1");

  // A name that does not open gives offset 0; any other third argument renames.
  ASSERT_TRUE(lies_argumente({"text", "no/such/index", "out"}, a));
  EXPECT_EQ(a.indexdatei, "no/such/index");
  EXPECT_EQ(a.start, 0);
  EXPECT_FALSE(a.quiet);
  EXPECT_EQ(a.datei0, "out0");
  EXPECT_EQ(a.datei1, "out1");

  // Empty arguments count as missing.
  ASSERT_TRUE(lies_argumente({"text", "", ""}, a));
  EXPECT_EQ(a.indexdatei, "zembu.ind");
  EXPECT_EQ(a.datei0, "pass0");
}

TEST(Zembu1Lauf, BannerNamesProgramAndVersion) {
  const std::string b = banner();
  // "zembu1 version 1.6 (yyyy-mm-dd)" with the year of the build.
  ASSERT_EQ(b.size(), 31u) << b;
  EXPECT_EQ(b.substr(0, 20), "zembu1 version 1.6 (");
  EXPECT_EQ(b.substr(20, 4), std::string(__DATE__ + 7));
  EXPECT_EQ(b[24], '-');
  EXPECT_EQ(b[27], '-');
  EXPECT_EQ(b.back(), ')');
}

}  // namespace
}  // namespace zembu::tokenizer
