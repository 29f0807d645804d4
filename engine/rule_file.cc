#include "engine/rule_file.h"

#include <utility>

#include "engine/run_files.h"
#include "engine/translat.h"

namespace zembu::engine {

bool rule_file::open(const engine_settings& st, linereader& file) const {
  if (text) {
    file = linereader(text);
    return true;
  }
  return open_text_def(st, file, name);
}

bool rule_file::open_uncached(const engine_settings& st, linereader& file,
                              std::string& path) const {
  if (text) {
    file = linereader(text);
    path.clear();
    return true;
  }
  path = name;
  if (open_text(file, path)) return true;
  path = st.definitions_path.str() + name;
  return open_text(file, path);
}

FILE* rule_file::open_records(const engine_settings& st) const {
  if (!text) return std::fopen((st.definitions_path.str() + name).c_str(), "rb");
  return fmemopen(const_cast<char*>(text->data()), text->size(), "rb");
}

rule_file named_rule_file(std::string name) { return rule_file{std::move(name), nullptr}; }

rule_file rule_text(std::string name, std::string text) {
  return rule_file{std::move(name), std::make_shared<const std::string>(std::move(text))};
}

}  // namespace zembu::engine
