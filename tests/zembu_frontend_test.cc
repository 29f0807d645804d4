// zembu, the front end, run on real files with the real pass programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/fixtures.h"

namespace {

namespace fs = std::filesystem;
using zembu_test::bin_path;
using zembu_test::run_result;
using zembu_test::scratch_dir;

// Rules without a lexicon: words keep their English form, so what is seen on the screen
// shows which passes ran. zembu4 splits N'T off, zembu3 turns "red" into "rot".
const char kRegeln[] =
    "SUBSTITUTION\nCOLOUR -> COLOR\n-----\n"
    "AGGLUTINATION\nN'T\n-----\n"
    "FINAL SUBSTITUTION\nred -> rot\n-----\n";

const char kAufforderung[] =
    "Please enter phrases. Blank line = finish. Bitte Saetze eingeben, Leerzeile = Ende.";

// The sample rule set that comes with the sources.
std::string beispielregeln() { return zembu_test::source_file("rules/rules.txt"); }

// A working directory as the front end expects it: the six programs, rules.txt and an
// empty definitions/ directory.
void richte_ein(const scratch_dir& d, const std::string& regeln = kRegeln) {
  zembu_test::set_up_front_end(d, regeln);
}

// Everything in the working directory after a set-up and a run: nothing else may stay.
std::set<std::string> inhalt(const scratch_dir& d) {
  std::set<std::string> namen;
  for (const auto& e : fs::directory_iterator(d.path())) {
    namen.insert(e.path().filename().string());
  }
  return namen;
}

std::set<std::string> eingerichtet(std::initializer_list<const char*> dazu = {}) {
  std::set<std::string> namen = {"rules.txt", "definitions"};
  for (const std::string& p : zembu_test::kFrontEndPrograms) namen.insert(p);
  for (const char* p : dazu) namen.insert(p);
  return namen;
}

// True when s reads "zembu version 1.6 (yyyy-mm-dd)".
bool ist_banner(const std::string& s) {
  const std::string kopf = "zembu version 1.6 (";
  if (s.size() != kopf.size() + 11 || s.compare(0, kopf.size(), kopf) != 0 || s.back() != ')') {
    return false;
  }
  for (size_t i = 0; i < 10; ++i) {
    const char c = s[kopf.size() + i];
    if (i == 4 || i == 7 ? c != '-' : (c < '0' || c > '9')) return false;
  }
  return true;
}

// The screen lines after the banner block, trailing blanks cut (the engine ends its
// result line with one). The banner block itself is checked on the way; only what the
// rule compiler says may come before it.
std::vector<std::string> nach_banner(const std::string& out) {
  std::vector<std::string> l = zembu_test::lines(out);
  for (std::string& z : l) {
    while (!z.empty() && z.back() == ' ') z.pop_back();
  }
  size_t b = 1;
  while (b < l.size() && !ist_banner(l[b])) ++b;
  EXPECT_LE(b + 4, l.size()) << out;
  if (b + 4 > l.size()) return {};
  for (size_t i = 0; i + 1 < b; ++i) EXPECT_EQ(l[i].rfind("makezembu: ", 0), 0u) << l[i];
  EXPECT_EQ(l[b - 1], "");
  EXPECT_EQ(l[b + 1], "Rule-based translation from English into German");
  EXPECT_EQ(l[b + 2], "Made by the zembu developers; all language knowledge lives in rules.txt");
  EXPECT_EQ(l[b + 3], "");
  return std::vector<std::string>(l.begin() + b + 4, l.end());
}

using zeilen = std::vector<std::string>;

TEST(ZembuFrontendFile, EachSentenceIsShownWithItsTranslation) {
  scratch_dir d;
  richte_ein(d);
  d.write("text.txt", "The house is red.\nHello. How are you?\n3.5 apples\nIt isn't red.\n");
  run_result r = d.run("zembu", {"text.txt"});
  EXPECT_EQ(r.status, 0);
  const zeilen l = nach_banner(r.out);
  ASSERT_EQ(l.size(), 18u) << r.out;
  EXPECT_EQ(zeilen(l.begin(), l.begin() + 9),
            (zeilen{"The house is red.", "The house is rot.", "",  //
                    "Hello.", "Hello.", "",                        //
                    " How are you?", "How are you?", ""}));
  // A digit does not keep the full stop from ending the sentence.
  EXPECT_EQ(l[9], "3.");
  EXPECT_EQ(l[10], "3.");
  EXPECT_EQ(l[12], "5 apples");
  EXPECT_EQ(l[13].rfind("5 apples", 0), 0u) << l[13];
  EXPECT_EQ(zeilen(l.begin() + 15, l.end()), (zeilen{"It isn't red.", "It isn't N'T rot.", ""}));
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt"}));
  EXPECT_TRUE(d.exists("definitions/exec.zmb"));  // the rules were compiled
}

TEST(ZembuFrontendFile, AnEmptyLineIsAParagraphBreakAndTheRunGoesOn) {
  scratch_dir d;
  richte_ein(d);
  d.write("text.txt", "One.\n\nTwo.\n");
  d.write("win.txt", "\r\nOne red.\r\n\r\nTwo.\rThree.\r\n");
  run_result r = d.run("zembu", {"text.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(nach_banner(r.out), (zeilen{"One.", "One.", "", "", "Two.", "Two.", ""}));
  r = d.run("zembu", {"win.txt"});
  EXPECT_EQ(nach_banner(r.out), (zeilen{"", "One red.", "One rot.", "", "", "Two.", "Two.", "",
                                        "Three.", "Three.", ""}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt", "win.txt"}));
}

TEST(ZembuFrontendFile, AFileThatDoesNotOpenIsAnErrorBeforeAnythingRuns) {
  scratch_dir d;
  richte_ein(d);
  for (const char* name : {"missing.txt", "definitions"}) {
    run_result r = d.run("zembu", {name});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "") << name;
    EXPECT_EQ(
        r.err.rfind("File not found. Dateiname falsch.\nzembu: " + std::string(name) + ": ", 0), 0u)
        << r.err;
  }
  EXPECT_EQ(inhalt(d), eingerichtet());
  EXPECT_FALSE(d.exists("definitions/exec.zmb"));  // the rules were not compiled for nothing
}

TEST(ZembuFrontendInteractive, PromptThenOneTranslationPerSentence) {
  scratch_dir d;
  richte_ein(d);
  run_result r = d.run("zembu", {}, "The house is red. Hello.\nIs it red\n\nNever read.\n");
  EXPECT_EQ(r.status, 0);
  const zeilen l = nach_banner(r.out);
  ASSERT_EQ(l.size(), 7u) << r.out;
  EXPECT_EQ(zeilen(l.begin(), l.begin() + 5),
            (zeilen{kAufforderung, "", "The house is rot.", "Hello.", ""}));
  EXPECT_EQ(l[5].rfind("Is it rot", 0), 0u) << l[5];  // no full stop: still one sentence
  EXPECT_EQ(l[6], "");
  EXPECT_EQ(inhalt(d), eingerichtet());
}

TEST(ZembuFrontendInteractive, AnEmptyLineOrTheEndOfInputStops) {
  scratch_dir d;
  richte_ein(d);
  run_result r = d.run("zembu", {}, "\nThe house is red.\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(nach_banner(r.out), (zeilen{kAufforderung, ""}));
  r = d.run("zembu", {}, "The house is red.");  // no line end, no blank line
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(nach_banner(r.out), (zeilen{kAufforderung, "", "The house is rot.", ""}));
  EXPECT_EQ(inhalt(d), eingerichtet());
}

TEST(ZembuFrontendFiles, StaleFilesAndLinksUnderTheFixedNamesDoNoHarm) {
  scratch_dir d;
  richte_ein(d);
  const std::string opfer = d.path() + "/../opfer";
  {
    std::ofstream f(opfer);
    f << "precious\n";
  }
  for (const char* name : {"test.zembu", "pass0", "pass1", "pass2", "pass3", "pass4", "erg1",
                           "zembu.lst", "zembu.wor", "zembu.rst"}) {
    fs::create_symlink(opfer, d.file(name));
  }
  d.write("zembu.ind", "-1\n");  // a finished text: zembu1 would find no sentence
  d.write("text.txt", "The house is red.\n");
  run_result r = d.run("zembu", {"text.txt"});
  EXPECT_EQ(nach_banner(r.out), (zeilen{"The house is red.", "The house is rot.", ""}));
  std::ifstream f(opfer);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()),
            "precious\n");
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt"}));
}

TEST(ZembuFrontendBadInput, BinaryBytesLongLinesAndLinesWithoutPunctuation) {
  scratch_dir d;
  richte_ein(d);
  std::string binaer;
  for (int c = 0; c < 256; ++c) {
    if (c != '\n' && c != '\r') binaer += static_cast<char>(c);
  }
  const std::string lang = "The house is red." + std::string(1200, 'x');
  d.write("text.txt", binaer + "\n" + lang + "\r\nthe house is red\nThe house is red.\n");
  run_result r = d.run("zembu", {"text.txt"}, "", 60);
  EXPECT_EQ(r.status, 0) << r.err;
  const zeilen l = nach_banner(r.out);
  // The run reaches the lines after the binary one, which still translate as usual; the
  // 1000 x's are one sentence of its own, cut in two pieces with a message.
  auto i = std::find(l.begin(), l.end(), "The house is red.");
  ASSERT_NE(i, l.end()) << r.out;
  EXPECT_EQ(zeilen(i, i + 3), (zeilen{"The house is red.", "The house is rot.", ""}));
  EXPECT_EQ(*(i + 3) + *(i + 6), std::string(1200, 'x'));
  ASSERT_EQ(l.end() - i, 15) << r.out;
  EXPECT_EQ(*(i + 9), "the house is red");  // no punctuation: one sentence
  EXPECT_EQ((i + 10)->rfind("The house is rot", 0), 0u) << *(i + 10);
  EXPECT_EQ(zeilen(i + 11, l.end()), (zeilen{"", "The house is red.", "The house is rot.", ""}));
  EXPECT_NE(r.err.find("is not valid UTF-8; it is read as Latin-1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("holds control characters; they are read as blanks"), std::string::npos);
  EXPECT_NE(r.err.find("zembu: line 2: a sentence of 1200 characters is longer than 1000"),
            std::string::npos)
      << r.err;
  // Nothing the terminal would take for a command reaches the screen.
  for (char c : r.out) EXPECT_TRUE(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 32);
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt"}));
}

TEST(ZembuFrontendBadInput, NoDefinitionsDirectory) {
  scratch_dir d;
  richte_ein(d);
  d.remove("definitions");
  d.write("text.txt", "The house is red.\n");
  run_result r = d.run("zembu", {"text.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Directory definitions/ not found. Verzeichnis definitions/ fehlt.\n");
  std::set<std::string> erwartet = eingerichtet({"text.txt"});
  erwartet.erase("definitions");
  EXPECT_EQ(inhalt(d), erwartet);
}

TEST(ZembuFrontendBadInput, AWorkingDirectoryThatCannotBeWritten) {
  scratch_dir d;
  richte_ein(d);
  d.write("text.txt", "The house is red. Hello.\nMore.\n");
  // Root writes anywhere, so as root the front end runs as nobody.
  std::string programm = "zembu";
  std::vector<std::string> args = {"text.txt"};
  if (geteuid() == 0) {
    if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "root without setpriv";
    fs::permissions(d.path() + "/..", fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
    programm = "/usr/bin/setpriv";
    args = {"--reuid=65534", "--regid=65534", "--clear-groups", "./zembu", "text.txt"};
  }
  chmod(d.path().c_str(), 0555);
  run_result r = d.run(programm, args);
  chmod(d.path().c_str(), 0755);
  // The lock that keeps a second front end out cannot be made either: nothing runs.
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "zembu: cannot lock this directory (zembu.lock): Permission denied\n");
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt"}));
}

TEST(ZembuFrontendBadInput, AMissingPassProgramLeavesEmptyTranslationsAndANonZeroStatus) {
  scratch_dir d;
  richte_ein(d);
  d.remove("zembu2");
  d.write("text.txt", "The house is red. Hello.\n");
  // The pass programs are started only with --processes.
  run_result r = d.run("zembu", {"--processes", "text.txt"});
  EXPECT_EQ(r.status, 3);
  // Both sentences are still shown, each with an empty translation line: never the token
  // lines of the passes before the engine.
  EXPECT_EQ(nach_banner(r.out), (zeilen{"The house is red.", "", "", " Hello.", "", ""}));
  EXPECT_EQ(r.err,
            "zembu: zembu2 could not be started; no translation for \"The house is red.\"\n"
            "zembu: zembu2 could not be started; no translation for \"Hello.\"\n");
  std::set<std::string> erwartet = eingerichtet({"text.txt"});
  erwartet.erase("zembu2");
  EXPECT_EQ(inhalt(d), erwartet);
}

// Starts zembu in the working directory with the given standard input and output.
pid_t starte_zembu(const scratch_dir& d, const std::vector<std::string>& args, int ein, int aus) {
  const std::string pfad = d.file("zembu");
  std::vector<char*> argv = {const_cast<char*>(pfad.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(d.path().c_str()) != 0) _exit(126);
    dup2(ein, 0);
    dup2(aus, 1);
    alarm(30);
    execv(pfad.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// The exit status of pid; 1000 + the signal number when a signal killed it, -1 when it
// does not end within ten seconds (it is killed then).
int warte(pid_t pid) {
  for (int i = 0; i < 1000; ++i) {
    int st = 0;
    if (waitpid(pid, &st, WNOHANG) == pid) {
      return WIFEXITED(st) ? WEXITSTATUS(st) : 1000 + WTERMSIG(st);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

TEST(ZembuFrontendFiles, AnInterruptionEndsTheRunAndLeavesNoFiles) {
  scratch_dir d;
  richte_ein(d);
  // The engine takes its time, so the interruption comes in the middle of the sentence.
  fs::rename(d.file("zembu2"), d.file("zembu2.echt"));
  const std::string marke = d.path() + "/../engine_started";
  d.write("zembu2", "#!/bin/sh\ntouch " + marke + "\nsleep 1\nexec ./zembu2.echt \"$@\"\n");
  fs::permissions(d.file("zembu2"), fs::perms::owner_all);
  int ein[2];
  ASSERT_EQ(pipe(ein), 0);
  const int aus = open(d.file("screen").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = starte_zembu(d, {"--processes"}, ein[0], aus);
  close(ein[0]);
  close(aus);
  const std::string zeilen = "The house is red.\nIt is red.\n";
  ASSERT_EQ(write(ein[1], zeilen.data(), zeilen.size()), static_cast<ssize_t>(zeilen.size()));
  for (int i = 0; i < 1000 && !fs::exists(marke); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(fs::exists(marke));
  kill(pid, SIGINT);
  EXPECT_EQ(warte(pid), 130);  // ended by itself, not killed by the signal
  close(ein[1]);
  // The passes after the engine are skipped: nothing half-done reaches the screen.
  const std::string screen = d.read("screen");
  EXPECT_EQ(screen.find("red"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("rot"), std::string::npos) << screen;
  EXPECT_EQ(inhalt(d), eingerichtet({"screen", "zembu2.echt"}));
}

TEST(ZembuFrontendFiles, AClosedOutputPipeEndsTheRunWithoutLeavingFiles) {
  scratch_dir d;
  richte_ein(d);
  d.write("text.txt", "The house is red. Hello.\nHow are you?\n");
  int aus[2];
  ASSERT_EQ(pipe(aus), 0);
  close(aus[0]);  // nobody reads the screen
  const int ein = open("/dev/null", O_RDONLY);
  const pid_t pid = starte_zembu(d, {"text.txt"}, ein, aus[1]);
  close(ein);
  close(aus[1]);
  EXPECT_EQ(warte(pid), 1);
  EXPECT_EQ(inhalt(d), eingerichtet({"text.txt"}));
}

TEST(ZembuFrontendSample, TheSampleTextComesOutInGerman) {
  scratch_dir d;
  richte_ein(d, beispielregeln());
  fs::copy_file(zembu_test::source_path("rules/sample.txt"), d.file("sample.txt"));
  run_result r = d.run("zembu", {"sample.txt"}, "", 60);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Zembu generator terminated"), std::string::npos) << r.out;
  // Every sentence is shown, then its one translation line, then an empty line.
  const zeilen l = nach_banner(r.out);
  ASSERT_EQ(l.size(), 3u * 34) << r.out;
  std::map<std::string, std::string> deutsch;
  for (size_t i = 0; i < l.size(); i += 3) {
    deutsch[l[i]] = l[i + 1];
    EXPECT_EQ(l[i + 2], "") << l[i];
  }
  EXPECT_EQ(zeilen(l.begin(), l.begin() + 3),
            (zeilen{"The house is red.", "Das Haus ist rot.", ""}));
  // Articles agree with their nouns, "n't" is split off, umlauts reach the screen in
  // UTF-8, a sentence without a closing mark gets one, a capital name inside a sentence
  // stays a name.
  EXPECT_EQ(deutsch["The dog is small and the cat is black."],
            "Der Hund ist klein und die Katze ist schwarz.");
  EXPECT_EQ(deutsch[" It isn't new."], "Es ist nicht neu.");
  EXPECT_EQ(deutsch["The birds sing"], "Die V\xC3\xB6gel singen.");
  EXPECT_EQ(deutsch[" We love Germany."], "Wir lieben Deutschland.");
  // The syntax rules move the participle behind the object and the inflection and
  // irregularity rules form it; a complex rule puts the verb of a dass-clause last; a
  // compound of the user lexicon is one word.
  EXPECT_EQ(deutsch["I have seen the house."], "Ich habe das Haus gesehen.");
  EXPECT_EQ(deutsch["She has written a song."], "Sie hat ein Lied geschrieben.");
  EXPECT_EQ(deutsch["I know that she is happy."],
            "Ich wei\xC3\x9F, dass sie gl\xC3\xBC"
            "cklich ist.");
  EXPECT_EQ(deutsch["The dog is friendly."], "Der Hund ist freundlich.");
  EXPECT_EQ(deutsch["We live in New York."], "Wir wohnen in New York.");
  EXPECT_EQ(inhalt(d), eingerichtet({"sample.txt"}));
  for (const char* datei : {"exec.zmb", "ascii.zmb", "aggl.zmb", "lexi.zmb", "asci2.zmb"}) {
    EXPECT_TRUE(d.exists(std::string("definitions/") + datei)) << datei;
  }

  r = d.run("zembu", {}, "The house is red.\n\n");
  EXPECT_EQ(nach_banner(r.out), (zeilen{kAufforderung, "", "Das Haus ist rot.", ""}));
}

}  // namespace
