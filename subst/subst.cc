#include "subst/subst.h"

#include <string_view>

namespace zembu::subst {

namespace {

void say(FILE* console, const std::string& line) {
  if (!console) return;
  if (!line.empty()) std::fwrite(line.data(), 1, line.size(), console);
  std::fputc('\n', console);
  std::fflush(console);
}

}  // namespace

const std::vector<replace_pair>& builtin_table() {
  // Transliteration marks typed in plain ASCII become the letters they stand for.
  static const std::vector<replace_pair> table = {
      {"\xC2\xA7", " "},                 // section sign
      {"  ", " "},
      {"s.", "\xE1\xB9\xA3"},            // s with dot below
      {"h.", "\xE1\xB8\xA5"},            // h with dot below
      {"d.", "\xE1\xB8\x8D"},            // d with dot below
      {"z.", "\xE1\xBA\x93"},            // z with dot below
      {"t.", "\xE1\xB9\xAD"},            // t with dot below
      {"\xC3\xA1", "\xC4\x81"},          // a acute -> a macron
      {"\xC3\xBA", "\xC5\xAB"},          // u acute -> u macron
      {"\xC3\xAD", "\xC4\xAB"},          // i acute -> i macron
      {"l:", "\xE1\xB8\xB9"},            // l with dot below and macron
      {"l.-", "\xE1\xB8\xB9"},
      {"l.", "\xE1\xB8\xB7"},            // l with dot below
      {"r:", "\xE1\xB9\x9D"},            // r with dot below and macron
      {"r.-", "\xE1\xB9\x9D"},
      {"r.", "\xE1\xB9\x9B"},            // r with dot below
      {"n~", "\xC3\xB1"},                // n tilde
      {"n.g", "\xE1\xB9\x85" "g"},       // n with dot above
      {"n.k", "\xE1\xB9\x85" "k"},
      {"n..", "\xE1\xB9\x85"},
      {"n.", "\xE1\xB9\x87"},            // n with dot below
      {"m..", "\xE1\xB9\x81"},           // m with dot above
      {"m.", "\xE1\xB9\x83"},            // m with dot below
      {"u:", "\xC5\xAB"},                // u macron
      {"a:", "\xC4\x81"},                // a macron
      {"i:", "\xC4\xAB"},                // i macron
      {"s'", "\xC5\x9B"},                // s acute
      {"s-", "\xC5\xA1"},                // s caron
      {"h-", "\xE1\xB8\xAB"},            // h with breve below
      {"x-", "\xE1\xB8\xAB"},
      {"\xC7\xB5", "\xC4\xA1"},          // g acute -> g with dot above
      {"g.", "\xC4\xA1"},
      {"d-", "\xE1\xB8\x8F"},            // d with line below
      {"t-", "\xE1\xB9\xAF"},            // t with line below
      {"g-", "\xC4\x9F"},                // g breve
      {"'", "\xCA\xBE"},                 // right half ring
      {" .", "."},
      {" ,", ","},
  };
  return table;
}

bool read_subst_table(linereader& in, std::vector<replace_pair>& pairs, size_t max) {
  pairs.clear();
  std::string search, replacement;
  while (in.readline(search)) {
    if (pairs.size() >= max) return true;
    if (!in.readline(replacement)) replacement.clear();
    pairs.push_back({search, replacement});
  }
  return false;
}

std::string dump_subst_table(const std::vector<replace_pair>& pairs) {
  std::string out;
  for (const replace_pair& p : pairs) {
    out += "[" + p.search + "] -> [" + p.replacement + "]\n";
  }
  return out;
}

bool subst_line(std::string& line, const std::vector<replace_pair>& pairs, size_t width) {
  // Worked one byte wider than the result may be: a line that reaches that width grew
  // too long and is cut.
  replace_repeated(line, "\t\t", "\t", width + 1);
  replace_pairs(line, pairs, width + 1);
  if (line.size() <= width) return true;
  line.resize(width);
  return false;
}

bool parse_zembu3_args(const std::vector<std::string>& args, zembu3_args& a) {
  if (args.size() < 2) return false;
  a.infile = args[0];
  a.outfile = args[1];
  a.has_table = args.size() >= 3;
  a.tablefile = a.has_table ? args[2] : std::string();
  return true;
}

std::string zembu3_usage(const std::string& program) {
  return "usage: " + program + " infile outfile [tablefile]";
}

std::string subst_text(linereader& in, const std::string& name,
                       const std::vector<replace_pair>& pairs, FILE* errors) {
  std::string text, line;
  for (size_t number = 1; in.readline(line, std::string::npos); ++number) {
    const std::string where = "zembu3: " + name + ", line " + std::to_string(number);
    if (line.size() > kLongestLine) {
      say(errors, where + " is " + std::to_string(line.size()) + " bytes long; cut to " +
                      std::to_string(kLongestLine) + " bytes");
      line.resize(kLongestLine);
    }
    if (!subst_line(line, pairs)) {
      say(errors, where + " grew beyond " + std::to_string(kLongestResult) +
                      " bytes under the substitutions; cut there");
    }
    text += line;
    text += '\n';
  }
  return text;
}

int run_zembu3(const zembu3_args& a, FILE* console, FILE* errors) {
  linereader in;
  if (!in.open(a.infile)) {
    say(console, a.infile + " cannot be opened for reading");
    return 1;
  }
  linewriter out;
  if (!out.create(a.outfile)) {
    say(console, a.outfile + " cannot be opened for writing");
    return 1;
  }

  // The pairs of the table file, read once; a file that does not open or holds no pair
  // leaves the built-in table in force.
  std::vector<replace_pair> own;
  own.reserve(kMaxPairs);
  if (a.has_table) {
    linereader table;
    if (table.open(a.tablefile) && read_subst_table(table, own)) {
      say(console, "Substitution table " + a.tablefile + ": pairs beyond " +
                       std::to_string(kMaxPairs) + " ignored");
    }
  }
  const std::vector<replace_pair>& pairs = own.empty() ? builtin_table() : own;

  out.write(subst_text(in, a.infile, pairs, errors));
  if (!out.close()) {
    say(console, a.outfile + " cannot be written");
    return 1;
  }
  return 0;
}

}  // namespace zembu::subst
