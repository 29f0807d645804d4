// A stand-in for libFuzzer where clang is not at hand: runs LLVMFuzzerTestOneInput over
// every file of the given directories (or the given files), then, for the given number of
// seconds, over simple random mutations of them. An input that uses more than the time
// limit in CPU seconds ends the run as a hang, and so does one still running after ten
// times the limit on the clock (one that waits for something): a busy machine slows the
// clock of a run but hardly its CPU time. The input under test is written to the file
// named by -input_file before each run, so that a crash leaves it behind.
//   <target>_driver [-seconds=N] [-timeout=N] [-seed=N] [-input_file=PATH] dir|file...
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// The clock time an input may take, in multiples of its CPU time limit.
constexpr unsigned kClockFactor = 10;

std::string g_input_file;
const char* g_current_name = "";

void on_timeout(int sig) {
  const char cpu[] = "\nzembu fuzz driver: CPU time limit reached on input ";
  const char clock[] = "\nzembu fuzz driver: clock time limit reached on input ";
  if (sig == SIGPROF) {
    (void)!write(2, cpu, sizeof cpu - 1);
  } else {
    (void)!write(2, clock, sizeof clock - 1);
  }
  (void)!write(2, g_current_name, std::strlen(g_current_name));
  (void)!write(2, "\n", 1);
  _exit(70);
}

std::string read_all(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
  std::fclose(f);
  return out;
}

void collect(const std::string& path, std::vector<std::string>& names) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return;
  if (S_ISREG(st.st_mode)) {
    names.push_back(path);
    return;
  }
  if (!S_ISDIR(st.st_mode)) return;
  DIR* d = opendir(path.c_str());
  if (!d) return;
  std::vector<std::string> found;
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] != '.') found.push_back(path + "/" + e->d_name);
  }
  closedir(d);
  std::sort(found.begin(), found.end());
  for (const std::string& f : found) collect(f, names);
}

// Tokens worth inserting: the separators and markers the readers look for.
const char* const kTokens[] = {"\n", "\xff", " ", "-----", "->", " -> ", "*", "\n@@@@\n",
                               ".", "?", "!", ":", ";", "ZZZ ", "STR ------\n", "SEN",
                               "$$$1", "+", "=", "_", "/", "\r", "\t", "0", "999999"};

std::string mutate(std::string s, const std::vector<std::string>& corpus, std::mt19937& rng) {
  auto pick = [&](size_t n) { return n == 0 ? size_t{0} : static_cast<size_t>(rng() % n); };
  const int steps = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < steps; ++i) {
    switch (rng() % 7) {
      case 0:  // flip a byte
        if (!s.empty()) s[pick(s.size())] = static_cast<char>(rng());
        break;
      case 1:  // insert a byte
        s.insert(pick(s.size() + 1), 1, static_cast<char>(rng()));
        break;
      case 2: {  // delete a range
        if (s.empty()) break;
        size_t p = pick(s.size());
        s.erase(p, 1 + pick(std::min<size_t>(16, s.size() - p)));
        break;
      }
      case 3: {  // duplicate a range
        if (s.empty()) break;
        size_t p = pick(s.size());
        size_t n = 1 + pick(std::min<size_t>(64, s.size() - p));
        std::string piece = s.substr(p, n);
        for (size_t k = pick(8); k > 0; --k) piece += piece.substr(0, n);
        s.insert(pick(s.size() + 1), piece);
        break;
      }
      case 4:  // insert a token
        s.insert(pick(s.size() + 1), kTokens[pick(sizeof kTokens / sizeof kTokens[0])]);
        break;
      case 5: {  // splice with another corpus file
        const std::string& o = corpus[pick(corpus.size())];
        size_t p = pick(o.size());
        s = s.substr(0, pick(s.size() + 1)) + o.substr(p, pick(o.size() - p + 1));
        break;
      }
      default:  // a long run of one byte
        s.insert(pick(s.size() + 1), 1 + pick(600), static_cast<char>(rng()));
        break;
    }
  }
  if (s.size() > 8192) s.resize(8192);
  return s;
}

void run_one(const std::string& input, const char* name, unsigned timeout) {
  g_current_name = name;
  if (!g_input_file.empty()) {
    int fd = open(g_input_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      (void)!write(fd, input.data(), input.size());
      close(fd);
    }
  }
  // ITIMER_PROF counts the CPU time of the process, in user and in system mode.
  itimerval cpu{};
  cpu.it_value.tv_sec = timeout;
  setitimer(ITIMER_PROF, &cpu, nullptr);
  alarm(timeout * kClockFactor);
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  alarm(0);
  const itimerval off{};
  setitimer(ITIMER_PROF, &off, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 0;
  unsigned timeout = 20;
  unsigned seed = 1;
  std::vector<std::string> names;
  // The target may change the working directory: paths are made absolute first.
  char cwd_buf[4096];
  const std::string cwd = getcwd(cwd_buf, sizeof cwd_buf) ? cwd_buf : ".";
  auto absolute = [&](const std::string& p) { return p.empty() || p[0] == '/' ? p : cwd + "/" + p; };
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("-seconds=", 0) == 0) {
      seconds = std::atof(a.c_str() + 9);
    } else if (a.rfind("-timeout=", 0) == 0) {
      timeout = static_cast<unsigned>(std::atoi(a.c_str() + 9));
    } else if (a.rfind("-seed=", 0) == 0) {
      seed = static_cast<unsigned>(std::atoi(a.c_str() + 6));
    } else if (a.rfind("-input_file=", 0) == 0) {
      g_input_file = absolute(a.substr(12));
    } else {
      collect(absolute(a), names);
    }
  }
  signal(SIGALRM, on_timeout);
  signal(SIGPROF, on_timeout);
  std::vector<std::string> corpus;
  for (const std::string& n : names) {
    corpus.push_back(read_all(n));
    run_one(corpus.back(), n.c_str(), timeout);
  }
  std::fprintf(stderr, "%zu inputs ran\n", corpus.size());
  if (corpus.empty()) corpus.emplace_back();
  std::mt19937 rng(seed);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long runs = 0;
  while (std::chrono::steady_clock::now() < end) {
    const std::string input = mutate(corpus[rng() % corpus.size()], corpus, rng);
    run_one(input, "(mutation)", timeout);
    ++runs;
  }
  std::fprintf(stderr, "%ld mutations ran (seed %u)\n", runs, seed);
  return 0;
}
