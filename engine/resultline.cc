#include "engine/resultline.h"

#include "engine/longstr.h"
#include "engine/wordtable.h"

namespace zembu::engine {

namespace {

bool starts_with(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// The text of entry i as output shows it: it ends at a field marker (byte 255); what
// follows the marker is the engine's own bookkeeping, not text.
std::string output_text(const engine_state& eng, int i) {
  std::string text = text_of(eng, i);
  size_t marker = text.find('\xff');
  if (marker != std::string::npos) text.resize(marker);
  return text;
}

// The result line and the word lists are shown unless the front end runs the engine
// without asking for the sentences.
bool shows_output(const engine_settings& st) { return !st.shell_mode || st.shell_visible; }

// The clean-up replacements, in their order.
const char* const kCleanUp[][2] = {
    {" - ", "-"}, {" .", "."}, {" ,", ","}, {" ;", ";"}, {" :", ":"}, {" ?", "?"},
    {" !", "!"}, {"( ", "("}, {" )", ")"}, {"  ", " "}, {"?.", "?"}, {"!.", "!"},
    {",,", ","}, {",.", "."}, {",!", "!"}, {",?", "?"}, {",)", ")"}, {",(", "("},
    {" // ", ""}, {" //", ""}, {"// ", ""}, {" \\\\ ", "-"}, {"\xfe", " "},
    {" +", " ~~~"}, {"+ ", "~~~ "}, {"+", ""}, {"~~~", "+"},
};

// Writes pieces separated by blanks, with a line end before a piece that would take the
// line past 75 columns.
class word_list_writer {
 public:
  void add(const std::string& piece) {
    if (column_ > 0 && column_ + piece.size() + 1 > 75) {
      con_writeline();
      column_ = 0;
    }
    con_write(piece + " ");
    column_ += piece.size() + 1;
  }
  void finish() { con_writeline(); }

 private:
  size_t column_ = 0;
};

}  // namespace

std::string clean_result(const engine_settings& st, std::string line) {
  maxistring l;
  strtomaxi(line, l);
  for (const auto& pair : kCleanUp) lreplace(l, pair[0], pair[1]);
  if (!l.text.empty() && l.text[0] == ',') ldelete(l, 1, 2);
  if (!l.text.empty()) {
    std::string first = upper_char(st, static_cast<unsigned char>(l.text[0]));
    ldelete(l, 1, 1);
    linsert(first, l, 1);
  }
  return l.text;
}

void build_result_line(engine_state& eng, wortartenanzeige classes, ausgabesprache language) {
  const engine_settings& st = eng.settings;
  if (st.show_listing) eng.listing.writeline("#" + eng.sentence_label.str() + "#");
  maxistring l;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    std::string cls = class_of(eng, i);
    if (cls == "aux") continue;
    if (classes == wortartenanzeige::mit_wortart && !cls.empty() && cls != "STR" &&
        cls != "AUX") {
      lappend(l, cls + "_ ");
    }
    if (language == ausgabesprache::uebersetzt) {
      if (cls.empty() || cls[0] != 'E') {
        std::string text = output_text(eng, i);
        if (!text.empty()) lappend(l, text + " ");
      }
    } else {
      const std::string& source = eng.table.originals[i];
      if (!source.empty() && source != "ZZ_START") lappend(l, source + " ");
    }
  }
  if (classes == wortartenanzeige::ohne_wortart) l.text = clean_result(st, l.text);
  eng.result_line = l;
  if (st.show_listing) eng.listing.writeline(l.text);
  if (st.write_result) write_result_line(eng, l.text);
}

void analysis_listing(engine_state& eng) {
  const engine_settings& st = eng.settings;
  if (st.show_listing) eng.listing.writeline("#" + eng.sentence_label.str() + "#");
  size_t column = 0;
  auto line_end = [&] {
    if (st.show_output) con_writeline();
    if (st.show_listing) eng.listing.writeline("");
  };
  for (int i = 1; i <= eng.table.word_count; ++i) {
    std::string p = class_of(eng, i);
    std::string d = eng.table.originals[i];
    if (p.empty() || p == "aux" || p == "_UU" || p == "NOS") continue;
    if (p == "STR") d = std::string(36, '_');
    if (d.empty() || starts_with(d, "ZZ")) d = "*";
    if (st.write_result) {
      std::string line = p + " " + d;
      if (d.size() < 36) line.append(36 - d.size(), ' ');
      line += '\xff';
      line += eng.table.words[i].str();
      if (p == "STR") line += " #" + eng.sentence_label.str();
      write_result_line(eng, line);
    }
    if (d == "*" || starts_with(d, "_____")) continue;
    std::string piece;
    if (p == "   ") {
      piece = "<" + d + "> ";
    } else if (p == "KOM" || p == "SEN") {
      piece = d + " ";
    } else {
      piece = lower_str(d) + "<" + p + "> ";
    }
    if (column + piece.size() > 74) {
      line_end();
      column = 0;
    }
    if (st.show_output) con_write(piece);
    if (st.show_listing) eng.listing.write(piece);
    column += piece.size();
  }
  line_end();
  line_end();
  strtomaxi("", eng.result_line);
}

std::string coarse_label(const engine_settings& st, const std::string& cls) {
  std::string label;
  char c = cls.empty() ? '\0' : cls[0];
  if (cls == "POS" || cls == "MOR" || cls == "MOS") {
    label = "Adj";
  } else if (starts_with(cls, "DE")) {
    label = "Det";
  } else if (starts_with(cls, "FR") || starts_with(cls, "QU")) {
    label = "Que";
  } else if (c == 'B' || c == 'D' || c == 'F' || c == 'H' || c == 'M' || c == 'V') {
    label = "Ver";
  } else if (starts_with(cls, "SO")) {
    label = "Pro";
  } else if (cls == "SEN" || cls == "STR" || cls == "KOM" || cls == "PUN") {
    return "";
  } else if (cls == "PHR" || cls == "CIT" || cls == "NAM" || c == 'S') {
    label = "Sub";
  } else if (c == 'C') {
    label = "Con";
  } else if (c == 'P') {
    label = "Pre";
  } else {
    label = cls;
  }
  return capital_word(st, label);
}

void word_list_classes(engine_state& eng) {
  const engine_settings& st = eng.settings;
  word_list_writer out;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    std::string cls = class_of(eng, i);
    std::string piece = eng.table.originals[i];
    if (cls != "AUX") {
      std::string label = coarse_label(st, cls);
      if (!label.empty()) piece += " <" + label + ">";
    }
    if ((!cls.empty() && cls[0] == 'E') || upper_str(st, cls) == "NOS" ||
        starts_with(piece, "ZZ") || starts_with(piece, "_UU")) {
      continue;
    }
    if (!piece.empty() && piece[0] == '_') piece.erase(0, 1);
    out.add(piece);
  }
  out.finish();
}

