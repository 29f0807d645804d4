#include "engine/procedures.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/idiome.h"
#include "engine/lexikon2.h"
#include "engine/disconti.h"
#include "engine/explain.h"
#include "engine/flexion.h"
#include "engine/longstr.h"
#include "engine/resultline.h"
#include "engine/rule_file.h"
#include "engine/syntax.h"
#include "engine/translat.h"
#include "engine/wordtable.h"

namespace zembu::engine {

namespace {

// The most restarts of procedure 6 in one sentence; a rule set whose restarts never
// settle goes on with the next procedure after this many.
constexpr int kMaxRestarts = 1000;

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

char upper_first(const engine_settings& st, char c) {
  return upper_char(st, static_cast<unsigned char>(c))[0];
}

// Handles an "IF NOT " (every letter absent) or "IF " (every letter present) prefix:
// removes it with its letters and returns false when the line is to be dropped.
bool keep_by_modus(const engine_settings& st, std::string& line, std::string_view prefix,
                   bool all_present) {
  if (upper_str(st, line.substr(0, prefix.size())) != prefix) return true;
  line.erase(0, prefix.size());
  size_t blank = line.find(' ');
  if (blank == std::string::npos) return false;
  // The letters are compared in upper case, the case in which modus holds them.
  std::string letters = upper_str(st, line.substr(0, blank));
  line.erase(0, blank + 1);
  const std::string& modus = st.modus;
  for (char c : letters) {
    bool present = modus.find(c) != std::string::npos;
    if (all_present != present) return false;
  }
  return true;
}

// The per-sentence state of a run over the procedure table.
struct sentence_run {
  maxistring snapshot;
  bool remembered_plain = true;
  bool output_done = false;
  bool trace_saved = false;
  bool saved_visible = false;
  int restarts = 0;
};

// What a procedure step is given: its code, its rule file, the argument of its line and
// its place in the procedure table.
struct step_input {
  char code = 0;
  rule_file rules;
  std::string argument;
  int index = 0;
};

// The name procedure `index` goes by: the per-word rule file it ran last, else its own.
std::string procedure_name(const engine_state& eng, int index) {
  const bstring<30>& renamed = eng.word_file_names[index];
  return renamed.empty() ? eng.procedures[index].name.str() : renamed.str();
}

// Procedure 6: starts the table again behind its target when the class line changed.
void restart(engine_state& eng, sentence_run& run, const std::string& target) {
  engine_settings& st = eng.settings;
  if (equal_maxi(eng.table.class_line, run.snapshot)) return;
  if (run.restarts >= kMaxRestarts) {
    if (st.visible) con_writeline("syntax rules: restart limit reached, going on.");
    return;
  }
  ++run.restarts;
  if (st.visible) {
    con_writeline("syntax rules: restart testing at beginning. <ENTER>");
    trace_stop(st);
  }
  run.snapshot = eng.table.class_line;
  int c = 1;
  if (target != "*") {
    while (c < max_procedures && eng.procedures[c].code != 'G' &&
           procedure_name(eng, c) != target) {
      ++c;
    }
  } else {
    while (c < max_procedures && eng.procedures[c].code != '3') ++c;
  }
  eng.current = c;
}

std::string random_number_text() {
  static std::minstd_rand rng(std::random_device{}());
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(rng() % 10000));
  return buf;
}

// Creates the temporary rule file of a template under a number that names no file yet:
// a random one, or the next free one after it. It never follows a link and never takes
// over a file that is there already, so what it writes and later deletes is its own.
// Null when no file can be created; `temp` then holds the last name tried.
FILE* create_temporary(const engine_settings& st, std::string& number, std::string& temp) {
  const unsigned first = static_cast<unsigned>(std::stoul(random_number_text()));
  for (unsigned k = 0; k < 10000; ++k) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", (first + k) % 10000);
    number = buf;
    temp = st.definitions_path.str() + number + "yyy.zmb";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) {
      FILE* f = fdopen(fd, "w");
      if (!f) {
        close(fd);
        unlink(temp.c_str());
      }
      return f;
    }
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
}

