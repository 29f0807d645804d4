#include "engine/flexion.h"

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "common/linereader.h"
#include "common/replace.h"
#include "engine/longstr.h"
#include "engine/rule_cache.h"
#include "engine/translat.h"
#include "engine/wordtable.h"

namespace zembu::engine {

namespace {

constexpr size_t kFlexLineWidth = 30;
constexpr size_t kVowelWidth = 80;
constexpr char kNextFeature = '\xf8';  // action: go on with the next feature word
constexpr char kNewClass = '\xf5';     // action: the text behind it is a new class

bool contains(std::string_view s, std::string_view t) { return s.find(t) != std::string_view::npos; }

// One entry of the inflection file.
struct flex_entry {
  std::string cls;       // only its first three characters count
  std::string features;  // feature codes, three characters each
  std::string action;
};

bool read_flex_line(const engine_settings& st, linereader& f, std::string& line) {
  if (!f.readline(line, kFlexLineWidth)) return false;
  unscramble_line(st, line);
  line = trim_spaces(line);
  return true;
}

// Reads the next entry; false at the end of the file (an entry cut off by it included).
bool read_flex_entry(const engine_settings& st, linereader& f, flex_entry& e) {
  return read_flex_line(st, f, e.cls) && read_flex_line(st, f, e.features) &&
         read_flex_line(st, f, e.action);
}

// Every three-character code of the feature list occurs in the feature text.
bool features_present(std::string_view list, std::string_view text) {
  for (size_t i = 0; i < list.size(); i += 3) {
    if (!contains(text, list.substr(i, 3))) return false;
  }
  return true;
}

// The word's third code `third` fits the entry's class `cls` (its first three characters,
// "." and "*" fitting any character), as wildcard_equal compares them.
bool class_fits(std::string_view third, std::string_view cls) {
  cls = cls.substr(0, 3);
  if (third.size() != cls.size()) return false;
  for (size_t i = 0; i < cls.size(); ++i) {
    if (cls[i] != '.' && cls[i] != '*' && third[i] != cls[i]) return false;
  }
  return true;
}

// The feature word that the entries of a word look at: the first word at or behind a
// position whose entry begins with "aux".
struct feature_cursor {
  const engine_state& eng;
  int pos = 0;  // word_count + 1 when there is none
  std::string text;

  void find(int from) {
    for (pos = from; pos <= eng.table.word_count; ++pos) {
      if (eng.table.words[pos].str().compare(0, 3, "aux") == 0) {
        text = word_text(eng, pos);
        return;
      }
    }
    pos = eng.table.word_count + 1;
    text.clear();
  }
  // Moves to the next feature word; false when there was none left to move from.
  bool advance() {
    if (pos > eng.table.word_count) return false;
    find(pos + 1);
    return true;
  }
};

// Replaces x by y in s: repeatedly, or once when y holds x (it would never end).
void substitute(std::string& s, std::string_view x, std::string_view y, size_t width) {
  if (x.empty()) return;
  if (contains(y, x)) {
    size_t p = s.find(x);
    if (p != std::string::npos) s.replace(p, x.size(), y);
    cut_to(s, width);
    return;
  }
  replace_repeated(s, x, y, width);
}

// Applies an action to word d and traces the change.
void ending_with_trace(engine_state& eng, int d, const std::string& action, bool on_key,
                       const std::string& features) {
  const std::string before = word_text(eng, d);
  apply_ending(eng, d, action, on_key);
  if (eng.settings.visible) {
    con_writeline("Inflexion " + before + " " + features + " -> " + word_text(eng, d));
  }
}

// The entries of an inflection file, with the entries each third code a word shows fits.
struct flex_rules {
  std::vector<flex_entry> entries;
  // The numbers (from 0) of the entries whose class fits a third code, by that code; filled
  // as the codes come (the rules belong to one engine).
  mutable std::map<std::string, std::vector<size_t>, std::less<>> fitting;

