#include "engine/session.h"

#include "engine/longstr.h"
#include "engine/procedures.h"
#include "engine/trans2.h"

namespace zembu::engine {

namespace {

// Start-up up to and with the procedure script, as zembu2 does it. The session keeps the
// engine only when the script was read: a stop on the way is met again by the next run.
void start_session(engine_session& s, const std::vector<std::string>& args) {
  s.eng.reset();
  s.args = args;
  auto eng = std::make_unique<engine_state>();
  configure_engine(eng->settings, args);
  open_engine_run(*eng);
  s.script_lines = read_procedure_script(*eng);
  s.started = std::make_unique<engine_setup>(*eng);
  if (!s.blank) s.blank = std::make_unique<sentence_state>();
  s.eng = std::move(eng);
}

// Sets the kept engine back to the state after start-up and does what start-up does
// before and around the script for every run.
void restart_session(engine_session& s) {
  engine_state& eng = *s.eng;
  // Of start-up's configuration a run changes only the settings (the trace switches) and
  // the names per-word rule files give their procedures; the procedure table and the
  // tables the script loaded are only read, so they are not copied again.
  eng.settings = s.started->settings;
  eng.word_file_names = s.started->word_file_names;
  // The sentence state as a fresh start has it; the scratch tables every sentence sets
  // up before reading them are not copied.
  static_cast<sentence_state&>(eng) = *s.blank;
  open_engine_run(eng);
  note_script_lines(eng.settings, s.script_lines);
}

// Closes what a run may have left open, as the end of the engine process would.
void close_run_files(engine_state& eng) {
  eng.listing.close();
  eng.result_file.close();
  eng.explain_file.close();
  eng.word_file.close();
}

// One run: start-up or its restart, then the sentence loop, from the token file or from
// `tokens` when they are given.
int run_in_session(engine_session& s, const std::vector<std::string>& args,
                   const std::string* tokens, std::string& result, bool& result_made, FILE* out,
                   FILE* in) {
  set_console(out, in);
  use_definition_cache(&s.definitions);
  result.clear();
  result_made = false;
  int status = 0;
  try {
    if (!s.eng || args != s.args) {
      start_session(s, args);
    } else {
      restart_session(s);
    }
    // Start-up looks its files up anew; from here on the run keeps what it learns.
    use_run_files(&s.files, &s.eng->settings);
    s.eng->result_text = tokens ? &result : nullptr;
    s.eng->discard_word_file = tokens != nullptr;
    const engine_settings& st = s.eng->settings;
    result_made = tokens && st.shell_mode && !st.input_name.empty();
    status = run_sentence_loops(*s.eng, tokens);
  } catch (const engine_stop&) {
    status = 0;
  }
  if (s.eng) {
    s.eng->result_text = nullptr;
    close_run_files(*s.eng);
  }
  set_console(nullptr, nullptr);
  use_definition_cache(nullptr);
  use_run_files(nullptr, nullptr);
  return status;
}

}  // namespace

int run_engine_in_session(engine_session& s, const std::vector<std::string>& args, FILE* out,
                          FILE* in) {
  std::string unused;
  bool made = false;
  return run_in_session(s, args, nullptr, unused, made, out, in);
}

int run_engine_on_tokens(engine_session& s, const std::vector<std::string>& args,
                         const std::string& tokens, std::string& result, bool& result_made,
                         FILE* out, FILE* in) {
  return run_in_session(s, args, &tokens, result, result_made, out, in);
}

}  // namespace zembu::engine
