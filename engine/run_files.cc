#include "engine/run_files.h"

#include <sys/stat.h>

#include <cstdio>

namespace zembu::engine {

namespace {

run_files* in_use = nullptr;

std::string last_component(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Template copies end in "yyy.zmb"; the other files by their names.
bool written_by_run(const run_files& files, std::string_view path) {
  const std::string_view suffix = "yyy.zmb";
  if (path.size() >= suffix.size() && path.substr(path.size() - suffix.size()) == suffix) {
    return true;
  }
  const size_t slash = path.rfind('/');
  const std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
  for (const std::string& w : files.written) {
    if (w == last) return true;
  }
  return false;
}

path_facts stat_path(const std::string& path) {
  path_facts facts;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return facts;
  if (S_ISREG(st.st_mode)) {
    facts.kind = path_kind::regular;
    facts.stamp.device = st.st_dev;
    facts.stamp.inode = st.st_ino;
    facts.stamp.size = st.st_size;
    facts.stamp.changed_ns =
        static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  } else {
    facts.kind = S_ISDIR(st.st_mode) ? path_kind::directory : path_kind::other;
  }
  return facts;
}

bool try_open(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// The remembered facts of `path`, looked up now when they are not yet; null when nothing
// is remembered for it.
path_facts* remembered(const std::string& path) {
  if (!in_use || written_by_run(*in_use, path)) return nullptr;
  auto it = in_use->paths.find(path);
  if (it == in_use->paths.end()) it = in_use->paths.emplace(path, stat_path(path)).first;
  return &it->second;
}

}  // namespace

void use_run_files(run_files* files, const engine_settings* st) {
  in_use = files;
  if (!files) return;
  files->paths.clear();
  files->checks.clear();
  files->written = {"zembu.rst", "zembu.aux", "UNKNOWN"};
  if (st) {
    for (const std::string& name :
         {st->result_name.str(), st->listing_name.str(), st->word_file_name.str()}) {
      if (!name.empty()) files->written.push_back(last_component(name));
    }
  }
}

run_files* current_run_files() { return in_use; }

path_facts look_up_path(const std::string& path) {
  if (path_facts* facts = remembered(path)) return *facts;
  return stat_path(path);
}

bool open_text(linereader& file, const std::string& path) {
  path_facts* facts = remembered(path);
  if (facts && (facts->kind == path_kind::missing || facts->kind == path_kind::directory ||
                facts->opens == 0)) {
    file.close();
    return false;
  }
  const bool opened = file.open(path);
  if (facts) facts->opens = opened ? 1 : 0;
  return opened;
}

bool opens_as_text(const std::string& path) {
  path_facts* facts = remembered(path);
  if (!facts) return stat_path(path).kind != path_kind::directory && try_open(path);
  if (facts->kind == path_kind::missing || facts->kind == path_kind::directory) return false;
  if (facts->opens < 0) facts->opens = try_open(path) ? 1 : 0;
  return facts->opens == 1;
}

bool resolve_definition(const engine_settings& st, const std::string& name, std::string& path) {
  path = name;
  if (opens_as_text(path)) return true;
  path = st.definitions_path.str() + name;
  if (opens_as_text(path)) return true;
  path.clear();
  return false;
}

bool checked_before(const std::string& what, check_outcome& outcome) {
  if (!in_use) return false;
  auto it = in_use->checks.find(what);
  if (it == in_use->checks.end()) return false;
  outcome = it->second;
  return true;
}

void note_check(const std::string& what, const check_outcome& outcome) {
  if (in_use) in_use->checks[what] = outcome;
}

}  // namespace zembu::engine
