// zembu4, the suffix splitter, run on files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fixtures.h"

namespace {

using zembu_test::expect_refusals;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

const std::string kSep = "\xFF";

// A scratch directory with the default agglutination list holding `suffixes`.
void with_suffixes(const scratch_dir& d, const std::string& suffixes) {
  d.mkdir("definitions");
  d.write("definitions/aggl.zmb", suffixes);
}

// Runs "zembu4 pass1 pass3" on `input` and returns what pass3 holds.
std::string split(const scratch_dir& d, const std::string& input, run_result* r = nullptr) {
  d.write("pass1", input);
  run_result res = d.run("zembu4", {"pass1", "pass3"});
  if (r) *r = res;
  EXPECT_EQ(res.status, 0) << res.out;
  return d.read("pass3");
}

TEST(Zembu4Split, WalkingBecomesWalkAndIng) {
  scratch_dir d;
  with_suffixes(d, "ING\n");
  run_result r;
  std::string out = split(d,
                          "STR ------\n"
                          "ZZZ WALKING " + kSep + "ZZZ---ZZZwalking\n"
                          "SEN . " + kSep + "ZZZ---ZZZ.\n",
                          &r);
  EXPECT_EQ(out,
            "STR ------ \n"
            "ZZZ WALK " + kSep + "ZZZ---ZZZwalking\n"
            "ZZZ ING " + kSep + "ZZZ------ING\n"
            "SEN . " + kSep + "ZZZ---ZZZ.\n");
  EXPECT_EQ(r.out, "");
}

TEST(Zembu4Split, RepeatedSplittingAndInsertedEntriesExamined) {
  scratch_dir d;
  // Empty lines of the list are not suffixes (an empty suffix would split everything).
  with_suffixes(d, "NESS\n\nLESS\nFULLY\nLY\n");
  EXPECT_EQ(split(d, "ZZZ HOPELESSNESS " + kSep + "ZZZ---ZZZhopelessness\n"
                     "ZZZ HOPEFULLY " + kSep + "ZZZ---ZZZhopefully\n"),
            "ZZZ HOPE " + kSep + "ZZZ---ZZZhopelessness\n"
            "ZZZ LESS " + kSep + "ZZZ------LESS\n"
            "ZZZ NESS " + kSep + "ZZZ------NESS\n"
            "ZZZ HOPE " + kSep + "ZZZ---ZZZhopefully\n"
            "ZZZ FUL " + kSep + "ZZZ------FULLY\n"
            "ZZZ LY " + kSep + "ZZZ------LY\n");
}

TEST(Zembu4Split, WordEqualToSuffixStrLineAndEmptyLine) {
  scratch_dir d;
  with_suffixes(d, "ING\n");
  EXPECT_EQ(split(d, "STR ------\nZZZ ING " + kSep + "ZZZ---ZZZing\n\nYYY *\nSEN EOF\n"),
            "STR ------ \nZZZ ING " + kSep + "ZZZ---ZZZing\n  \nYYY * \nSEN EOF \n");
  // The fixed lines are examined like any other.
  with_suffixes(d, "-\n");
  EXPECT_EQ(split(d, "STR ------\nSEN -------\n"),
            "STR ----- \nZZZ - " + kSep + "ZZZ-------\nSEN ------ \nZZZ - " + kSep +
                "ZZZ-------\n");
}

TEST(Zembu4Split, NamedSuffixFileAndVisibleAsThirdArgument) {
  scratch_dir d;
  d.write("my.zmb", "S\n");
  d.write("in", "ZZZ DOGS x\n");
  run_result r = d.run("zembu4", {"in", "out", "my.zmb"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(d.read("out"), "ZZZ DOG x\nZZZ S " + kSep + "ZZZ------S\n");
  // "visible" in third place is the flag; the list is then the default one.
  with_suffixes(d, "OGS\n");
  r = d.run("zembu4", {"in", "out", "visible"}, "\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(d.read("out"), "ZZZ D x\nZZZ OGS " + kSep + "ZZZ------OGS\n");
  EXPECT_NE(r.out.find("Suffix OGS\n"), std::string::npos);
}

TEST(Zembu4Visible, TracesAndWaitsAtEveryInsertion) {
  scratch_dir d;
  d.write("suf", "S\nING\n");
  d.write("in", "STR ------\nZZZ WALKINGS w\n");
  run_result r = d.run("zembu4", {"in", "out", "suf", "visible"}, "\n\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "Suffix S\n"
            "Suffix ING\n"
            "read: STR ------\n"
            "read: ZZZ WALKINGS w\n"
            "Treat 1 ------\n"
            "Treat 2 WALKINGS\n"
            "found suffix S in WALKINGS\n"
            "insert S at 2\n"
            " 1 STR ------ \n"
            " 2 ZZZ WALKING w\n"
            " 3 ZZZ S " + kSep + "ZZZ------S\n"
            "ENTER-->\n"
            "found suffix ING in WALKING\n"
            "insert ING at 2\n"
            " 1 STR ------ \n"
            " 2 ZZZ WALK w\n"
            " 3 ZZZ ING " + kSep + "ZZZ------ING\n"
            " 4 ZZZ S " + kSep + "ZZZ------S\n"
            "ENTER-->\n"
            "Treat 3 ING\n"
            "Treat 4 S\n");
  EXPECT_EQ(lines(d.read("out")).size(), 4u);
  // Without answers on standard input the stops do not hang.
  r = d.run("zembu4", {"in", "out", "suf", "visible"}, "", 10);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(d.read("out")).size(), 4u);
}

TEST(Zembu4Errors, EachMessageAfterAnEmptyLineWithStatusOne) {
  scratch_dir d;
  with_suffixes(d, "ING\n");
  d.write("in", "ZZZ GOING x\n");
  d.mkdir("adir");
  // A file that opens but takes no bytes (/dev/full) is not reported as written.
  expect_refusals(
      d, "zembu4",
      {{{"in"},
        "\nWrong number of parameter. usage: " + zembu_test::bin_path("zembu4") +
            " infile outfile suffixfile visible\n"},
       {{"in", "out", "nosuch.zmb"}, "\nSuffix file nosuch.zmb not open\n", "out"},
       {{"missing", "out"}, "\nCannot read input file missing\n", "out"},
       {{"in", "out", "adir"}, "\nSuffix file adir not open\n"},
       {{"adir", "out"}, "\nCannot read input file adir\n"},
       {{"in", "nodir/out"}, "\nResult file nodir/out cannot be written\n"},
       {{"in", "adir"}, "\nResult file adir cannot be written\n"},
       {{"in", "/dev/full"}, "\nResult file /dev/full cannot be written\n"}});
  // The list is missing: the default is named in the message.
  d.remove("definitions");
  expect_refusals(d, "zembu4",
                  {{{"in", "out"}, "\nSuffix file definitions/aggl.zmb not open\n"}});
}

TEST(Zembu4Bounds, SuffixesBeyondFiveHundredIgnoredWithWarning) {
  scratch_dir d;
  std::string list;
  for (int n = 1; n < 500; ++n) list += "Q" + std::to_string(n) + "\n";
  d.write("in", "ZZZ GOING x\nZZZ SEEN x\n");
  // The 500th suffix is taken.
  with_suffixes(d, list + "ING\n");
  run_result r = d.run("zembu4", {"in", "out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(lines(d.read("out")).size(), 3u);
  // The 501st is not, and the user is told in one line.
  with_suffixes(d, list + "ING\n\nEN\n");
  r = d.run("zembu4", {"in", "out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Suffix file definitions/aggl.zmb: suffixes beyond 500 ignored\n");
  EXPECT_EQ(d.read("out"), "ZZZ GO x\nZZZ ING " + kSep + "ZZZ------ING\nZZZ SEEN x\n");
}

TEST(Zembu4Bounds, TokenLinesBeyondTwoThousandWrittenUnsplit) {
  scratch_dir d;
  with_suffixes(d, "ING\n");
  std::string filler;
  for (int n = 2; n < 2000; ++n) filler += "ZZZ W" + std::to_string(n) + " x\n";

  // 2000 lines fit; splitting the first pushes the last past the end, where it stays whole.
  run_result r;
  std::string out = split(d, "ZZZ GOING x\n" + filler + "ZZZ LASTING x\n", &r);
  std::vector<std::string> got = lines(out);
  ASSERT_EQ(got.size(), 2001u);
  EXPECT_EQ(got[0], "ZZZ GO x");
  EXPECT_EQ(got[1], "ZZZ ING " + kSep + "ZZZ------ING");
  EXPECT_EQ(got[2], "ZZZ W2 x");
  EXPECT_EQ(got[1999], "ZZZ W1999 x");
  EXPECT_EQ(got[2000], "ZZZ LASTING x");
  EXPECT_EQ(r.out, "Token lines beyond 2000 written unsplit\n");

  // Lines read beyond the table come out unsplit, in their place and layout.
  out = split(d, "ZZZ W1 x\n" + filler + "ZZZ W2000 x\nZZZ RING x\nSTR ------\nZZZ DOING", &r);
  got = lines(out);
  ASSERT_EQ(got.size(), 2003u);
  EXPECT_EQ(got[1999], "ZZZ W2000 x");
  EXPECT_EQ(got[2000], "ZZZ RING x");
  EXPECT_EQ(got[2001], "STR ------ ");
  EXPECT_EQ(got[2002], "ZZZ DOING ");
  EXPECT_EQ(r.out, "Token lines beyond 2000 written unsplit\n");

  // Exactly 2000 lines and no insertion: nothing to report.
  out = split(d, "ZZZ W1 x\n" + filler + "ZZZ W2000 x\n", &r);
  EXPECT_EQ(lines(out).size(), 2000u);
  EXPECT_EQ(r.out, "");
}

TEST(Zembu4BadInput, BinaryLongAndUnendedLines) {
  scratch_dir d;
  with_suffixes(d, std::string("\0\xFF", 2) + "\nING\n");
  // NUL and 255 bytes are ordinary bytes of a word and of a suffix.
  std::string in = std::string("ZZZ A\0\xFF x\n", 10) + std::string("\xFF\0\n\0\0\0\0\n", 8);
  EXPECT_EQ(split(d, in),
            std::string("ZZZ A x\n", 8) + "ZZZ " + std::string("\0\xFF", 2) + " " + kSep +
                "ZZZ------" + std::string("\0\xFF", 2) + "\n" +
                std::string("\xFF\0  \n\0\0\0  \n", 11));

  // A line of 100000 bytes is cut to 255; the last line needs no line end.
  std::string word(100000, 'K');
  std::string out = split(d, "ZZZ " + word + "ING x\nZZZ GOING");
  std::vector<std::string> got = lines(out);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "ZZZ " + std::string(251, 'K') + " ");
  EXPECT_EQ(got[1], "ZZZ GO ");
  EXPECT_EQ(got[2], "ZZZ ING " + kSep + "ZZZ------ING");

  // An empty input gives an empty result; an empty list splits nothing.
  EXPECT_EQ(split(d, ""), "");
  EXPECT_TRUE(d.exists("pass3"));
  with_suffixes(d, "");
  EXPECT_EQ(split(d, "ZZZ GOING x\n"), "ZZZ GOING x\n");

  // Random bytes of every value go through without harm.
  const std::string noise = zembu_test::noise(12345, 200000);
  with_suffixes(d, noise.substr(0, 5000));
  run_result r;
  split(d, noise, &r);
  EXPECT_EQ(r.status, 0);
}

}  // namespace