// Writes a copy of template `name` with the fields put in, runs it as pattern rules and
// deletes it again.
void apply_template(engine_state& eng, const std::string& name,
                    const std::vector<std::string>& fields) {
  engine_settings& st = eng.settings;
  const bool plain = st.plain_definitions;
  if (st.visible) con_writeline("found. filename=" + name);
  linereader tmpl;
  if (plain) {
    if (!open_text_def(st, tmpl, "xyz" + name + ".zmb")) {
      if (st.visible) con_writeline("xyz" + name + ".zmb not open (trans2).");
      return;
    }
  } else if (!open_text_def(st, tmpl, "zembu." + name)) {
    return;
  }
  std::string number, temp;
  FILE* out = create_temporary(st, number, temp);
  if (!out) {
    if (st.visible) con_writeline(temp + " not open (trans2).");
    return;
  }
  std::string line;
  while (tmpl.readline(line)) {
    unscramble_line(st, line);
    if (st.visible) con_writeline("temp idiom file " + line);
    for (size_t b = 1; b <= fields.size(); ++b) {
      replace_all(line, "$$$" + std::to_string(b), fields[b - 1]);
    }
    if (st.visible) con_writeline("temp changed " + line);
    scramble_line(st, line);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), out);
  }
  std::fclose(out);
  // A procedure names at most 30 characters; under a longer definitions path the file is
  // named without the path, which the pattern procedure puts in front when it opens it.
  // With a full procedure table the rules are not run (they have always run as one more
  // procedure behind the table's last).
  if (eng.procedure_count < max_procedures) {
    const bool fits = temp.size() <= bstring<30>::width;
    run_complex_rules(eng, named_rule_file(fits ? temp : number + "yyy.zmb"));
  }
  delete_file(temp);
  st.plain_definitions = plain;
}

// Procedure X: applies every template of the list file whose trigger is a word of the
// sentence.
void run_templates(engine_state& eng, const rule_file& list_file) {
  const engine_settings& st = eng.settings;
  const std::string& list_name = list_file.name;
  linereader list;
  if (!list_file.open(st, list)) {
    if (st.visible) con_writeline(list_name + " procfile is not open (trans2)!");
    return;
  }
  std::string line;
  while (list.readline(line)) {
    unscramble_line(st, line);
    if (line.empty() || line[0] == '\'') continue;
    std::vector<std::string> fields;
    size_t p = 0;
    while (p < line.size() && fields.size() < 10) {
      size_t blank = line.find(' ', p);
      std::string f = line.substr(p, blank == std::string::npos ? std::string::npos : blank - p);
      if (!f.empty()) fields.push_back(cut(f, 80));
      if (blank == std::string::npos) break;
      p = blank + 1;
    }
    if (fields.empty()) continue;
    const std::string name = fields.back();
    fields.pop_back();
    std::string trigger = fields.empty() ? name : fields[0];
    for (const std::string& f : fields) {
      if (!f.empty() && f[0] == '*') {
        trigger = f.substr(1);
        break;
      }
    }
    for (int i = 1; i <= eng.table.word_count; ++i) {
      if (eng.table.originals[i] == trigger) {
        apply_template(eng, name, fields);
        break;
      }
    }
  }
}

// Procedures C and D: collects the words whose entry carries the marker and runs the
// idiom (C) or pattern (D) procedure on a rule file named after each of them. The procedure
// (number `index`) goes by the name of the last of them from then on.
void run_word_files(engine_state& eng, int index, char code) {
  const char marker = code == 'C' ? '@' : '|';
  std::vector<std::string> forms;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    std::string w = eng.table.words[i];
    const bool one_reading = !entry_view(w).has_readings();
    const bool marked = entry_view(w).text().substr(0, 1) == std::string(1, marker);
    if (one_reading) {
      if (marked) {
        forms.push_back(cut(eng.table.originals[i].str(), 8));
        w.erase(9, 1);
        eng.table.words[i] = w;
      }
      continue;
    }
    for (size_t part = 4; part < w.size();) {
      size_t end = w.find('*', part);
      if (end == std::string::npos) end = w.size();
      if (part + 9 < end && w[part + 9] == marker) {
        forms.push_back(cut(eng.table.originals[i].str(), 8));
        w.erase(part + 9, 1);
        eng.table.words[i] = w;
        break;
      }
      part = end + 1;
    }
  }
  for (const std::string& f : forms) {
    const rule_file rules = named_rule_file(f + (code == 'C' ? ".ZMC" : ".ZMD"));
    eng.word_file_names[index] = rules.name;
    if (code == 'C') {
      run_idioms(eng, rules);
    } else {
      run_complex_rules(eng, rules);
    }
  }
}


// ---- The steps by procedure code ----

using step_handler = void (*)(engine_state& eng, sentence_run& run, const step_input& in);

// The output procedures R, r, W, w and s, which end the sentence's output.
void output_step(engine_state& eng, sentence_run& run, const step_input& in) {
  run_output_procedure(eng, in.code);
  run.output_done = true;
}

