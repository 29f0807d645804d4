// zembu3, the substitution filter, run on files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fixtures.h"

namespace {

using zembu_test::expect_refusals;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// The UTF-8 bytes of one code point.
std::string utf8(unsigned cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// Runs "zembu3 pass2 pass3 [table]" on `input` and returns what pass3 holds.
std::string filter(const scratch_dir& d, const std::string& input,
                   const std::vector<std::string>& table = {}, run_result* r = nullptr) {
  d.write("pass2", input);
  std::vector<std::string> args = {"pass2", "pass3"};
  args.insert(args.end(), table.begin(), table.end());
  run_result res = d.run("zembu3", args);
  if (r) *r = res;
  EXPECT_EQ(res.status, 0) << res.out;
  return d.read("pass3");
}

TEST(Zembu3Table, PairsApplyInOrderOnTheRunningLine) {
  scratch_dir d;
  d.write("asci2.zmb", "a\nb\nb\nc\n");
  run_result r;
  EXPECT_EQ(filter(d, "a\nxbay\n", {"asci2.zmb"}, &r), "c\nxccy\n");
  EXPECT_EQ(r.out, "");
  // Blanks of both texts count; a replacement holding its search text is one pass.
  d.write("asci2.zmb", " ,\n,\nDAS\n DAS \n");
  EXPECT_EQ(filter(d, "ja , DAS ,DAS\n", {"asci2.zmb"}), "ja,  DAS , DAS \n");
}

TEST(Zembu3Table, TableFileDisablesBuiltinButNotTabRule) {
  scratch_dir d;
  d.write("t.zmb", "x\ny\n");
  EXPECT_EQ(filter(d, "s. h-  a . x\t\t\ty\n", {"t.zmb"}), "s. h-  a . y\ty\n");
  // An odd last line deletes its search text.
  d.write("t.zmb", "x\ny\n'\n");
  EXPECT_EQ(filter(d, "it's x'\n", {"t.zmb"}), "its y\n");
  // Without a table file, or with one that does not open or is empty, the built-in
  // table works.
  d.write("empty.zmb", "");
  const std::vector<std::vector<std::string>> tables = {{}, {"nosuch.zmb"}, {"empty.zmb"}};
  for (const std::vector<std::string>& t : tables) {
    run_result r;
    EXPECT_EQ(filter(d, "s.   x .\t\t\n", t, &r), utf8(0x1E63) + " x.\t\n");
    EXPECT_EQ(r.out, "");
  }
}

TEST(Zembu3Table, EmptyInputGivesEmptyOutput) {
  scratch_dir d;
  d.write("pass3", "old contents\n");
  EXPECT_EQ(filter(d, ""), "");
  EXPECT_TRUE(d.exists("pass3"));
  // Empty lines stay.
  EXPECT_EQ(filter(d, "\n\n"), "\n\n");
}

TEST(Zembu3Builtin, EveryRowWithItsUtf8Bytes) {
  struct row {
    std::string search;
    std::string replacement;
  };
  const std::vector<row> rows = {
      {utf8(0xA7), " "},  {"  ", " "},
      {"s.", utf8(0x1E63)}, {"h.", utf8(0x1E25)}, {"d.", utf8(0x1E0D)},
      {"z.", utf8(0x1E93)}, {"t.", utf8(0x1E6D)}, {utf8(0xE1), utf8(0x101)},
      {utf8(0xFA), utf8(0x16B)}, {utf8(0xED), utf8(0x12B)}, {"l:", utf8(0x1E39)},
      {"l.-", utf8(0x1E39)}, {"l.", utf8(0x1E37)}, {"r:", utf8(0x1E5D)},
      {"r.-", utf8(0x1E5D)}, {"r.", utf8(0x1E5B)}, {"n~", utf8(0xF1)},
      {"n.g", utf8(0x1E45) + "g"}, {"n.k", utf8(0x1E45) + "k"}, {"n..", utf8(0x1E45)},
      {"n.", utf8(0x1E47)}, {"m..", utf8(0x1E41)}, {"m.", utf8(0x1E43)},
      {"u:", utf8(0x16B)}, {"a:", utf8(0x101)}, {"i:", utf8(0x12B)},
      {"s'", utf8(0x15B)}, {"s-", utf8(0x161)}, {"h-", utf8(0x1E2B)},
      {"x-", utf8(0x1E2B)}, {utf8(0x1F5), utf8(0x121)}, {"g.", utf8(0x121)},
      {"d-", utf8(0x1E0F)}, {"t-", utf8(0x1E6F)}, {"g-", utf8(0x11F)},
      {"'", utf8(0x2BE)}, {" .", "."}, {" ,", ","},
  };
  ASSERT_EQ(rows.size(), 38u);
  scratch_dir d;
  std::string in, want;
  for (const row& r : rows) {
    in += "<" + r.search + ">\n";
    want += "<" + r.replacement + ">\n";
  }
  EXPECT_EQ(filter(d, in), want);
  // Matching is byte for byte: capitals and lone marks stay.
  EXPECT_EQ(filter(d, "S. H- N~ s n : -\n"), "S. H- N~ s n : -\n");
  // Rows run in order on the running line: the blank rows come early, the stop and
  // comma rows last.
  EXPECT_EQ(filter(d, "a" + utf8(0xA7) + " .\n"), "a.\n");
}

TEST(Zembu3Tabs, RunsOfTabsBecomeOne) {
  scratch_dir d;
  EXPECT_EQ(filter(d, "\t\t\ta\t\tb\tc\t\t\t\t\n"), "\ta\tb\tc\t\n");
}

TEST(Zembu3Errors, MessagesAndStatus) {
  scratch_dir d;
  d.write("in", "x\n");
  d.mkdir("adir");
  // A file that opens but takes no bytes (/dev/full) is not reported as written.
  expect_refusals(d, "zembu3",
                  {{{"missing", "out"}, "missing cannot be opened for reading\n", "out"},
                   {{"adir", "out"}, "adir cannot be opened for reading\n", "out"},
                   {{"in", "nodir/out"}, "nodir/out cannot be opened for writing\n"},
                   {{"in", "adir", "adir"}, "adir cannot be opened for writing\n"},
                   {{"in", "/dev/full"}, "/dev/full cannot be written\n"},
                   {{"in"},
                    "usage: " + zembu_test::bin_path("zembu3") + " infile outfile [tablefile]\n",
                    "out"}});
}

TEST(Zembu3Bounds, PairsBeyondOneThousandIgnoredWithOneLine) {
  scratch_dir d;
  std::string table;
  for (int n = 1; n < 1000; ++n) table += "#" + std::to_string(n) + "#\n-\n";
  d.write("t.zmb", table + "a\nb\n");
  run_result r;
  EXPECT_EQ(filter(d, "#7# a c\n", {"t.zmb"}, &r), "- b c\n");
  EXPECT_EQ(r.out, "");
  // The 1001st pair (here an odd line) is not applied, and the user is told once.
  d.write("t.zmb", table + "a\nb\nc\n" + "d\ne\n");
  EXPECT_EQ(filter(d, "#7# a c\nc\n", {"t.zmb"}, &r), "- b c\nc\n");
  EXPECT_EQ(r.out, "Substitution table t.zmb: pairs beyond 1000 ignored\n");
}

TEST(Zembu3BadInput, BytesLongLinesAndUnendedLast) {
  scratch_dir d;
  // NUL, 255 and the other bytes pass unchanged; a last line without a line end gets one.
  std::string bytes;
  for (int c = 0; c < 256; ++c) {
    if (c != '\n' && c != '\r' && c != '\t' && c != '\'' && c != ' ' && c != '.' && c != ',')
      bytes.push_back(static_cast<char>(c));
  }
  d.write("t.zmb", "zz\nZ\n");
  EXPECT_EQ(filter(d, bytes.substr(0, 200) + "\n" + bytes.substr(200), {"t.zmb"}),
            bytes.substr(0, 200) + "\n" + bytes.substr(200) + "\n");
  // A search text holding a NUL byte.
  d.write("t.zmb", std::string("a\0b\nX\n", 6));
  EXPECT_EQ(filter(d, std::string("a\0b\0\n", 5), {"t.zmb"}), std::string("X\0\n", 3));

  // A line of 100000 bytes is cut to 2000 before the pairs run, with a message.
  run_result cut;
  std::string out = filter(d, std::string(100000, 'x') + "\nend\n", {}, &cut);
  EXPECT_EQ(lines(out), (std::vector<std::string>{std::string(2000, 'x'), "end"}));
  EXPECT_EQ(cut.err, "zembu3: pass2, line 1 is 100000 bytes long; cut to 2000 bytes\n");
  // A line grown by its replacements stays whole.
  d.write("t.zmb", "x\nxyz\n");
  out = filter(d, std::string(200, 'x') + "\n", {"t.zmb"});
  EXPECT_EQ(out.size(), 601u);

  // Random bytes, as input and as table, go through without harm.
  const std::string noise = zembu_test::noise(4242, 200000);
  d.write("t.zmb", noise.substr(0, 20000));
  run_result r;
  filter(d, noise, {"t.zmb"}, &r);
  EXPECT_EQ(r.status, 0);
  filter(d, noise, {}, &r);
  EXPECT_EQ(r.status, 0);
}

}  // namespace
