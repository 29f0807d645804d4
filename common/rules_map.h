// The source map of the definition files: for every record that makezembu writes, the
// lines it takes in its definition file and the rules.txt lines it was made from. The
// compiler writes it as definitions/rules.map; zembu --explain reads it to show the rule
// source behind every rule the engine reports as fired.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zembu {

// The name of the map beside the definition files.
constexpr const char* kRulesMapName = "rules.map";

// One record of a definition file. Its line in rules.map holds the six fields in this
// order, separated by one blank: file record line lines source source_lines.
struct map_record {
  std::string file;      // the definition file's name, without the directory
  long record = 0;       // the record's number in the file, from 1
  long line = 0;         // the file line where the record starts, from 1
  long lines = 0;        // the file lines it takes
  long source = 0;       // the rules.txt line it comes from, from 1
  long source_lines = 1; // the rules.txt lines it comes from (2 for a compound entry)
};

// The map of one compiler run, built while the files are written.
class rules_map {
 public:
  // The file is written anew: the records noted for it so far are dropped.
  void start(const std::string& file);
  // Notes the next record of `file`: `lines` file lines made from `source_lines` rules.txt
  // lines from line `source` on.
  void add(const std::string& file, long lines, long source, long source_lines = 1);
  // The text of rules.map: the files in the order they were first started, each with
  // its records in file order.
  std::string text() const;

 private:
  std::vector<std::string> order_;
  std::map<std::string, std::vector<map_record>> records_;
};

// One line of rules.map; false when it is not six fields of the form above.
bool parse_map_line(std::string_view line, map_record& out);

// The records of a rules.map text by file, in file order; malformed lines are skipped.
using map_index = std::map<std::string, std::vector<map_record>>;
map_index parse_rules_map(std::string_view text);

// The records of `file` that take any of its lines first..last, in file order.
std::vector<map_record> records_for_lines(const map_index& map, const std::string& file,
                                          long first, long last);

}  // namespace zembu