// Every other code: G, U and Z have no action of their own; the output word lists answer
// here, and codes without an action are passed over.
void other_step(engine_state& eng, sentence_run&, const step_input& in) {
  run_output_procedure(eng, in.code);
}

struct step_kind {
  char code;
  step_handler handler;
};

const step_kind kSteps[] = {
    {'0', [](engine_state& eng, sentence_run&, const step_input&) { split_suffixes(eng); }},
    {'3', [](engine_state& eng, sentence_run&, const step_input&) { init_analysis(eng); }},
    {'6', [](engine_state& eng, sentence_run& run, const step_input& in) {
       restart(eng, run, in.rules.name);
     }},
    {'F', [](engine_state& eng, sentence_run& run, const step_input&) {
       run.saved_visible = eng.settings.visible;
       run.trace_saved = true;
       eng.settings.visible = false;
     }},
    {'f', [](engine_state& eng, sentence_run& run, const step_input&) {
       if (run.trace_saved && !eng.trace_cut) eng.settings.visible = run.saved_visible;
     }},
    {'4', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_syntax_rules(eng, in.rules, true);
     }},
    {'A', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_syntax_rules(eng, in.rules, false);
     }},
    {'V', [](engine_state& eng, sentence_run&, const step_input&) { apply_verb_patterns(eng, 1); }},
    {'v', [](engine_state& eng, sentence_run&, const step_input&) { apply_verb_patterns(eng, 2); }},
    {'E', [](engine_state& eng, sentence_run&, const step_input& in) {
       flatten_analysis(eng, in.rules);
     }},
    {'7', [](engine_state& eng, sentence_run&, const step_input& in) {
       inflect_words(eng, in.rules);
     }},
    {'X', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_templates(eng, in.rules);
     }},
    {'C', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_word_files(eng, in.index, 'C');
     }},
    {'D', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_word_files(eng, in.index, 'D');
     }},
    {'l', [](engine_state& eng, sentence_run&, const step_input& in) {
       lexicon_search(eng, in.rules, searchmodus::normal);
     }},
    {'1', [](engine_state& eng, sentence_run&, const step_input& in) {
       lexicon_search(eng, in.rules, searchmodus::simple);
     }},
    {'L', [](engine_state& eng, sentence_run&, const step_input& in) {
       lexicon_search(eng, in.rules, searchmodus::forsecond);
     }},
    {'S', [](engine_state& eng, sentence_run&, const step_input&) { write_unknown_words(eng); }},
    {'b', [](engine_state& eng, sentence_run&, const step_input& in) {
       load_change_pairs(eng, in.rules);
     }},
    {'B', [](engine_state& eng, sentence_run&, const step_input& in) {
       analyse_unknown_endings(eng, in.rules);
     }},
    {'d', [](engine_state& eng, sentence_run&, const step_input&) { select_readings(eng); }},
    {'9', [](engine_state& eng, sentence_run&, const step_input&) { select_first_readings(eng); }},
    {'y', [](engine_state& eng, sentence_run&, const step_input& in) {
       split_prefix(eng, in.rules);
     }},
    {'2', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_idioms(eng, in.rules);
     }},
    {'8', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_indexed_idioms(eng, in.rules);
     }},
    {'5', [](engine_state& eng, sentence_run&, const step_input& in) {
       run_complex_rules(eng, in.rules);
     }},
    {'R', output_step},
    {'r', output_step},
    {'W', output_step},
    {'w', output_step},
    {'s', output_step},
};

// The handler of every code, from kSteps; other_step for the codes it does not name.
const std::array<step_handler, 256>& step_handlers() {
  static const std::array<step_handler, 256> handlers = [] {
    std::array<step_handler, 256> h;
    h.fill(other_step);
    for (const step_kind& k : kSteps) h[static_cast<unsigned char>(k.code)] = k.handler;
    return h;
  }();
  return handlers;
}

// Runs the step of `in.code` on its input.
void run_step(engine_state& eng, sentence_run& run, const step_input& in) {
  step_handlers()[static_cast<unsigned char>(in.code)](eng, run, in);
}

}  // namespace

int read_procedure_script(engine_state& eng) {
  const engine_settings& st = eng.settings;
  const std::string name = st.plain_definitions ? "exec.zmb" : "zembu.000";
  linereader script;
  if (!open_text_def(st, script, name)) file_not_found(st, name);
  const int lines = read_script(eng, script);
  note_script_lines(st, lines);
  return lines;
}

