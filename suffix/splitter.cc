#include "suffix/splitter.h"

#include <utility>

namespace zembu::suffix {

const char kDefaultSuffixFile[] = "definitions/aggl.zmb";

void console::line(std::string_view s) {
  if (!out) {
    captured.append(s);
    captured += '\n';
    return;
  }
  if (!s.empty()) std::fwrite(s.data(), 1, s.size(), out);
  std::fputc('\n', out);
}

void console::wait() {
  if (out) std::fflush(out);
  std::string answer;
  if (answers) answers->readline(answer);
}

bool read_suffixes(linereader& in, std::vector<std::string>& list, size_t max) {
  list.clear();
  std::string line;
  while (in.readline(line)) {
    if (line.empty()) continue;
    if (list.size() >= max) return true;
    list.push_back(line);
  }
  return false;
}

bool suffix_applies(std::string_view suffix, std::string_view word) {
  return !suffix.empty() && suffix.size() < word.size() &&
         word.compare(word.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void read_tokens(linereader& in, tokentab& t, console* trace) {
  std::string line;
  while (t.entries.size() < t.capacity && in.readline(line)) {
    if (trace && !line.empty()) trace->line("read: " + line);
    add_token(t, parse_token_line(line));
  }
}

void split_tokens(tokentab& t, const std::vector<std::string>& suffixes, console* trace) {
  for (size_t i = 0; i < t.entries.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    if (trace) trace->line("Treat " + number + " " + t.entries[i].word);
    for (const std::string& suffix : suffixes) {
      std::string& word = t.entries[i].word;
      if (!suffix_applies(suffix, word)) continue;
      if (trace) trace->line("found suffix " + suffix + " in " + word);
      word.resize(word.size() - suffix.size());
      insert_token(t, i, suffix_entry(suffix));
      if (trace) {
        trace->line("insert " + suffix + " at " + number);
        std::string table = dump_tokentab(t);
        if (!table.empty()) table.pop_back();
        trace->line(table);
        trace->line("ENTER-->");
        trace->wait();
      }
    }
  }
}

bool parse_zembu4_args(const std::vector<std::string>& args, zembu4_args& a) {
  if (args.size() < 2) return false;
  a.infile = args[0];
  a.outfile = args[1];
  a.suffixfile = kDefaultSuffixFile;
  a.visible = false;
  if (args.size() >= 3) {
    if (args[2] == "visible") {
      a.visible = true;
    } else if (!args[2].empty()) {
      a.suffixfile = args[2];
    }
  }
  if (args.size() >= 4 && args[3] == "visible") a.visible = true;
  return true;
}

std::string zembu4_usage(const std::string& program) {
  return "Wrong number of parameter. usage: " + program + " infile outfile suffixfile visible";
}

void report_error(console& con, std::string_view message) {
  con.line("");
  con.line(message);
}

std::string split_token_text(const tokentab& t, linereader& in, bool& passed_through) {
  std::string text;
  auto add = [&text](const token_entry& e) {
    text += format_token_line(e);
    text += '\n';
  };
  for (const token_entry& e : t.entries) add(e);
  // What did not fit into the table goes out unsplit, in sentence order: the entries
  // pushed past the end, then the lines not read yet.
  passed_through = !t.beyond.empty();
  for (auto it = t.beyond.rbegin(); it != t.beyond.rend(); ++it) add(*it);
  std::string line;
  while (in.readline(line)) {
    passed_through = true;
    add(parse_token_line(line));
  }
  return text;
}

int run_zembu4(const zembu4_args& a, console& con) {
  console* trace = a.visible ? &con : nullptr;

  linereader suffixfile;
  if (!suffixfile.open(a.suffixfile)) {
    report_error(con, "Suffix file " + a.suffixfile + " not open");
    return 1;
  }
  std::vector<std::string> suffixes;
  suffixes.reserve(kMaxSuffixes);
  const bool too_many = read_suffixes(suffixfile, suffixes);
  suffixfile.close();
  if (trace) {
    for (const std::string& s : suffixes) trace->line("Suffix " + s);
  }
  if (too_many) {
    con.line("Suffix file " + a.suffixfile + ": suffixes beyond " +
             std::to_string(kMaxSuffixes) + " ignored");
  }

  linereader in;
  if (!in.open(a.infile)) {
    report_error(con, "Cannot read input file " + a.infile);
    return 1;
  }
  tokentab t;
  init_tokentab(t);
  read_tokens(in, t, trace);

  linewriter out;
  if (!out.create(a.outfile)) {
    report_error(con, "Result file " + a.outfile + " cannot be written");
    return 1;
  }
  split_tokens(t, suffixes, trace);

  bool passed_through = false;
  out.write(split_token_text(t, in, passed_through));
  if (!out.close()) {
    report_error(con, "Result file " + a.outfile + " cannot be written");
    return 1;
  }
  if (passed_through) {
    con.line("Token lines beyond " + std::to_string(kMaxTokens) + " written unsplit");
  }
  return 0;
}

}  // namespace zembu::suffix
