#include "engine/rule_cache.h"

#include "engine/run_files.h"

namespace zembu::engine {

namespace {

std::string key_of(std::string_view kind, const std::string& path) {
  std::string key(kind);
  key += '\n';
  key += path;
  return key;
}

// The template copies the engine writes for procedure X end in "yyy.zmb"; they come and
// go within a sentence and are never kept.
bool written_by_engine(const std::string& path) {
  const std::string suffix = "yyy.zmb";
  return path.size() >= suffix.size() &&
         path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool stamp_file(const std::string& path, file_stamp& stamp) {
  const path_facts facts = look_up_path(path);
  if (facts.kind != path_kind::regular) return false;
  stamp = facts.stamp;
  return true;
}

bool file_present(const std::string& path) {
  return look_up_path(path).kind != path_kind::missing;
}

std::shared_ptr<void> find_kept(rule_cache& cache, std::string_view kind, const std::string& path,
                                const file_stamp& stamp, bool plain) {
  auto it = cache.files.find(key_of(kind, path));
  if (it == cache.files.end() || !(it->second.stamp == stamp) || it->second.plain != plain) {
    return nullptr;
  }
  return it->second.rules;
}

void keep_rules(rule_cache& cache, std::string_view kind, const std::string& path,
                const file_stamp& stamp, bool plain, std::shared_ptr<void> rules) {
  file_stamp after;
  if (written_by_engine(path) || !stamp_file(path, after) || !(after == stamp)) {
    cache.files.erase(key_of(kind, path));
    return;
  }
  cache.files[key_of(kind, path)] = {stamp, plain, std::move(rules)};
}

}  // namespace zembu::engine
