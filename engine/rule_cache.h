// Rule files parsed once for a run: the parsed form of a rule file is kept by its kind and
// path and used again while the file is the same (device, inode, size and modification
// time unchanged) and read the same way (plain or enciphered); otherwise it is parsed anew.
// Files the engine writes itself (template copies) are never kept.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "common/linereader.h"
#include "engine/rule_file.h"
#include "engine/settings.h"

namespace zembu::engine {

// What identifies a file as it is now.
struct file_stamp {
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t changed_ns = 0;  // modification time
  bool operator==(const file_stamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && changed_ns == o.changed_ns;
  }
};

// The stamp of `path`; false when it is no regular file (or does not exist).
bool stamp_file(const std::string& path, file_stamp& stamp);
// True when something (a file of any kind) stands under `path`.
bool file_present(const std::string& path);

// One parsed rule file (of a type its kind knows).
struct kept_rules {
  file_stamp stamp;
  bool plain = true;
  std::shared_ptr<void> rules;
};

struct rule_cache {
  std::map<std::string, kept_rules> files;  // by kind, a line feed and the path
  // The rules read through an idiom file's index, by the file's path; made anew whenever
  // the index is opened.
  std::map<std::string, std::shared_ptr<void>> through_index;
};

// The rules kept for (kind, path) when they were parsed from the file as it is now and
// read with `plain`; null otherwise.
std::shared_ptr<void> find_kept(rule_cache& cache, std::string_view kind, const std::string& path,
                                const file_stamp& stamp, bool plain);
// Keeps `rules` for (kind, path), parsed from the file of `stamp`, unless the engine writes
// that file itself or the file changed meanwhile.
void keep_rules(rule_cache& cache, std::string_view kind, const std::string& path,
                const file_stamp& stamp, bool plain, std::shared_ptr<void> rules);

// Opens rule file `file` (as given, else under the definitions path) and gives its rules
// as `parse(linereader&)` makes them, kept from an earlier call while the file is
// unchanged; rule text held in memory is parsed on every call and never kept. `path`
// receives the path that opened (empty for text in memory). Null when the file does not
// open.
template <class T, class Parse>
std::shared_ptr<const T> load_rules(rule_cache& cache, std::string_view kind,
                                    const rule_file& file, const engine_settings& st,
                                    std::string& path, Parse parse) {
  if (file.text) {
    path.clear();
    linereader f(file.text);
    return std::make_shared<T>(parse(f));
  }
  const bool plain = st.plain_definitions;
  for (int which = 0; which < 2; ++which) {
    path = which == 0 ? file.name : st.definitions_path.str() + file.name;
    file_stamp stamp;
    const bool regular = stamp_file(path, stamp);
    if (!regular && !file_present(path)) continue;
    if (regular) {
      if (auto kept = find_kept(cache, kind, path, stamp, plain)) {
        return std::static_pointer_cast<const T>(kept);
      }
    }
    linereader f;
    if (!f.open(path)) continue;
    auto rules = std::make_shared<T>(parse(f));
    if (regular) keep_rules(cache, kind, path, stamp, plain, rules);
    return rules;
  }
  path.clear();
  return nullptr;
}

}  // namespace zembu::engine
