// The tokenizer zembu1 run on real files: the token lines of single sentences, the walk
// through a text by the index file, the arguments and messages, and hostile input.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/blackbox.h"

namespace {

using zembu_test::bin_path;
using zembu_test::lines;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// Lines joined with line feeds; "+" stands for the field marker byte 255.
std::string token_file(std::initializer_list<std::string> ls) {
  std::string out;
  for (std::string l : ls) {
    for (char& c : l) {
      if (c == '+') c = '\xff';
    }
    out += l + "\n";
  }
  return out;
}

// The token file zembu1 writes for the first sentence of `text`.
std::string tokens_of(const std::string& text) {
  scratch_dir d;
  d.write("text", text);
  run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 0) << r.out;
  return d.read("pass1");
}

// The bytes that carry text: no whitespace and no control bytes.
std::string text_bytes(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (static_cast<unsigned char>(c) > 32) out.push_back(c);
  }
  return out;
}

// Runs zembu1 over `text` through the index file until the end of the text and returns
// the sentences it wrote to pass0, one per run (and their token files to `token_files`).
std::vector<std::string> all_sentences(const scratch_dir& d, const std::string& text,
                                       std::vector<std::string>* token_files = nullptr,
                                       size_t max_runs = 200) {
  d.write("text", text);
  d.remove("zembu.ind");
  std::vector<std::string> out;
  for (size_t run = 0;; ++run) {
    if (run == max_runs) {
      ADD_FAILURE() << "text not finished after " << max_runs << " runs";
      break;
    }
    run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
    if (r.status == 3) {
      EXPECT_EQ(d.read("pass1"), "SEN EOF\n");
      EXPECT_EQ(d.read("zembu.ind"), "-1\n");
      break;
    }
    EXPECT_EQ(r.status, 0) << r.out;
    if (r.status != 0) break;
    std::string s = d.read("pass0");
    EXPECT_EQ(lines(s).size(), 1u);
    if (!s.empty() && s.back() == '\n') s.pop_back();
    out.push_back(s);
    if (token_files) token_files->push_back(d.read("pass1"));
  }
  return out;
}

