// The rule file a procedure step reads: a definition file under the name the procedure
// gives it (opened as given, else from the definitions directory, through the definition
// cache while one is set), or rule text held in memory under a name, for tests and callers
// that make their rules themselves.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "common/linereader.h"
#include "engine/settings.h"

namespace zembu::engine {

struct rule_file {
  std::string name;  // as the procedure names it; the explain trace names the file so
  std::shared_ptr<const std::string> text;  // the file's bytes, when held in memory

  // Opens the lines for reading as open_text_def does, or over the text in memory; false
  // when the file does not open.
  bool open(const engine_settings& st, linereader& file) const;
  // Opens the file itself, as given or under the definitions path, never from the cache;
  // `path` is then what opened (empty for text in memory), the key of an index of it.
  bool open_uncached(const engine_settings& st, linereader& file, std::string& path) const;
  // Opens the file of fixed records (definitions path + name) for binary reading, or a
  // stream over the text in memory; null when it does not open. The caller closes it.
  FILE* open_records(const engine_settings& st) const;
};

// The definition file `name`.
rule_file named_rule_file(std::string name);
// Rule text in memory under the name `name`.
rule_file rule_text(std::string name, std::string text);

}  // namespace zembu::engine
