#include "engine/trans2.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

#include "common/version.h"
#include "engine/definition_cache.h"
#include "engine/longstr.h"
#include "engine/procedures.h"
#include "engine/resultline.h"
#include "engine/run_files.h"
#include "engine/translat.h"
#include "engine/wordtable.h"

namespace zembu::engine {

namespace {

// The switches a zembu.cfg line can set, in the order the lines are tested.
struct config_key {
  const char* key;
  bool engine_settings::*flag;
};

const config_key kConfigKeys[] = {
    {"SHOW ONLY SYMBOLS", &engine_settings::show_only_symbols},
    {"SHOW ANALYSIS", &engine_settings::show_analysis},
    {"LIST ANALYSIS", &engine_settings::list_analysis},
    {"SHOW OUTPUT", &engine_settings::show_output},
    {"SHOW INIT", &engine_settings::show_init},
    {"SHOW LISTING", &engine_settings::show_listing},
    {"OLD FILE MODE", &engine_settings::old_file_mode},
    {"DISCARD TERMINATIONS", &engine_settings::discard_terminations},
    {"KEEP NAMES", &engine_settings::keep_names},
    {"SHOW CONFIG", &engine_settings::show_config},
};

bool starts_with(const std::string& s, std::string_view prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool contains(const std::string& s, const char* text) {
  return s.find(text) != std::string::npos;
}

const char* yes_no(bool b) { return b ? "yes" : "no"; }
const char* true_false(bool b) { return b ? "TRUE" : "FALSE"; }

// One question of the dialog: N or n answers no, anything else yes.
bool ask(const char* label) {
  con_write(std::string(label) + " (y/n) -> ");
  std::string answer = con_readline();
  return !(!answer.empty() && (answer[0] == 'N' || answer[0] == 'n'));
}

void ensure_trailing_slash(bstring<255>& path) {
  if (!path.empty() && path.back() == '/') return;
  std::string p = path;
  cut_to(p, 254);
  path = p + "/";
}

}  // namespace

void read_config(engine_settings& st, linereader& cfg) {
  st.modus.clear();
  std::string line;
  while (cfg.readline(line)) {
    if (line.empty() || line[0] == ' ' || line[0] == '\'' || line[0] == ';') continue;
    line = upper_str(st, line);
    if (starts_with(line, "MODUS ")) {
      if (line.size() > 6) st.modus += line[6];
      continue;
    }
    for (const config_key& k : kConfigKeys) {
      if (!starts_with(line, k.key)) continue;
      bool& flag = st.*k.flag;
      flag = true;
      if (contains(line, " TRUE")) flag = true;
      if (contains(line, " FALSE")) flag = false;
      if (contains(line, " 0")) flag = false;
      if (contains(line, " 1")) flag = true;
    }
    if (starts_with(line, "PATH ")) st.definitions_path = line.substr(5);
  }
}

bool load_config(engine_settings& st) {
  linereader cfg;
  if (!cfg.open("zembu.cfg") && !cfg.open(st.definitions_path.str() + "zembu.cfg")) return false;
  read_config(st, cfg);
  return true;
}

void read_command_line(engine_settings& st, const std::vector<std::string>& args) {
  if (!args.empty() && (args[0] == "SHELLMODE" || args[0] == "SHELLCRYPT")) {
    st.plain_definitions = args[0] == "SHELLMODE";
    if (args.size() > 1) st.definitions_path = args[1];
    if (args.size() > 2) st.input_name = args[2];
    if (args.size() > 3) st.result_name = args[3];
    if (args.size() > 4) {
      if (args[4] == "VISIBLE") st.shell_visible = true;
      if (args[4] == "visible") st.visible = true;
      if (args[4] == "EXPLAIN") st.explain = true;
    }
    st.shell_mode = true;
    st.show_output = false;
    st.show_init = false;
    st.list_analysis = false;
    st.write_result = true;
    st.show_listing = false;
    st.listing_name = "zembu.lst";
    st.word_file_name = "zembu.wor";
    return;
  }
  for (const std::string& arg : args) {
    const std::string word = upper_str(st, arg);
    if (word == "VISIBLE") {
      st.visible = true;
    } else if (word == "NOCRYPT") {
      st.plain_definitions = true;
    } else if (word == "CRYPT") {
      st.plain_definitions = false;
    } else if (!word.empty() && word[0] == '/') {
      st.definitions_path = arg;
    } else if (st.input_name.empty()) {
      st.input_name = arg;
    } else {
      st.definitions_path = arg;
    }
  }
}

void derive_names(engine_settings& st) {
  ensure_trailing_slash(st.definitions_path);
  if (st.input_name.empty() || !st.result_name.empty()) return;
  const std::string& in = st.input_name;
  size_t dot = in.find('.');
  std::string stem = dot == std::string::npos ? in + "." : in.substr(0, dot + 1);
  st.result_name = stem + "XLT";
  st.listing_name = stem + "LST";
  st.word_file_name = stem + "WOR";
}

std::string banner() { return version_banner("zembu2"); }

void settings_trace(const engine_settings& st) {
  con_writeline("version = " + banner());
  con_writeline("pathname = " + st.definitions_path.str());
  con_writeline(std::string("visible = ") + true_false(st.visible));
  con_writeline("filename = " + st.input_name.str());
  con_writeline("resultname = " + st.result_name.str());
  con_writeline(std::string("shellmode = ") + true_false(st.shell_mode));
}

void configuration_dialog(engine_settings& st) {
  con_writeline("Configuration");
  con_writeline("-------------");
  con_writeline(std::string("Visible: ") + yes_no(st.visible));
  con_writeline(std::string("Leave terminations: ") + yes_no(st.discard_terminations));
  con_writeline("Pathname " + st.definitions_path.str());
  con_writeline(std::string("Stop trace : ") + yes_no(st.stop_trace));
  con_writeline(std::string("Leave names : ") + yes_no(st.keep_names));
  con_writeline(std::string("Show analysis result : ") + yes_no(st.show_analysis));
  con_writeline(std::string("List analysis in file : ") + yes_no(st.list_analysis));
  con_writeline();
  con_write("Change configuration (y/n)? ");
  std::string answer = con_readline();
  if (!answer.empty() && std::strchr("JYjy", answer[0])) {
    st.visible = ask("Visible");
    st.discard_terminations = ask("Leave terminations");
    con_write("Pathname -> ");
    std::string path = con_readline();
    // An empty answer keeps the path; a typed one is made to end in "/" like any other.
    if (!path.empty()) {
      st.definitions_path = path;
      ensure_trailing_slash(st.definitions_path);
    }
    st.stop_trace = ask("Stop trace");
    st.keep_names = ask("Leave names ");
    st.show_analysis = ask("Show analysis result ");
    st.list_analysis = ask("List analysis in file ");
  }
  con_writeline();
}

std::string clock_text(int hour, int minute, int second) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d.%02d", hour % 100, minute % 100, second % 100);
  return buf;
}

void timing_line(engine_state& eng) {
  if (!eng.settings.show_listing) return;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  eng.listing.writeline(clock_text(local.tm_hour, local.tm_min, local.tm_sec));
}


namespace {

// Writes the source words of a token sentence, wrapped before 75 columns, to standard
// output and (with show_listing) to the listing.
void echo_token_sentence(engine_state& eng) {
  const engine_settings& st = eng.settings;
  if (st.show_listing) eng.listing.writeline("#" + eng.sentence_label.str());
  auto both = [&](std::string_view text) {
    con_write(text);
    if (st.show_listing) eng.listing.write(text);
  };
  size_t column = 0;
  for (int i = 1; i < eng.table.word_count; ++i) {
    std::string w = eng.table.originals[i].empty() ? eng.table.words[i].str() : eng.table.originals[i].str();
    if (w.rfind("ZZ_", 0) == 0) continue;
    w += " ";
    if (column > 0 && column + w.size() > 75) {
      both("\n");
      column = 0;
    }
    both(w);
    column += w.size();
  }
  both("\n\n\n");
}

// Sentences typed at the keyboard, until an empty line.
void interactive_loop(engine_state& eng) {
  engine_settings& st = eng.settings;
  st.write_result = false;
  if (st.show_init) {
    con_writeline(st.intro_text);
    con_writeline();
  }
  linereader keyboard;
  keyboard.attach(stdin);
  maxistring s;
  for (;;) {
    strtomaxi("", s);
    if (!st.external_input) {
      std::fflush(stdout);
      lreadln(keyboard, s);
    }
    split_plain_sentence(eng, s);
    if (eng.table.word_count < 2) break;
    if (eng.table.word_count == 2) continue;
    run_procedures(eng);
    con_writeline(eng.result_line.text);
    while (eng.more_pending) {
      reload_plain_rest(eng, s);
      split_plain_sentence(eng, s);
      if (eng.table.word_count > 2) {
        run_procedures(eng);
        con_writeline(eng.result_line.text);
      }
    }
  }
}

// Translates one plain sentence and, while its rest was spilled, the rest.
void translate_plain(engine_state& eng, maxistring& s) {
  const engine_settings& st = eng.settings;
  for (;;) {
    lwrapwrite(s);
    split_plain_sentence(eng, s);
    if (eng.table.word_count > 2) {
      run_procedures(eng);
      if (!eng.result_line.text.empty()) {
        if (st.show_output) lwrapwrite(eng.result_line);
        eng.result_file.writeline(eng.result_line.text);
      }
    }
    if (!eng.more_pending) break;
    reload_plain_rest(eng, s);
  }
}

// A plain text file, cut into sentences at their punctuation and at empty lines. False
// when the result file cannot be created or written.
bool plain_file_loop(engine_state& eng) {
  engine_settings& st = eng.settings;
  st.write_result = false;
  linereader in;
  if (!in.open(st.input_name)) return true;
  if (!eng.result_file.create(st.result_name)) return false;
  bool at_end = false;
  // The character read before the current one, across sentence ends: a blank right after
  // the full stop that ended a sentence ends the next one at once.
  int prev = -1;
  while (!at_end) {
    maxistring s;
    bool after_line_feed = false;
    for (;;) {
      int c = in.get();
      if (c < 0) {
        at_end = true;
        break;
      }
      if (c == '\n') {
        if (after_line_feed) break;
        after_line_feed = true;
        if (!s.text.empty() && s.text.back() == '-') {
          s.text.pop_back();
        } else {
          lappend(s, " ");
        }
        prev = c;
        continue;
      }
      after_line_feed = false;
      if (c >= 32) lappend(s, std::string(1, static_cast<char>(c)));
      bool ends = (c == '.' && !(prev == '#' || prev == '$' || prev == '%' ||
                                  (prev >= '0' && prev <= '9'))) ||
                  (c == ' ' && prev == '.') || c == '!' || c == ':' || c == '?';
      prev = c;
      if (ends) break;
    }
    if (s.text.size() < 2) continue;
    lreplace(s, "  ", " ");
    if (!s.text.empty() && s.text[0] == ' ') s.text.erase(0, 1);
    translate_plain(eng, s);
  }
  return eng.result_file.close();
}

// A token file: the route of the front end. False when the result file cannot be
// created or written.
bool token_file_loop(engine_state& eng) {
  engine_settings& st = eng.settings;
  st.write_result = true;
  linewriter rest;
  rest.create_own("zembu.rst");
  rest.close();
  linereader in;
  bool written = true;
  if (in.open(st.input_name)) {
    if (eng.result_file.create(st.result_name)) {
      while (!in.eof() || eng.rest_spilled) {
        assemble_token_sentence(eng, in);
        if (eng.table.word_count == 0) continue;
        if (st.show_output || st.show_listing) echo_token_sentence(eng);
        if (!is_strnossen(eng)) run_procedures(eng);
      }
    }
    written = eng.result_file.close();
  }
  in.close();
  delete_file("zembu.rst");
  return written;
}

// The token loop over sentences in memory, the result lines going to eng.result_text.
void token_text_loop(engine_state& eng, const std::string& tokens) {
  eng.settings.write_result = true;
  linereader in(tokens);
  while (!in.eof() || eng.rest_spilled) {
    assemble_token_sentence(eng, in);
    if (eng.table.word_count == 0) continue;
    if (eng.settings.show_output || eng.settings.show_listing) echo_token_sentence(eng);
    if (!is_strnossen(eng)) run_procedures(eng);
  }
  delete_file("zembu.rst");
}

}  // namespace

void configure_engine(engine_settings& st, const std::vector<std::string>& args) {
  load_config(st);
  st.input_name.clear();
  st.result_name.clear();
  st.show_output = true;
  st.shell_visible = false;
  read_command_line(st, args);
  derive_names(st);
}

void open_engine_run(engine_state& eng) {
  const engine_settings& st = eng.settings;
  if (st.show_listing) eng.listing.create(st.listing_name);
  if (st.visible) settings_trace(st);
  delete_file("UNKNOWN");
}

int run_sentence_loops(engine_state& eng, const std::string* tokens) {
  engine_settings& st = eng.settings;
  if (!st.shell_mode) {
    con_writeline(banner());
    con_writeline("Rule-based translation from English into German");
    con_writeline("Made by the zembu developers; all language knowledge lives in rules.txt");
    con_writeline();
  }
  timing_line(eng);
  if (st.show_config) configuration_dialog(st);
  bool written = true;
  if (st.input_name.empty()) {
    interactive_loop(eng);
  } else if (st.old_file_mode && !st.shell_mode) {
    // The front end's pass file is always a token file, whatever zembu.cfg says.
    written = plain_file_loop(eng);
  } else if (tokens && eng.result_text) {
    token_text_loop(eng, *tokens);
  } else {
    written = token_file_loop(eng);
  }
  timing_line(eng);
  eng.listing.close();
  std::fflush(stdout);
  if (!written) {
    std::fprintf(stderr, "zembu2: cannot write the result file %s: %s\n",
                 st.result_name.str().c_str(), std::strerror(eng.result_file.error()));
    return 1;
  }
  return 0;
}

namespace {

// The parsed rules of a run whose process ends right after it (see run_engine).
rule_cache* rules_left_to_exit = nullptr;

}  // namespace

int run_engine(const std::vector<std::string>& args, bool process_ends) {
  auto eng = std::make_unique<engine_state>();
  configure_engine(eng->settings, args);
  // Each text definition file is read once a run: the direct form translates many
  // sentences, and a shell run reads some files once a word (the functions file).
  definition_cache cache;
  struct cache_in_use {
    explicit cache_in_use(definition_cache* c) { use_definition_cache(c); }
    ~cache_in_use() { use_definition_cache(nullptr); }
  } in_use(&cache);
  // What the run learns about the files it looks up is kept for the run.
  run_files files;
  struct files_in_use {
    files_in_use(run_files* f, const engine_settings& st) { use_run_files(f, &st); }
    ~files_in_use() { use_run_files(nullptr, nullptr); }
  } files_used(&files, eng->settings);
  open_engine_run(*eng);
  read_procedure_script(*eng);
  const int status = run_sentence_loops(*eng);
  if (process_ends) {
    // Freeing every parsed rule costs a one-sentence run almost a tenth of its work; the
    // rules stay reachable until the process ends.
    delete rules_left_to_exit;
    rules_left_to_exit = new rule_cache(std::move(eng->parsed_rules));
  }
  return status;
}

}  // namespace zembu::engine
