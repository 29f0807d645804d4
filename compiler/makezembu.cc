#include "compiler/makezembu.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "common/idiom_index.h"
#include "common/lexicon_index.h"
#include "common/linereader.h"
#include "common/procedure_limit.h"
#include "common/rules_map.h"
#include "compiler/felder.h"
#include "compiler/quelle.h"
#include "compiler/saetze.h"
#include "compiler/staged_files.h"
#include "compiler/tabellen.h"

namespace zembu {

namespace {

// The head of the procedure script; a procedure line's comment starts in column 18.
constexpr std::string_view kKopf[] = {
    "INTRO Please enter sentences:",
    "MODUS COMPUTER only first letter is valid for procedures",
    "PROCEDURES",
    "F *              visible = false",
    "0 term.zmb       terminations in source language",
    "L lexi.zmb       lexicon",
    "L user1.zmb      simple entries from userlex",
    "2 user2.zmb      compound entries from userlex",
    "f *              visible = true",
};
constexpr std::string_view kSchluss = "S *              show with part of speech";

std::string tabelle_voll(std::string_view name) {
  return "more than 1000 entries in the " + std::string(name) + " table";
}

// The lines of the procedure script, kept until the run ends and written then.
struct script_lines {
  std::vector<std::string> lines;
  void writeline(std::string_view s) { lines.emplace_back(s); }
};

// The state of one run.
struct compiler {
  quelle q;
  std::string defpath;
  script_lines script;
  staged_files files;  // every file of the run, put in place at its end
  rules_map map;       // where each record of those files comes from in the source
  std::vector<long> endung_zeilen;  // the source line of each termination table entry
  ersetzungstabelle ersetzungen;
  endungstabelle endungen;
  abkuerzungstabelle abkuerzungen;
  int syntax_zaehler = 0;
  int komplex_zaehler = 0;
  int idiom_zaehler = 0;
  std::string fehler;  // error text of a malformed line
  // Buffers reused from line to line.
  std::string line;
  std::string text;
  satz s;