void word_list_texts(engine_state& eng) {
  const engine_settings& st = eng.settings;
  word_list_writer out;
  for (int i = 1; i <= eng.table.word_count; ++i) {
    std::string cls = class_of(eng, i);
    std::string piece = output_text(eng, i);
    if (i == 1 && !piece.empty()) {
      piece = upper_char(st, static_cast<unsigned char>(piece[0])) + piece.substr(1);
    }
    for (char& c : piece) {
      if (c == '\xfe') c = ' ';
    }
    replace_all(piece, "//", "");
    replace_all(piece, "\\\\", "");
    if ((!cls.empty() && cls[0] == 'E') || upper_str(st, cls) == "AUX" || piece.empty() ||
        starts_with(piece, "ZZ")) {
      continue;
    }
    out.add(piece);
  }
  out.finish();
}

bool run_output_procedure(engine_state& eng, char code) {
  const engine_settings& st = eng.settings;
  switch (static_cast<unsigned char>(code)) {
    case 'R':
      build_result_line(eng, wortartenanzeige::ohne_wortart, ausgabesprache::uebersetzt);
      if (shows_output(st)) {
        lwrapwrite(eng.result_line);
        con_writeline();
      }
      return true;
    case 'r':
      build_result_line(eng, wortartenanzeige::ohne_wortart, ausgabesprache::originalsprache);
      lwrapwrite(eng.result_line);
      con_writeline();
      return true;
    case 'W':
      build_result_line(eng, wortartenanzeige::mit_wortart, ausgabesprache::uebersetzt);
      return true;
    case 'w':
      build_result_line(eng, wortartenanzeige::mit_wortart, ausgabesprache::originalsprache);
      return true;
    case 's':
      analysis_listing(eng);
      return true;
    case 148:
      if (shows_output(st)) word_list_classes(eng);
      return true;
    case 153:
      if (shows_output(st)) word_list_texts(eng);
      return true;
    default:
      return false;
  }
}

}  // namespace zembu::engine