void note_script_lines(const engine_settings& st, int lines) {
  if (lines <= max_procedures) return;
  const std::string name = st.plain_definitions ? "exec.zmb" : "zembu.000";
  std::fprintf(stderr,
               "zembu2: the procedure script %s has %d procedure lines, more than the %d "
               "the engine holds; only the first %d are run\n",
               name.c_str(), lines, max_procedures, max_procedures);
}

int read_script(engine_state& eng, linereader& script) {
  engine_settings& st = eng.settings;
  eng.procedure_count = 0;
  int lines = 0;
  std::string line;
  bool head = true;
  while (head && script.readline(line)) {
    unscramble_line(st, line);
    const std::string u = upper_str(st, line);
    if (starts_with(u, "INTRO")) {
      st.intro_text = line.size() > 6 ? line.substr(6) : std::string();
    } else if (u == "LEAVENAMES" || u == "MARKUPPER") {
      st.keep_names = true;
    } else if (starts_with(u, "KEYBOARD")) {
      char k = line.size() > 9 ? upper_first(st, line[9]) : '\0';
      if (k == 'A') st.right_to_left = true;
      if (k == 'D' || k == 'G') st.external_input = false;
      if (k == 'J') st.external_input = true;
    } else if (starts_with(u, "MODUS")) {
      if (line.size() > 6) st.modus += upper_first(st, line[6]);
    }
    if (u == "PROCEDURES") head = false;
  }
  if (head) return 0;  // a script without its PROCEDURES line has no procedures
  while (script.readline(line)) {
    unscramble_line(st, line);
    if (line.empty() || line[0] == '\'') continue;
    if (!keep_by_modus(st, line, "IF NOT ", false)) continue;
    if (!keep_by_modus(st, line, "IF ", true)) continue;
    if (line.empty()) continue;
    ++lines;
    if (eng.procedure_count >= max_procedures) continue;  // only counted
    procedure_entry e;
    e.code = line[0];
    std::string rest = line.size() > 2 ? line.substr(2) : std::string();
    size_t blank = rest.find(' ');
    if (blank == std::string::npos) {
      e.name = rest;
    } else {
      e.name = rest.substr(0, blank);
      e.argument = trim_spaces(rest.substr(blank + 1));
    }
    eng.procedures[++eng.procedure_count] = e;
    if (e.code == '0') load_terminations(eng, e.name);
    if (e.code == 'V') load_verb_patterns(eng, 1, e.name);
    if (e.code == 'v') load_verb_patterns(eng, 2, e.name);
  }
  return lines;
}

void load_terminations(engine_state& eng, const std::string& name) {
  const engine_settings& st = eng.settings;
  linereader f;
  if (!open_text_def(st, f, name)) return;
  std::string line;
  long line_no = 0;  // of the line last read
  while (eng.termination_count < max_terminations && f.readline(line)) {
    ++line_no;
    unscramble_line(st, line);
    const std::string u = upper_str(st, line);
    if (!u.empty() && u[0] == '+') {
      if (eng.suffix_count < max_suffixes) {
        eng.suffixes[++eng.suffix_count] = u.substr(1);
        eng.suffix_lines[eng.suffix_count] = {name, line_no, line_no};
      }
      continue;
    }
    // Prefix and suffix around the first "-"; without one the whole line is the suffix.
    termination_entry t;
    size_t dash = u.find('-');
    if (dash == std::string::npos) {
      t.second = u;
    } else {
      t.first = u.substr(0, dash);
      t.second = u.substr(dash + 1);
    }
    file_lines from{name, line_no, line_no};
    std::string next;
    if (f.readline(next)) {
      from.last = ++line_no;
      unscramble_line(st, next);
      size_t blank = next.find(' ');
      t.third = next.substr(0, blank);
      if (blank != std::string::npos) t.fourth = next.substr(blank + 1);
    }
    eng.terminations[++eng.termination_count] = t;
    eng.termination_lines[eng.termination_count] = from;
  }
}

std::string verb_file_name(const engine_settings& st, const std::string& name, int which) {
  const std::string digit = std::to_string(which);
  if (st.plain_definitions) {
    if (name.size() >= 4 && upper_str(st, name.substr(name.size() - 4)) == ".ZMB") {
      return name.substr(0, name.size() - 4) + digit + name.substr(name.size() - 4);
    }
    return name + digit;
  }
  if (which == 1) return name;
  size_t dot = name.find('.');
  if (dot == std::string::npos) return name;
  size_t end = dot + 1;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  if (end == dot + 1 || end - dot - 1 > 9) return name;
  std::string digits = name.substr(dot + 1, end - dot - 1);
  std::string next = std::to_string(std::stol(digits) + 1);
  if (next.size() < digits.size()) next.insert(0, digits.size() - next.size(), '0');
  return name.substr(0, dot + 1) + next + name.substr(end);
}

