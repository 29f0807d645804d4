#include "tests/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zembu_test {

namespace fs = std::filesystem;

std::string token_line(const std::string& cls, const std::string& key, const std::string& entry) {
  return cls + " " + key + " \xff" + entry + "\n";
}

std::string word_line(const std::string& key, const std::string& written) {
  return token_line("ZZZ", key, "ZZZ---ZZZ" + written);
}

const std::string kStopLine = "SEN . \xffZZZ---ZZZ.\n";
const std::string kLookedUpStop = "SEN . \xffSEN------.\n";

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

void write_files(const scratch_dir& d, const file_list& files, const std::string& dir) {
  d.mkdir(dir);
  for (const auto& [name, bytes] : files) d.write(dir + "/" + name, bytes);
}

engine_run run_engine(const scratch_dir& d, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"SHELLMODE", "definitions/", "pass3", "pass2"};
  args.insert(args.end(), extra.begin(), extra.end());
  const run_result r = d.run("zembu2", args);
  return {r.status, d.read("pass2"), r.out};
}

engine_run translate_tokens(const scratch_dir& d, const std::string& script,
                            const std::string& tokens, const file_list& files,
                            const std::vector<std::string>& extra) {
  write_files(d, files);
  d.write("definitions/exec.zmb", script);
  d.write("pass3", tokens);
  engine_run r = run_engine(d, extra);
  EXPECT_EQ(r.status, 0) << r.trace;
  return r;
}

std::string shown_class_line(const std::string& trace) {
  const std::string head = "show.zmb: \n";
  const size_t at = trace.find(head);
  if (at == std::string::npos) return "";
  const size_t from = at + head.size();
  return trace.substr(from, trace.find('\n', from) - from);
}

run_result compile_rules(const scratch_dir& d, const std::string& rules, unsigned seconds) {
  d.mkdir("definitions");
  d.write("rules.txt", rules);
  return d.run("makezembu", {}, "", seconds);
}

std::string source_path(const std::string& relative) {
  return (fs::path(__FILE__).parent_path().parent_path() / relative).string();
}

std::string source_file(const std::string& relative) {
  std::ifstream f(source_path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

const std::vector<std::string> kFrontEndPrograms = {"makezembu", "zembu",  "zembu1",
                                                    "zembu2",    "zembu3", "zembu4"};

void set_up_front_end(const scratch_dir& d, const std::string& rules) {
  for (const std::string& p : kFrontEndPrograms) {
    fs::copy_file(bin_path(p), d.file(p), fs::copy_options::overwrite_existing);
  }
  d.write("rules.txt", rules);
  d.mkdir("definitions");
}

std::string noise(unsigned seed, size_t size) {
  std::string out;
  out.reserve(size);
  unsigned x = seed;
  for (size_t n = 0; n < size; ++n) {
    x = x * 1103515245u + 12345u;
    out.push_back(static_cast<char>((x >> 16) & 0xFF));
  }
  return out;
}

void expect_refusals(const scratch_dir& d, const std::string& program,
                     const std::vector<refusal>& cases) {
  for (const refusal& c : cases) {
    std::string name = program;
    for (const std::string& a : c.args) name += " " + a;
    SCOPED_TRACE(name);
    const run_result r = d.run(program, c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.out);
    if (!c.absent.empty()) {
      EXPECT_FALSE(d.exists(c.absent)) << c.absent;
    }
  }
}

}  // namespace zembu_test
