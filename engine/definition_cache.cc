#include "engine/definition_cache.h"

#include <sys/stat.h>

#include <cstdio>

namespace zembu::engine {

namespace {

definition_cache* in_use = nullptr;

int64_t changed_ns(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool same_file(const cached_file& c, const struct stat& st) {
  return c.device == st.st_dev && c.inode == st.st_ino && c.size == st.st_size &&
         c.changed_ns == changed_ns(st);
}

// The template copies the engine writes for procedure X end in "yyy.zmb"; they come and
// go within a sentence and are never kept.
bool written_by_engine(const std::string& path) {
  const std::string suffix = "yyy.zmb";
  return path.size() >= suffix.size() &&
         path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The whole file; false when it cannot be read.
bool read_whole(const std::string& path, std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[1 << 16];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

bool open_cached(definition_cache& cache, linereader& file, const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    file.close();
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > max_cached_file || written_by_engine(path)) {
    return file.open(path);
  }
  auto it = cache.files.find(path);
  if (it != cache.files.end() && same_file(it->second, st)) {
    file = linereader(it->second.bytes);
    return true;
  }
  std::string bytes;
  if (!read_whole(path, bytes)) {
    file.close();
    return false;
  }
  // Kept only when the file did not change while it was read.
  struct stat after;
  auto shared = std::make_shared<const std::string>(std::move(bytes));
  if (stat(path.c_str(), &after) == 0 && same_file({st.st_dev, st.st_ino, st.st_size,
                                                    changed_ns(st), nullptr}, after) &&
      static_cast<int64_t>(shared->size()) == st.st_size) {
    cache.files[path] = {st.st_dev, st.st_ino, st.st_size, changed_ns(st), shared};
  }
  file = linereader(shared);
  return true;
}

void use_definition_cache(definition_cache* cache) { in_use = cache; }

definition_cache* current_definition_cache() { return in_use; }

}  // namespace zembu::engine
