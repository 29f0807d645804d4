// makedict: the lexicon part of the rule source from a German-English dictionary:
//   makedict [--overrides FILE] DICTIONARY RULES > OUTPUT
// writes RULES with the generated entries and compounds added; a summary goes to
// standard error.
#include <cstdio>
#include <string>
#include <vector>

#include "common/version.h"
#include "tools/makedict.h"

namespace {

const char kHelp[] =
    "usage: makedict [--overrides FILE] DICTIONARY RULES > OUTPUT\n"
    "Reads a German-English dictionary (\"German :: English\" lines, UTF-8) and the\n"
    "hand-written rule source RULES (code page 437) and writes RULES with the generated\n"
    "lexicon entries added at the end of its LEXICON section and the generated compounds at\n"
    "the end of its USER LEXICON section, in code page 437, to standard output. FILE holds\n"
    "hand-made corrections of the sense choice (rules/dict_overrides.txt). A summary goes to\n"
    "standard error. Exit status 0, or 1 when a file cannot be read or the output written.\n";

// The whole file `path`; false when it cannot be read.
bool read_file(const std::string& path, std::string& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  out.clear();
  char buf[1 << 16];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (zembu::answer_standard_option(args, "makedict", kHelp)) return 0;
  std::string overrides_path;
  if (args.size() >= 2 && args[0] == "--overrides") {
    overrides_path = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.size() != 2) {
    std::fputs("usage: makedict [--overrides FILE] DICTIONARY RULES > OUTPUT\n", stderr);
    return 1;
  }
  std::string dictionary, rules, overrides_text;
  for (const auto& [path, text] : {std::pair<const std::string&, std::string&>{args[0], dictionary},
                                   {args[1], rules},
                                   {overrides_path, overrides_text}}) {
    if (!path.empty() && !read_file(path, text)) {
      std::perror(("makedict: cannot read " + path).c_str());
      return 1;
    }
  }
  std::string problems;
  const zembu::dict_overrides overrides = zembu::parse_overrides(overrides_text, problems);
  if (!problems.empty()) {
    std::fprintf(stderr, "makedict: %s: lines not understood:\n%s", overrides_path.c_str(),
                 problems.c_str());
  }
  const zembu::rule_facts facts = zembu::scan_rules(rules);
  const zembu::dict_tables tables = zembu::build_dict_tables(dictionary, facts, overrides);
  const std::string out = zembu::merged_rules(facts, tables, args[0]);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::perror("makedict: cannot write the output");
    return 1;
  }
  std::fputs(zembu::dict_summary(tables).c_str(), stderr);
  return 0;
}