TEST(Zembu1Tokens, WorkedExamples) {
  scratch_dir d;
  d.write("text", "I saw NATO.");
  run_result r = d.run("zembu1", {"text"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "I saw NATO.\n");
  EXPECT_EQ(d.read("pass0"), "I saw NATO.\n");
  EXPECT_EQ(d.read("zembu.ind"), "-1\n");
  EXPECT_EQ(d.read("pass1"),
            token_file({"STR ------", "YYY *", "ZZZ I +ZZZ---ZZZI", "ZZZ SAW +ZZZ---ZZZsaw",
                        "ZZZ NATO +ZZZ---ZZZNATO", "SEN . +ZZZ---ZZZ."}));

  EXPECT_EQ(tokens_of("He said 'yes' today.\n"),
            token_file({"STR ------", "YYY *", "ZZZ HE +ZZZ---ZZZHe", "ZZZ SAID +ZZZ---ZZZsaid",
                        "ZZZ QUOTE_1 +ZZZ---ZZZ'", "ZZZ YES +ZZZ---ZZZyes",
                        "ZZZ QUOTE_2 +ZZZ---ZZZ'", "ZZZ TODAY +ZZZ---ZZZtoday",
                        "SEN . +ZZZ---ZZZ."}));
}

TEST(Zembu1Tokens, WordsNumbersAbbreviationsAndPaths) {
  struct token_case {
    std::string text;
    std::string tokens;
  };
  const std::vector<token_case> cases = {
      {"a well-known word.",
       token_file({"STR ------", "ZZZ A +ZZZ---ZZZa", "ZZZ WELL +ZZZ---ZZZwell",
                   "ZZZ - +ZZZ---ZZZ-", "ZZZ KNOWN +ZZZ---ZZZknown", "ZZZ WORD +ZZZ---ZZZword",
                   "SEN . +ZZZ---ZZZ."})},
      {"pi is 3.14, e.g here.",
       token_file({"STR ------", "ZZZ PI +ZZZ---ZZZpi", "ZZZ IS +ZZZ---ZZZis",
                   "ZZZ 3.14 +ZZZ---ZZZ3.14", "ZZZ , +ZZZ---ZZZ,", "ZZZ E.G +ZZZ---ZZZe.g",
                   "ZZZ HERE +ZZZ---ZZZhere", "SEN . +ZZZ---ZZZ."})},
      // end. followed by a blank: END and the full stop; the rest is the next sentence.
      {"the end. and more",
       token_file({"STR ------", "ZZZ THE +ZZZ---ZZZthe", "ZZZ END +ZZZ---ZZZend",
                   "SEN . +ZZZ---ZZZ."})},
      {"open a/b/c now\n",
       token_file({"STR ------", "ZZZ OPEN +ZZZ---ZZZopen", "ZZZ a/b/c +ZZZ---ZZZa/b/c",
                   "ZZZ NOW +ZZZ---ZZZnow", "PUN _NOSEN_", "SEN -------"})},
  };
  for (const token_case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(tokens_of(c.text), c.tokens);
  }
}

TEST(Zembu1Tokens, SubstitutionPairs) {
  // Without definitions/ascii.zmb the built-in pairs make SS a sharp s.
  EXPECT_EQ(tokens_of("class \x84rger"),
            token_file({"STR ------", "ZZZ CLA\xe1 +ZZZ---ZZZclass",
                        "ZZZ \x8eRGER +ZZZ---ZZZ\x84rger", "PUN _NOSEN_", "SEN -------"}));
  scratch_dir d;
  d.mkdir("definitions");
  d.write("definitions/ascii.zmb", "COLOUR\nCOLOR\nA\nAA\n");
  d.write("text", "class colour.");
  EXPECT_EQ(d.run("zembu1", {"text"}).status, 0);
  // The file replaces the built-in pairs; a pair holding its search text applies once.
  EXPECT_EQ(d.read("pass1"),
            token_file({"STR ------", "ZZZ CLAASS +ZZZ---ZZZclass",
                        "ZZZ COLOR +ZZZ---ZZZcolour", "SEN . +ZZZ---ZZZ."}));
}

TEST(Zembu1Index, TwoSentencesByTwoRuns) {
  scratch_dir d;
  d.write("text", "First one. Second one.\n");
  EXPECT_EQ(d.run("zembu1", {"text", "zembu.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("pass0"), "First one.\n");
  EXPECT_EQ(d.read("zembu.ind"), "10\n");
  EXPECT_EQ(d.read("pass1"),
            token_file({"STR ------", "YYY *", "ZZZ FIRST +ZZZ---ZZZFirst",
                        "ZZZ ONE +ZZZ---ZZZone", "SEN . +ZZZ---ZZZ."}));
  EXPECT_EQ(d.run("zembu1", {"text", "zembu.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("pass0"), "Second one.\n");
  EXPECT_EQ(d.read("zembu.ind"), "-1\n");
  EXPECT_EQ(d.read("pass1"),
            token_file({"STR ------", "YYY *", "ZZZ SECOND +ZZZ---ZZZSecond",
                        "ZZZ ONE +ZZZ---ZZZone", "SEN . +ZZZ---ZZZ."}));
  run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(d.read("pass1"), "SEN EOF\n");
  EXPECT_EQ(d.read("zembu.ind"), "-1\n");
}

TEST(Zembu1Index, AWholeTextSentenceBySentence) {
  scratch_dir d;
  const std::string text =
      "  The  first\tline,\r\nwrapped once.  Is it?Yes!\"Quoted.\" Then:\n"
      "a list; of 3.5 items\n   \n"
      "after an empty line... more\n\n\n\nLast words";
  EXPECT_EQ(all_sentences(d, text),
            (std::vector<std::string>{"The first line, wrapped once.",
                                      // "?", "!" and "." without whitespace behind end nothing
                                      "Is it?Yes!\"Quoted.\" Then:", "a list;",
                                      "of 3.5 items", "after an empty line...", "more",
                                      "Last words"}));
  // A text that ends in whitespace after its last sentence ends cleanly.
  EXPECT_EQ(all_sentences(d, "One. Two.  \n\n \t\n"),
            (std::vector<std::string>{"One.", "Two."}));
}

TEST(Zembu1Index, EmptyLineEndsASentence) {
  scratch_dir d;
  d.write("text", "no stop here\n\nNext line.");
  EXPECT_EQ(d.run("zembu1", {"text", "zembu.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("pass1"),
            token_file({"STR ------", "ZZZ NO +ZZZ---ZZZno", "ZZZ STOP +ZZZ---ZZZstop",
                        "ZZZ HERE +ZZZ---ZZZhere", "PUN _NOSEN_", "SEN -------"}));
  EXPECT_EQ(d.read("zembu.ind"), "12\n");
  EXPECT_EQ(d.run("zembu1", {"text", "zembu.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("pass0"), "Next line.\n");
}

TEST(Zembu1Index, MinusOneEndsTheText) {
  scratch_dir d;
  d.write("text", "Something to say.");
  d.write("zembu.ind", "-1\n");
  d.write("pass1", "old\n");
  run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(d.read("pass1"), "SEN EOF\n");
  EXPECT_EQ(d.read("zembu.ind"), "-1\n");
  // An index file that does not open, or holds no number, starts at the beginning.
  d.write("zembu.ind", "garbage\n");
  EXPECT_EQ(d.run("zembu1", {"text", "zembu.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("pass0"), "Something to say.\n");
  EXPECT_EQ(d.run("zembu1", {"text", "other.ind", "quiet"}).status, 0);
  EXPECT_EQ(d.read("other.ind"), "-1\n");
}

TEST(Zembu1Arguments, NumericOffset) {
  scratch_dir d;
  d.write("text", "One two. Three four. Five.");
  run_result r = d.run("zembu1", {"text", "8", "quiet"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(d.read("pass0"), "Three four.\n");
  EXPECT_EQ(d.read("zembu.ind"), "20\n");
  // Offsets past the end or below zero end the text.
  EXPECT_EQ(d.run("zembu1", {"text", "26"}).status, 3);
  EXPECT_EQ(d.read("pass1"), "SEN EOF\n");
  EXPECT_EQ(d.run("zembu1", {"text", "99999999999999999999"}).status, 3);
  EXPECT_EQ(d.run("zembu1", {"text", "-1"}).status, 3);
  EXPECT_EQ(d.read("zembu.ind"), "-1\n");
}

TEST(Zembu1Arguments, ThirdArgumentQuietOrOutputName) {
  scratch_dir d;
  d.write("text", "Hello there. Bye.");
  run_result r = d.run("zembu1", {"text", "my.ind", "out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Hello there.\n");
  EXPECT_EQ(d.read("out0"), "Hello there.\n");
  EXPECT_EQ(d.read("out1"),
            token_file({"STR ------", "YYY *", "ZZZ HELLO +ZZZ---ZZZHello",
                        "ZZZ THERE +ZZZ---ZZZthere", "SEN . +ZZZ---ZZZ."}));
  EXPECT_FALSE(d.exists("pass0"));
  EXPECT_FALSE(d.exists("pass1"));
  EXPECT_FALSE(d.exists("zembu.ind"));
  EXPECT_EQ(d.read("my.ind"), "12\n");
  r = d.run("zembu1", {"text", "my.ind", "quiet"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(d.read("pass0"), "Bye.\n");
}

TEST(Zembu1Arguments, UsageAndMissingFile) {
  scratch_dir d;
  run_result r = d.run("zembu1", {});
  EXPECT_EQ(r.status, 1);
  std::vector<std::string> out = lines(r.out);
  ASSERT_EQ(out.size(), 3u) << r.out;
  EXPECT_EQ(out[0].rfind("zembu1 version 1.6 (", 0), 0u) << out[0];
  EXPECT_EQ(out[1], "");
  EXPECT_EQ(out[2], "Which file? Use: " + bin_path("zembu1") + " filename");

  r = d.run("zembu1", {"nothere.txt", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "File nothere.txt not found.\nerror 2\n");
  EXPECT_FALSE(d.exists("pass1"));
  EXPECT_FALSE(d.exists("zembu.ind"));
  // A directory is no text either.
  d.mkdir("folder");
  r = d.run("zembu1", {"folder"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(lines(r.out).at(0), "File folder not found.");
  EXPECT_FALSE(d.exists("pass1"));
}

TEST(Zembu1BadInput, BinaryAndNulBytesLoseNothing) {
  scratch_dir d;
  std::string binary;
  for (int round = 0; round < 3; ++round) {
    for (int c = 0; c < 256; ++c) binary.push_back(static_cast<char>(c));
  }
  std::string got;
  for (const std::string& s : all_sentences(d, binary)) got += text_bytes(s);
  // Byte 255, the field marker of the token lines, reads as a blank.
  std::string expected = text_bytes(binary);
  expected.erase(std::remove(expected.begin(), expected.end(), '\xff'), expected.end());
  EXPECT_EQ(got, expected);

  const std::string nul("\0\0One\0two.\0\0Three\0\0\0", 20);
  EXPECT_EQ(all_sentences(d, nul), (std::vector<std::string>{"One two.", "Three"}));
}

TEST(Zembu1BadInput, LongLinesComeInPieces) {
  scratch_dir d;
  // 100 000 bytes without a line end or a full stop, one long word among the words.
  std::string text;
  while (text.size() < 60000) text += "word" + std::to_string(text.size()) + " ";
  text += std::string(40000, 'x');
  std::vector<std::string> token_files;
  std::vector<std::string> pieces = all_sentences(d, text, &token_files);
  ASSERT_GE(pieces.size(), 5u);
  std::string got;
  for (const std::string& s : pieces) {
    EXPECT_LE(s.size(), 20000u);
    got += text_bytes(s);
  }
  EXPECT_EQ(got, text_bytes(text));
  // Every piece is a sentence of its own without final punctuation; a piece that is
  // all one word gives token lines of 67 bytes (the engine's default entry holds no
  // longer word) and the rest, with every byte.
  std::string whole_piece = "STR ------\n";
  for (size_t n = 0; n < 20000; n += 67) {
    const size_t k = std::min<size_t>(67, 20000 - n);
    whole_piece += "ZZZ " + std::string(k, 'X') + " \xffZZZ---ZZZ" + std::string(k, 'x') + "\n";
  }
  whole_piece += "PUN _NOSEN_\nSEN -------\n";
  EXPECT_EQ(pieces[4], std::string(20000, 'x'));
  EXPECT_EQ(token_files[4], whole_piece);
  for (const std::string& t : token_files) EXPECT_EQ(lines(t).back(), "SEN -------");
}

TEST(Zembu1BadInput, EmptyFilesAndMissingLineEnds) {
  scratch_dir d;
  EXPECT_TRUE(all_sentences(d, "").empty());
  EXPECT_TRUE(all_sentences(d, " \n\r\n\t \n").empty());
  EXPECT_EQ(all_sentences(d, "No line end"), (std::vector<std::string>{"No line end"}));
  EXPECT_EQ(all_sentences(d, "Ends.\r\n"), (std::vector<std::string>{"Ends."}));
}

TEST(Zembu1BadInput, UnwritableOutputs) {
  scratch_dir d;
  d.write("text", "One. Two.");
  // The token file cannot be created: the index stays where it was.
  d.mkdir("pass1");
  run_result r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, "File pass1 cannot be written.\n");
  EXPECT_FALSE(d.exists("zembu.ind"));
  d.write("zembu.ind", "-1\n");
  r = d.run("zembu1", {"text", "zembu.ind", "quiet"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, "File pass1 cannot be written.\n");
  d.remove("pass1");
  d.remove("zembu.ind");

  // The index file cannot be written.
  d.mkdir("idx");
  r = d.run("zembu1", {"text", "idx", "quiet"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.out, "File idx cannot be written.\n");
  if (d.exists("/dev/full")) {
    r = d.run("zembu1", {"text", "/dev/full", "quiet"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "File /dev/full cannot be written.\n");
  }

  // pass0 that cannot be created is skipped without an echo.
  d.mkdir("pass0");
  r = d.run("zembu1", {"text"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(d.read("zembu.ind"), "4\n");
  EXPECT_EQ(lines(d.read("pass1")).size(), 4u);
}

}  // namespace
