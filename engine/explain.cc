#include "engine/explain.h"

namespace zembu::engine {

namespace {

// A field of a trace line: TABs and line ends would break the line, so they become blanks.
std::string field(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

void write_text(engine_state& eng, const std::string& text) {
  if (eng.explain_file.is_open()) eng.explain_file.write(text);
}

}  // namespace

explain_view take_view(const engine_state& eng) {
  explain_view v;
  v.words.reserve(static_cast<size_t>(eng.table.word_count));
  for (int i = 1; i <= eng.table.word_count && i <= max_words; ++i) {
    v.words.emplace_back(eng.table.originals[i].str(), eng.table.words[i].str());
  }
  v.class_line = eng.table.class_line.text;
  return v;
}

std::string words_lines(const explain_view& v) {
  std::string out = "words\t" + std::to_string(v.words.size()) + "\n";
  for (size_t i = 0; i < v.words.size(); ++i) {
    out += "word\t" + std::to_string(i + 1) + "\t" + field(v.words[i].first) + "\t" +
           field(v.words[i].second) + "\n";
  }
  return out;
}

std::string procedure_block(int index, const procedure_entry& e,
                            const std::vector<fired_rule>& fired, const explain_view& before,
                            const explain_view& after) {
  std::string out = "procedure\t" + std::to_string(index) + "\t" + field(std::string(1, e.code)) +
                    "\t" + field(e.name.str()) + "\t" + field(e.argument.str()) + "\n";
  for (const fired_rule& f : fired) {
    out += "fired\t" + field(f.file) + "\t" + std::to_string(f.first) + "\t" +
           std::to_string(f.last) + "\n";
  }
  if (after.words != before.words) out += words_lines(after);
  if (after.class_line != before.class_line) out += "class\t" + field(after.class_line) + "\n";
  return out;
}

void explain_sentence_start(engine_state& eng, explain_view& view) {
  if (!eng.explain_file.is_open()) eng.explain_file.create_own(kExplainFile);
  eng.fired.clear();
  view = take_view(eng);
  write_text(eng, "sentence\t" + field(eng.sentence_label.str()) + "\n" + words_lines(view) +
                      "class\t" + field(view.class_line) + "\n");
}

void explain_procedure_done(engine_state& eng, int index, const procedure_entry& e,
                            explain_view& view) {
  explain_view now = take_view(eng);
  write_text(eng, procedure_block(index, e, eng.fired, view, now));
  eng.fired.clear();
  view = std::move(now);
}

void explain_sentence_end(engine_state& eng) {
  write_text(eng, "result\t" + field(eng.result_line.text) + "\nend\n");
}

}  // namespace zembu::engine
