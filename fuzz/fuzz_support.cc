#include "fuzz/fuzz_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace zembu_fuzz {

const std::string& enter_scratch() {
  // Never destroyed: the exit handler below still needs it.
  static const std::string* const dir = new std::string([] {
    // Memory first: every input rewrites small files, which a disk file system may
    // flush each time.
    const char* tmp = std::getenv("TMPDIR");
    struct stat st;
    const std::string base = tmp && *tmp ? tmp
                             : stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) &&
                                       access("/dev/shm", W_OK) == 0
                                 ? "/dev/shm"
                                 : "/tmp";
    std::string templ = base + "/zembu-fuzz-XXXXXX";
    if (!mkdtemp(templ.data()) || chdir(templ.c_str()) != 0) {
      std::perror("zembu fuzz scratch directory");
      std::abort();
    }
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout)) {
      std::perror("/dev/null");
      std::abort();
    }
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(enter_scratch(), ec);
    });
    return templ + "/";
  }());
  return *dir;
}

void write_file(const std::string& name, std::string_view bytes) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) {
    std::perror(name.c_str());
    std::abort();
  }
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::string read_file(const std::string& name) {
  std::string out;
  FILE* f = std::fopen(name.c_str(), "rb");
  if (!f) return out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
  std::fclose(f);
  return out;
}

void clear_dir(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(d)) {
    const std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  closedir(d);
  for (const std::string& n : names) {
    const std::string p = dir + "/" + n;
    if (unlink(p.c_str()) != 0) rmdir(p.c_str());
  }
}

void copy_dir(const std::string& from, const std::string& to) {
  mkdir(to.c_str(), 0755);
  DIR* d = opendir(from.c_str());
  if (!d) {
    std::perror(from.c_str());
    std::abort();
  }
  while (dirent* e = readdir(d)) {
    const std::string p = from + "/" + e->d_name;
    struct stat st;
    if (stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    write_file(to + "/" + e->d_name, read_file(p));
  }
  closedir(d);
}

std::string data_dir() { return ZEMBU_FUZZ_DIR; }

std::vector<std::string> split_parts(const uint8_t* data, size_t size, size_t n) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  while (parts.size() + 1 < n) {
    size_t p = in.find(kSeparator);
    if (p == std::string_view::npos) break;
    parts.emplace_back(in.substr(0, p));
    in.remove_prefix(p + kSeparator.size());
  }
  parts.emplace_back(in);
  return parts;
}

}  // namespace zembu_fuzz