  const std::vector<size_t>& fitting_for(std::string_view third) const {
    auto known = fitting.find(third);
    if (known != fitting.end()) return known->second;
    std::vector<size_t> list;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (class_fits(third, entries[i].cls)) list.push_back(i);
    }
    return fitting.emplace(std::string(third), std::move(list)).first->second;
  }
};

// Runs the entries of the inflection file `file` over word d until one applies.
void inflect_word(engine_state& eng, const std::string& file, const flex_rules& rules, int d) {
  const engine_settings& st = eng.settings;
  const std::vector<flex_entry>& entries = rules.entries;
  feature_cursor fc{eng, 0, {}};
  fc.find(d);
  if (st.visible) con_writeline("Test words[" + std::to_string(d) + "] " + eng.table.words[d].str());
  size_t next = 0;  // the entry read next, from the file's start
  const flex_entry* e = nullptr;
  long entry_no = 0;  // of the entry last read, from the file's start
  // Reads the next entry into e; false past the last one.
  auto read_entry = [&] {
    if (next >= entries.size()) return false;
    e = &entries[next++];
    entry_no = static_cast<long>(next);
    return true;
  };
  // Reads the next entry whose class fits the word's third code as it is now (the others
  // are passed over); false past the last one.
  std::string third_seen;
  const std::vector<size_t>* fits = nullptr;
  auto read_fitting = [&] {
    const std::string_view third = entry_view(eng.table.words[d].str()).third();
    if (fits == nullptr || third != third_seen) {
      third_seen.assign(third);
      fits = &rules.fitting_for(third);
    }
    auto at = std::lower_bound(fits->begin(), fits->end(), next);
    if (at == fits->end()) return false;
    next = *at;
    return read_entry();
  };
  auto fired = [&] { note_fired(eng, file, 3 * entry_no - 2, 3 * entry_no); };
  while (read_fitting()) {
    if (!features_present(e->features, fc.text)) continue;
    if (e->action.empty()) {
      fired();
      return;
    }
    // A feature word marked n++ belongs further on: the next one is taken, and the first
    // entry of the file goes on in this one's place.
    if (contains(fc.text, "n++") && !contains(e->features, "n++")) {
      fc.advance();
      next = 0;
      if (!read_entry()) return;
    }
    fired();
    std::string action = e->action;
    if (!action.empty() && action[0] == kNextFeature) {
      // A restart needs a feature word to move to; without one the word is done.
      if (!fc.advance()) return;
      next = 0;
      entry_no = 0;
      continue;
    }
    bool on_key = false;
    if (!action.empty() && action[0] == '!') {
      on_key = true;
      action.erase(0, 1);
    }
    if (!action.empty() && action[0] == '#') {
      action.erase(0, 1);
      size_t p = action.find(kNewClass);
      if (p != std::string::npos) {
        eng.table.words[d] = str_overwrite(eng.table.words[d].str(), 7, action.substr(p + 1, kFlexLineWidth));
        action.erase(p);
      }
      if (!action.empty() && action[0] == '#') {
        action.erase(0, 1);
        ending_with_trace(eng, d, action, on_key, e->features);
        if (!fc.advance()) return;
        next = 0;
        entry_no = 0;
      } else {
        ending_with_trace(eng, d, action, on_key, e->features);
      }
      continue;  // a "#" entry does not end the search
    }
    ending_with_trace(eng, d, action, on_key, e->features);
    return;
  }
}

}  // namespace

std::string vowel_change(std::string_view text) {
  std::string s(text.substr(0, kVowelWidth));
  static const char* const kUmlauts[] = {"\xC3\x84", "\xC3\x96", "\xC3\x9C",
                                         "\xC3\xA4", "\xC3\xB6", "\xC3\xBC"};
  static const std::string_view kVowels = "AOUaou";
  for (size_t p = s.size(); p >= 10; --p) {
    size_t k = kVowels.find(s[p - 1]);
    if (k == std::string_view::npos) continue;
    s.replace(p - 1, 1, kUmlauts[k]);
    replace_repeated(s, "A\xC3\x9C", "\xC3\x84U");
    replace_repeated(s, "a\xC3\xBC", "\xC3\xA4u");
    replace_repeated(s, "A\xC3\xBC", "\xC3\x84u");
    break;
  }
  return s;
}

std::string ending_of(std::string t, std::string r, bool on_key) {
  for (;;) {
    if (!r.empty() && r[0] == '<') {
      size_t n = 1, drop = 1;
      if (r.size() > 1 && r[1] >= '0' && r[1] <= '9') {
        n = static_cast<size_t>(r[1] - '0');
        drop = 2;
      }
      r.erase(0, drop);
      t.resize(t.size() > n ? t.size() - n : 0);
    }
    if (r.empty()) return t;
    const std::string rest = r.substr(1);
    switch (r[0]) {
      case '=':
        return on_key ? rest : t.substr(0, 9) + rest;
      case '>':
        // A final sharp s doubles as "ss" in the entry.
        if (!on_key && !t.empty() && t.back() == '\xe1') t.back() = 's';
        if (!t.empty()) t.push_back(t.back());
        return t + rest;
      case '^':
        return vowel_change(t) + rest;
      default:
        break;
    }
    const size_t dash = r.find('-');
    if (dash == std::string::npos) return t + r;
    t.insert(on_key ? 0 : std::min<size_t>(9, t.size()), r.substr(0, dash));
    r.erase(0, dash + 1);
    if (r.empty()) return t;
  }
}

void apply_ending(engine_state& eng, int d, std::string_view action, bool on_key) {
  if (d < 1 || d > max_words) return;
  std::string r(action), list;
  const size_t comma = r.find(',');
  if (comma != std::string::npos) {
    list = r.substr(comma + 1);
    r.erase(comma);
  }
  if (on_key) {
    eng.table.originals[d] = ending_of(eng.table.originals[d].str(), r, true);
  } else {
    eng.table.words[d] = ending_of(eng.table.words[d].str(), r, false);
  }
  if (comma == std::string::npos) return;
  if (eng.settings.visible) con_writeline("vowel change: " + eng.table.words[d].str() + " " + list);
  std::string w = eng.table.words[d].str();
  size_t i = 0;
  while (i <= list.size()) {
    size_t end = list.find(',', i);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(i, end - i);
    i = end + 1;
    const size_t eq = item.find('=');
    if (eq != std::string::npos) {
      substitute(w, item.substr(0, eq), item.substr(eq + 1), norm_lang_string::width);
    }
  }
  eng.table.words[d] = w;
}

void inflect_words(engine_state& eng, const rule_file& rules) {
  // The entries are read once for the run (while the file is unchanged); each word reads
  // them from the first.
  const engine_settings& st = eng.settings;
  std::string path;
  const auto parsed = load_rules<flex_rules>(
      eng.parsed_rules, "inflection", rules, st, path, [&](linereader& f) {
        flex_rules read;
        flex_entry e;
        while (read_flex_entry(st, f, e)) read.entries.push_back(e);
        return read;
      });
  if (!parsed) return;
  for (int d = 1; d <= eng.table.word_count && d <= max_words; ++d) {
    inflect_word(eng, rules.name, *parsed, d);
  }
}

}  // namespace zembu::engine
