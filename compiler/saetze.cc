#include "compiler/saetze.h"

#include <algorithm>

#include "common/bstring.h"
#include "compiler/felder.h"
#include "compiler/quelle.h"

namespace zembu {

namespace {

constexpr std::string_view kStriche = "------";

// Splits a line into its three fields; a missing first blank reports the line, a missing
// second blank the text after the first.
bool drei_felder(std::string_view line, felder& f, std::string& fehler) {
  int n = split_fields(line, f);
  if (n == 0) {
    fehler.assign(line);
    return false;
  }
  if (n == 1) {
    fehler = f.feld2;
    return false;
  }
  return true;
}

// The operation words of a complex rule and their codes, replaced in this order.
struct operation {
  std::string_view word;
  std::string_view code;
};
constexpr operation kOperationen[] = {
    {"delete_", "D"}, {"unchanged_", "U"}, {"new_", "N"},      {"before_", "L"},
    {"after_", "A"},  {"insert_", "I"},    {"erase_", "E"},    {"symbol_", "S"},
    {"partial_", "P"}, {"replace_", "P"},  {"exchange_", "T"}, {"disambiguate_", "?"},
};

}  // namespace

bool ersetzung_paar(std::string_view line, replace_pair& p, std::string& fehler) {
  size_t a = line.find("->");
  if (a == std::string_view::npos) {
    fehler.assign(line);
    return false;
  }
  p.search.assign(trim_comment(line.substr(0, a)));
  p.replacement.assign(a + 3 <= line.size() ? trim_comment(line.substr(a + 3)) : "");
  if (replaces_itself(p.search, p.replacement)) {
    fehler.assign(line);
    return false;
  }
  return true;
}

bool final_paar(std::string_view roh, replace_pair& p, std::string& fehler) {
  size_t a = roh.find(" -> ");
  if (a == std::string_view::npos) {
    fehler.assign(roh);
    return false;
  }
  p.search.assign(roh.substr(0, a));
  p.replacement.assign(roh.substr(a + 4));
  return true;
}

bool endung_eintrag(std::string_view line, const ersetzungstabelle& t, endung& e,
                    std::string& fehler) {
  felder f;
  if (!drei_felder(line, f, fehler)) return false;
  e.ending = normkey(f.feld1, t);
  e.code = std::move(f.feld2);
  e.rest = std::move(f.rest);
  return true;
}

void endung_saetze(const endungstabelle& t, satz& out) {
  for (const endung& e : t.eintraege()) {
    out.push_back(e.ending);
    if (starts_with(e.ending, "+")) continue;
    std::string zeile = e.code;
    append_cut(zeile, kStriche, kShortWidth);
    append_cut(zeile, e.rest, kShortWidth);
    out.push_back(std::move(zeile));
  }
}

bool flexion_satz(std::string_view line, satz& out, std::string& fehler) {
  felder f;
  if (!drei_felder(line, f, fehler)) return false;
  std::string_view rest = trim(f.rest);
  if (starts_with(rest, "->")) rest = rest.size() > 3 ? rest.substr(3) : std::string_view();
  std::string form = remove_chars(f.feld2, "() ,");
  if (form == "*") form.clear();
  out.push_back(std::move(f.feld1));
  out.push_back(std::move(form));
  out.emplace_back(rest);
  return true;
}

bool irregulaer_satz(std::string_view line, satz& out, std::string& fehler) {
  size_t b = line.find(' ');
  if (b == std::string_view::npos) {
    fehler.assign(line);
    return false;
  }
  std::string_view rest = trim(line.substr(b + 1));
  if (starts_with(rest, "->")) rest = trim(rest.substr(2));
  out.push_back(cut(std::string(">").append(line.substr(0, b)), kShortWidth));
  out.push_back(cut(std::string("!>").append(rest), kShortWidth));
  return true;
}

bool funktion_satz(std::string_view line, satz& out, std::string& fehler) {
  felder f;
  if (!drei_felder(line, f, fehler)) return false;
  std::string zweite = std::move(f.feld2);
  append_cut(zweite, kStriche, kShortWidth);
  append_cut(zweite, f.rest, kShortWidth);
  out.push_back(std::move(f.feld1));
  out.push_back(std::move(zweite));
  return true;
}

bool abkuerzung_zeile(std::string_view line, std::string& abbreviation,
                      std::string& expansion) {
  size_t g = line.find('=');
  if (g == std::string_view::npos) return false;
  abbreviation.assign(trim(line.substr(0, g)));
  expansion.assign(trim(line.substr(g + 1)));
  return true;
}

std::string kopfwort(std::string_view line, const ersetzungstabelle& t) {
  std::string key = normkey(line.substr(0, line.find(' ')), t);
  return std::string(trim(key));
}

bool eintrag_text(std::string_view remainder, const abkuerzungstabelle& a, std::string& out,
                  std::string& fehler) {
  out.clear();
  if (a.empty()) {
    out.push_back(kTrenner);
    for (char c : remainder) {
      if (c != ' ' && out.size() < kShortWidth) out.push_back(c);
    }
    return true;
  }
  size_t b = remainder.find(' ');
  if (b == std::string_view::npos) {
    fehler.assign(remainder);
    return false;
  }
  // The working text: a blank, the separator, the class, a blank and the rest.
  std::string work(" ");
  work.push_back(kTrenner);
  append_cut(work, a.lookup(remainder.substr(0, b)), kShortWidth);
  append_cut(work, " ", kShortWidth);
  append_cut(work, remainder.substr(b + 1), kShortWidth);

  const std::string stern_trenner{'*', kTrenner};
  std::string_view w(work);
  size_t pos = 0;
  for (;;) {
    size_t s = w.find(" *", pos);
    if (s == std::string_view::npos) {
      append_cut(out, w.substr(pos), kShortWidth);
      break;
    }
    append_cut(out, w.substr(pos, s - pos), kShortWidth);
    append_cut(out, stern_trenner, kShortWidth);
    size_t wort = s + 2;
    size_t e = w.find(' ', wort);
    if (e == std::string_view::npos) {
      fehler = kSternFehler;
      return false;
    }
    append_cut(out, a.lookup(w.substr(wort, e - wort)), kShortWidth);
    pos = e + 1;
  }
  out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
  return true;
}

bool kompositum_kopf(std::string_view line, char sign, const ersetzungstabelle& t,
                     kompositum& k, std::string& fehler) {
  std::string c = normkey(trim(line.size() > 2 ? line.substr(2) : std::string_view()), t);
  if (c.find(' ') == std::string::npos) {
    fehler = c;
    return false;
  }
  k.wortzahl = 1;
  k.verbunden = c;
  k.wortzeile.clear();
  for (char& ch : k.verbunden) {
    if (ch == ' ') {
      ch = '_';
      ++k.wortzahl;
    }
  }
  if (sign != '-') {
    k.wortzeile = std::move(c);
    return true;
  }
  // Every word after the first is marked with "0".
  for (char ch : c) {
    if (k.wortzeile.size() >= kShortWidth) break;
    k.wortzeile.push_back(ch);
    if (ch == ' ') append_cut(k.wortzeile, "0", kShortWidth);
  }
  return true;
}

std::string kompositum_rzeile(const kompositum& k, std::string_view folgezeile,
                              const abkuerzungstabelle& a) {
  std::string_view klasse, uebersetzung = folgezeile;
  size_t b = folgezeile.find(' ');
  if (b != std::string_view::npos) {
    klasse = trim(folgezeile.substr(0, b));
    uebersetzung = trim(folgezeile.substr(b + 1));
  }
  if (!a.empty()) klasse = a.lookup(klasse);
  std::string zeile("R*");
  append_cut(zeile, k.verbunden, kShortWidth);
  append_cut(zeile, "=", kShortWidth);
  append_cut(zeile, klasse, kShortWidth);
  append_cut(zeile, uebersetzung, kShortWidth);
  for (size_t i = 1; i < k.wortzahl && zeile.size() < kShortWidth; ++i) {
    append_cut(zeile, " D", kShortWidth);
  }
  return zeile;
}

bool syntax_satz(std::string_view line, const endungstabelle& t, satz& out,
                 std::string& fehler) {
  std::string bedingung;
  std::string_view rest = trim(line);
  for (;;) {
    size_t b = rest.find(' ');
    if (b == std::string_view::npos) {
      fehler.assign(rest);
      return false;
    }
    std::string token(trim(rest.substr(0, b)));
    rest = trim(rest.substr(b + 1));
    if (token == "->") break;
    if (starts_with(token, "-")) token = t.codiere(std::move(token));
    append_cut(bedingung, token, kShortWidth);
  }
  size_t b = rest.find(' ');
  if (b == std::string_view::npos) {
    fehler.assign(rest);
    return false;
  }
  std::string aktion = remove_chars(trim(rest.substr(b + 1)), "() ,");
  replace_repeated(aktion, "+", " ");
  out.push_back(std::move(bedingung));
  out.emplace_back(rest.substr(0, b));
  out.push_back(std::move(aktion));
  return true;
}

std::string komplex_zeile(std::string_view line) {
  std::string s(line);
  for (const operation& op : kOperationen) replace_repeated(s, op.word, op.code);
  return std::string(trim(s));
}

}  // namespace zembu