void load_verb_patterns(engine_state& eng, int set, const std::string& name) {
  const engine_settings& st = eng.settings;
  vp_set& vp = eng.verb_patterns[set];
  std::string line;
  linereader first;
  if (open_text_def(st, first, verb_file_name(st, name, 1))) {
    while (first.readline(line)) {
      if (vp.pattern_count >= max_vp_patterns) break;
      unscramble_line(st, line);
      size_t blank = line.find(' ');
      vp.patterns[vp.pattern_count++] = blank == std::string::npos ? line : line.substr(blank + 1);
    }
  }
  linereader second;
  if (open_text_def(st, second, verb_file_name(st, name, 2))) {
    while (second.readline(line)) {
      if (vp.code_count >= max_vp_codes) break;
      unscramble_line(st, line);
      size_t blank = line.find(' ');
      vp.codes[vp.code_count++] = blank == std::string::npos ? line : line.substr(blank + 1);
    }
  }
}

void split_suffixes(engine_state& eng) {
  const engine_settings& st = eng.settings;
  for (int w = 1; w <= eng.table.word_count; ++w) {
    if (st.visible) con_writeline("check affix " + eng.table.originals[w].str());
    bool again = true;
    while (again && eng.table.word_count < max_words) {
      again = false;
      const std::string source = eng.table.originals[w];
      for (int s = 1; s <= eng.suffix_count; ++s) {
        const std::string& suf = eng.suffixes[s];
        // An empty suffix (a "+" line without text) ends no word.
        if (suf.empty() || suf.size() >= source.size() ||
            source.compare(source.size() - suf.size(), suf.size(), suf) != 0) {
          continue;
        }
        if (st.visible) con_writeline("affix found " + suf);
        const file_lines& at = eng.suffix_lines[s];
        if (at.first > 0) note_fired(eng, at.file, at.first, at.last);
        std::string word = eng.table.words[w];
        word.resize(word.size() > suf.size() ? word.size() - suf.size() : 0);
        eng.table.originals[w] = source.substr(0, source.size() - suf.size());
        eng.table.words[w] = word;
        eng.table.insert(w + 1, suf, suf);
        eng.table.insert_symbol(w + 1, "ZZZ");
        again = true;
        break;
      }
    }
  }
}

void run_procedures(engine_state& eng) {
  engine_settings& st = eng.settings;
  sentence_run run;
  eng.current = 1;
  eng.syntax_restarts = 0;
  eng.work = 0;
  eng.work_exhausted = false;
  eng.complex_firings = 0;
  eng.trace_start = con_lines();
  eng.trace_cut = false;
  const bool visible_at_start = st.visible;
  init_analysis(eng);
  run.snapshot = eng.table.class_line;
  run.remembered_plain = st.plain_definitions;
  if (st.visible) con_writeline("MODUS=" + st.modus.str());
  explain_view view;
  procedure_entry started;  // the entry as it starts: per-word rule files rename it
  if (st.explain) explain_sentence_start(eng, view);
  while (eng.current <= eng.procedure_count && spend_work(eng, work_rule)) {
    const procedure_entry& e = eng.procedures[eng.current];
    const int index = eng.current;
    const std::string name = procedure_name(eng, index);
    if (st.explain) started = {e.code, name, e.argument};
    if (st.visible) {
      con_writeline(std::string(77, '-'));
      con_writeline(name + ": " + e.argument.str());
    }
    if (eng.current > 1 && eng.procedures[eng.current - 1].code == 'U') {
      run.remembered_plain = st.plain_definitions;
      st.plain_definitions = true;
    } else {
      st.plain_definitions = run.remembered_plain;
    }
    run_step(eng, run, {e.code, named_rule_file(e.name.str()), e.argument.str(), index});
    if (st.explain) explain_procedure_done(eng, index, started, view);
    ++eng.current;
  }
  if (!run.output_done) {
    build_result_line(eng, wortartenanzeige::ohne_wortart, ausgabesprache::uebersetzt);
  }
  if (st.explain) explain_sentence_end(eng);
  if (eng.trace_cut) st.visible = visible_at_start;
}

std::string dump_procedures(const engine_state& eng) {
  std::string out;
  for (int i = 1; i <= eng.procedure_count; ++i) {
    const procedure_entry& e = eng.procedures[i];
    out += std::string(1, e.code) + "|" + e.name.str() + "|" + e.argument.str() + "\n";
  }
  return out;
}

}  // namespace zembu::engine
