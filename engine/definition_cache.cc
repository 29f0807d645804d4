#include "engine/definition_cache.h"

#include <cstdio>

#include "engine/run_files.h"

namespace zembu::engine {

namespace {

definition_cache* in_use = nullptr;

bool same_file(const cached_file& c, const file_stamp& st) {
  return c.device == st.device && c.inode == st.inode && c.size == st.size &&
         c.changed_ns == st.changed_ns;
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
  const path_facts facts = look_up_path(path);
  if (facts.kind == path_kind::missing || facts.kind == path_kind::directory) {
    file.close();
    return false;
  }
  const file_stamp& st = facts.stamp;
  if (facts.kind != path_kind::regular || st.size > max_cached_file || written_by_engine(path)) {
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
  const path_facts after = look_up_path(path);
  auto shared = std::make_shared<const std::string>(std::move(bytes));
  const cached_file read = {st.device, st.inode, st.size, st.changed_ns, shared};
  if (after.kind == path_kind::regular && same_file(read, after.stamp) &&
      static_cast<int64_t>(shared->size()) == st.size) {
    cache.files[path] = read;
  }
  file = linereader(shared);
  return true;
}

void use_definition_cache(definition_cache* cache) { in_use = cache; }

definition_cache* current_definition_cache() { return in_use; }

}  // namespace zembu::engine