  // Starts the definition file `name` anew; a failure is noted, the section goes on and
  // the run stops after it.
  linewriter& erzeuge(const std::string& name) {
    map.start(name);
    return files.begin(defpath + name);
  }
  // Writes the lines of `s` and empties it.
  void schreibe(linewriter& w) {
    for (const std::string& z : s) w.writeline(std::string_view(z).substr(0, kShortWidth));
    s.clear();
  }
  // Writes the lines of `s` as the next record of `name`, made from the line last read.
  void schreibe_satz(linewriter& w, const std::string& name) {
    map.add(name, static_cast<long>(s.size()), q.line_number());
    schreibe(w);
  }
  // Notes the next record of `name`: `lines` lines made from the line last read.
  void merke(const std::string& name, long lines) { map.add(name, lines, q.line_number()); }
};

using sektion = bool (*)(compiler&);

bool unknown_word(compiler& c) {
  c.script.writeline("B chang.zmb      changes for unknown words");
  linewriter& w = c.erzeuge("chang.zmb");
  while (c.q.naechste(c.line)) {
    w.writeline(c.line);
    c.merke("chang.zmb", 1);
  }
  return true;
}

bool substitution(compiler& c) {
  linewriter& w = c.erzeuge("ascii.zmb");
  c.ersetzungen.clear();
  replace_pair p;
  while (c.q.naechste(c.line)) {
    if (!ersetzung_paar(c.line, p, c.fehler)) return false;
    if (!c.ersetzungen.add(p.search, p.replacement)) {
      c.fehler = tabelle_voll("substitution");
      return false;
    }
    w.writeline(p.search);
    w.writeline(p.replacement);
    c.merke("ascii.zmb", 2);
  }
  return true;
}

bool final_substitution(compiler& c) {
  linewriter& w = c.erzeuge("asci2.zmb");
  replace_pair p;
  while (c.q.lies_roh(c.line)) {
    if (is_section_end(c.line)) break;
    std::string_view t = trim(c.line);
    if (t.empty() || t[0] == ';' || is_section_end(t)) continue;
    if (!final_paar(c.line, p, c.fehler)) return false;
    w.writeline(p.search);
    w.writeline(p.replacement);
    c.merke("asci2.zmb", 2);
  }
  return true;
}

bool comment(compiler& c) {
  while (c.q.naechste(c.line)) {
  }
  return true;
}

bool termination(compiler& c) {
  linewriter& w = c.erzeuge("term.zmb");
  endung e;
  while (c.q.naechste(c.line)) {
    if (!endung_eintrag(c.line, c.ersetzungen, e, c.fehler)) return false;
    if (!c.endungen.add(std::move(e))) {
      c.fehler = tabelle_voll("termination");
      return false;
    }
    c.endung_zeilen.push_back(c.q.line_number());
  }
  // The file holds the whole table, the entries of earlier sections too.
  const std::vector<endung>& alle = c.endungen.eintraege();
  for (size_t i = 0; i < alle.size() && i < c.endung_zeilen.size(); ++i) {
    c.map.add("term.zmb", starts_with(alle[i].ending, "+") ? 1 : 2, c.endung_zeilen[i]);
  }
  endung_saetze(c.endungen, c.s);
  c.schreibe(w);
  return true;
}

bool agglutination(compiler& c) {
  linewriter& w = c.erzeuge("aggl.zmb");
  while (c.q.naechste(c.line)) {
    w.writeline(normkey(c.line, c.ersetzungen));
    c.merke("aggl.zmb", 1);
  }
  return true;
}

// The sections whose every line gives one record of a builder.
bool satz_sektion(compiler& c, const char* datei,
                  bool (*builder)(std::string_view, satz&, std::string&)) {
  linewriter& w = c.erzeuge(datei);
  while (c.q.naechste(c.line)) {
    if (!builder(c.line, c.s, c.fehler)) return false;
    c.schreibe_satz(w, datei);
  }
  return true;
}

bool syntax(compiler& c) {
  if (c.syntax_zaehler == 0) {
    c.script.writeline("S *              show original words");
    c.script.writeline("3 *              syntax start");
    c.script.writeline("G restart        re-iterate");
  }
  std::string name = "synt" + std::to_string(++c.syntax_zaehler) + ".zmb";
  c.script.writeline("4 " + name);
  linewriter& w = c.erzeuge(name);
  while (c.q.naechste(c.line)) {
    if (!syntax_satz(c.line, c.endungen, c.s, c.fehler)) return false;
    c.schreibe_satz(w, name);
  }
  return true;
}

bool inflection(compiler& c) {
  c.script.writeline("7 flex.zmb");
  return satz_sektion(c, "flex.zmb", flexion_satz);
}

bool irregularity(compiler& c) {
  c.script.writeline("2 irrg.zmb");
  return satz_sektion(c, "irrg.zmb", irregulaer_satz);
}

bool function(compiler& c) {
  c.script.writeline("6 restart        re-iterate if changes were made");
  c.script.writeline("9 *              select first entry of polyvalent syntax; syntax end");
  c.script.writeline("E func.zmb");
  return satz_sektion(c, "func.zmb", funktion_satz);
}

// A line of a lexicon section that defines an abbreviation; false when the table is full.
bool abkuerzung(compiler& c, bool& ist_abkuerzung) {
  std::string abbreviation, expansion;
  ist_abkuerzung = abkuerzung_zeile(c.line, abbreviation, expansion);
  if (ist_abkuerzung && !c.abkuerzungen.add(std::move(abbreviation), std::move(expansion))) {
    c.fehler = tabelle_voll("abbreviation");
    return false;
  }
  return true;
}

// A simple lexicon entry (headword known) written as two lines to the file `name`.
bool eintrag(compiler& c, linewriter& w, const char* name, std::string kopf) {
  std::string_view remainder = std::string_view(c.line).substr(c.line.find(' ') + 1);
  if (!eintrag_text(remainder, c.abkuerzungen, c.text, c.fehler)) return false;
  w.writeline(kopf);
  w.writeline(c.text);
  c.merke(name, 2);
  return true;
}

bool lexicon(compiler& c) {
  linewriter& w = c.erzeuge("lexi.zmb");
  c.abkuerzungen.clear();
  while (c.q.naechste(c.line)) {
    if (c.line.find(' ') == std::string::npos) {
      c.fehler = c.line;
      return false;
    }
    bool ist_abkuerzung = false;
    if (!abkuerzung(c, ist_abkuerzung)) return false;
    if (ist_abkuerzung) continue;
    if (!eintrag(c, w, "lexi.zmb", kopfwort(c.line, c.ersetzungen))) return false;
  }
  return true;
}

bool user_lexicon(compiler& c) {
  linewriter& einfach = c.erzeuge("user1.zmb");
  linewriter& zusammen = c.erzeuge("user2.zmb");
  c.abkuerzungen.clear();
  kompositum k;
  while (c.q.naechste(c.line)) {
    if (c.line.find(' ') == std::string::npos) {
      c.fehler = c.line;
      return false;
    }
    bool ist_abkuerzung = false;
    if (!abkuerzung(c, ist_abkuerzung)) return false;
    if (ist_abkuerzung) continue;
    std::string kopf = kopfwort(c.line, c.ersetzungen);
    if (kopf.empty() || (kopf[0] != '+' && kopf[0] != '-')) {
      if (!eintrag(c, einfach, "user1.zmb", std::move(kopf))) return false;
      continue;
    }
    if (!kompositum_kopf(c.line, kopf[0], c.ersetzungen, k, c.fehler)) return false;
    // The next line is the translation, whatever it holds.
    const long kopfzeile = c.q.line_number();
    c.q.lies(c.line);
    zusammen.writeline(k.wortzeile);
    zusammen.writeline(kompositum_rzeile(k, c.line, c.abkuerzungen));
    c.map.add("user2.zmb", 2, kopfzeile, c.q.line_number() - kopfzeile + 1);
  }
  return true;
}

// Beside a text lexicon written in this run, its headword index, made from the file as
// it was written. When the file cannot be read back no index is written: an index left
// from an earlier run no longer fits the new lexicon, and the engine scans it whole.
void lexikon_index(compiler& c, const std::string& name) {
  const std::string temp = c.files.staged_name(c.defpath + name);
  std::string index, fehler;
  if (temp.empty() || !index_lexicon_file(temp, index, fehler)) return;
  c.files.begin(index_name(c.defpath + name)).write(index);
}

// Beside an idiom file written in this run, the index of its rules, made from the file as
// it was written. An empty file needs none (the idiom step reads nothing from it); when
// the file cannot be read back no index is written, and one left from an earlier run no
// longer fits the new file.
void write_idiom_index(compiler& c, const std::string& name) {
  const std::string temp = c.files.staged_name(c.defpath + name);
  std::error_code ec;
  if (temp.empty() || std::filesystem::file_size(temp, ec) == 0 || ec) return;
  std::string index, fehler;
  if (!index_idiom_file(temp, index, fehler)) return;
  c.files.begin(idiom_index_name(c.defpath + name)).write(index);
}

// The sections whose lines go to a numbered file, after a procedure line naming it.
bool nummeriert(compiler& c, int& zaehler, const char* code, const char* art,
                std::string (*zeile)(std::string_view)) {
  std::string name = art + std::to_string(++zaehler) + ".zmb";
  c.script.writeline(code + name);
  linewriter& w = c.erzeuge(name);
  while (c.q.naechste(c.line)) {
    w.writeline(zeile ? zeile(c.line) : c.line);
    c.merke(name, 1);
  }
  return true;
}

bool complex(compiler& c) { return nummeriert(c, c.komplex_zaehler, "5 ", "comp", komplex_zeile); }

bool idiom(compiler& c) { return nummeriert(c, c.idiom_zaehler, "2 ", "idio", nullptr); }

struct ueberschrift {
  std::string_view name;
  sektion body;
};

// The headings in the order they are compared.
const ueberschrift kUeberschriften[] = {
    {"UNKNOWN WORD", unknown_word},
    {"SUBSTITUTION", substitution},
    {"FINAL SUBSTITUTION", final_substitution},
    {"COMMENT", comment},
    {"TERMINATION", termination},
    {"AGGLUTINATION", agglutination},
    {"SYNTAX", syntax},
    {"INFLECTION", inflection},
    {"IRREGULARITY", irregularity},
    {"LEXICON", lexicon},
    {"USER LEXICON", user_lexicon},
    {"FUNCTION", function},
    {"COMPLEX", complex},
    {"IDIOM", idiom},
};

sektion finde_sektion(const std::string& line) {
  std::string name = singular(line);
  for (const ueberschrift& u : kUeberschriften) {
    if (u.name == name) return u.body;
  }
  return nullptr;
}

}  // namespace

compile_result compile_rules(const std::string& quelle_pfad, const std::string& defpath) {
  compile_result result;
  compiler c;
  c.defpath = defpath;
  if (!c.q.open(quelle_pfad)) {
    result.report = "makezembu: cannot open " + quelle_pfad + "\n";
    return result;
  }
  for (std::string_view z : kKopf) c.script.writeline(z);

  while (c.q.lies(c.line)) {
    sektion body = finde_sektion(c.line);
    if (body == nullptr) continue;
    const bool sauber = body(c);
    c.files.close_all();
    if (c.files.failed()) break;  // nothing of this run will be put in place
    if (!sauber) {
      result.report = "error: " + c.fehler + "\nsource " + c.q.aktuelle_zeile() +
                      "\nZembu generator terminated\n";
      break;
    }
  }
  c.q.close();
  if (!c.files.failed()) {
    for (const char* name : {"lexi.zmb", "user1.zmb"}) lexikon_index(c, name);
    write_idiom_index(c, "user2.zmb");
    for (int n = 1; n <= c.idiom_zaehler; ++n) {
      write_idiom_index(c, "idio" + std::to_string(n) + ".zmb");
    }
  }
  c.script.writeline(kSchluss);
  // The script is put in place after every file it names; the map, which it does not
  // name, after the script.
  linewriter& script = c.files.begin(defpath + "exec.zmb");
  for (const std::string& z : c.script.lines) script.writeline(z);
  c.files.begin(defpath + kRulesMapName).write(c.map.text());
  if (!c.files.commit()) {
    result.failure = "makezembu: cannot write " + c.files.failure() + "\n";
    return result;
  }
  // Every line after the head's PROCEDURES line is a procedure line.
  result.procedures = static_cast<int>(c.script.lines.size()) - 3;
  if (result.procedures > max_procedures) {
    result.warning = "makezembu: warning: the procedure script has " +
                     std::to_string(result.procedures) + " procedures; the engine runs only the first " +
                     std::to_string(max_procedures) + "\n";
  }
  return result;
}

std::string makezembu(const std::string& quelle_pfad, const std::string& defpath) {
  return compile_rules(quelle_pfad, defpath).report;
}

}  // namespace zembu
