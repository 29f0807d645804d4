#include "tests/blackbox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace zembu_test {

namespace fs = std::filesystem;

std::string bin_path(const std::string& program) {
  return std::string(ZEMBU_BIN_DIR) + "/" + program;
}

scratch_dir::scratch_dir() {
  std::string tmpl = (fs::temp_directory_path() / "zembu_test_XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  root_ = tmpl;
  work_ = root_ + "/work";
  fs::create_directory(work_);
}

scratch_dir::~scratch_dir() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string scratch_dir::file(const std::string& name) const { return work_ + "/" + name; }

void scratch_dir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream f(file(name), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::string slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return "";
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

std::string scratch_dir::read(const std::string& name) const { return slurp(file(name)); }

bool scratch_dir::exists(const std::string& name) const { return fs::exists(file(name)); }

void scratch_dir::mkdir(const std::string& name) const { fs::create_directories(file(name)); }

void scratch_dir::remove(const std::string& name) const {
  std::error_code ec;
  fs::remove_all(file(name), ec);
}

run_result scratch_dir::run(const std::string& program, const std::vector<std::string>& args,
                            const std::string& input, unsigned seconds) const {
  const std::string path = program.find('/') == std::string::npos ? bin_path(program) : program;
  const std::string in = root_ + "/stdin", out = root_ + "/stdout", err = root_ + "/stderr";
  {
    std::ofstream f(in, std::ios::binary | std::ios::trunc);
    f.write(input.data(), static_cast<std::streamsize>(input.size()));
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  run_result r;
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work_.c_str()) != 0) _exit(126);
    int fin = open(in.c_str(), O_RDONLY);
    int fout = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int ferr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fin < 0 || fout < 0 || ferr < 0) _exit(126);
    dup2(fin, 0);
    dup2(fout, 1);
    dup2(ferr, 2);
    alarm(seconds);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  int st = 0;
  if (pid > 0 && waitpid(pid, &st, 0) == pid) {
    if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
    else if (WIFSIGNALED(st)) r.status = 128 + WTERMSIG(st);
  }
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

std::string run_pipeline(const scratch_dir& d, const std::string& sentence) {
  d.write("in.txt", sentence + "\n");
  d.remove("zembu.ind");
  d.run("zembu1", {"in.txt", "zembu.ind", "quiet"});
  d.run("zembu4", {"pass1", "pass3"});
  d.run("zembu2", {"SHELLMODE", "definitions/", "pass3", "pass2", ">", "erg1"});
  const std::string result = d.read("pass2");
  d.run("zembu3", {"pass2", "pass3", "definitions/asci2.zmb"});
  return result;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

namespace {

// True when `path` exists and is newer than every one of `inputs` that exists.
bool newer_than_all(const std::string& path, const std::vector<std::string>& inputs) {
  std::error_code ec;
  const auto made = fs::last_write_time(path, ec);
  if (ec) return false;
  for (const std::string& in : inputs) {
    const auto t = fs::last_write_time(in, ec);
    if (!ec && t > made) return false;
  }
  return true;
}

}  // namespace

generated_rules full_rules() {
  generated_rules g;
  const std::string dictionary = "/usr/share/trans/de-en";
  const std::string makedict = bin_path("makedict");
  const fs::path source = fs::path(__FILE__).parent_path().parent_path() / "rules";
  if (access(dictionary.c_str(), R_OK) != 0) {
    g.why = dictionary + " is not installed (Debian package trans-de-en)";
    return g;
  }
  if (access(makedict.c_str(), X_OK) != 0) {
    g.why = "makedict is not built";
    return g;
  }
  const std::string dir = std::string(ZEMBU_BIN_DIR) + "/../test-dictionary";
  fs::create_directories(dir);
  const std::string rules = dir + "/rules.txt", log = dir + "/makedict.log";
  const std::string overrides = (source / "dict_overrides.txt").string();
  const std::string hand = (source / "rules.txt").string();
  // One test process generates, the others wait for it at the lock.
  const int lock = open((dir + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock < 0 || flock(lock, LOCK_EX) != 0) {
    g.why = "cannot lock " + dir;
    if (lock >= 0) close(lock);
    return g;
  }
  if (!newer_than_all(rules, {dictionary, makedict, hand, overrides})) {
    const std::string command = "'" + makedict + "' --overrides '" + overrides + "' '" +
                                dictionary + "' '" + hand + "' > '" + rules + ".new' 2> '" + log +
                                "' && mv -f '" + rules + ".new' '" + rules + "'";
    if (std::system(command.c_str()) != 0) {
      g.why = "makedict failed: " + slurp(log);
      fs::remove(rules);
    }
  }
  close(lock);
  if (g.why.empty()) {
    g.path = rules;
    g.log = slurp(log);
  }
  return g;
}

}  // namespace zembu_test
