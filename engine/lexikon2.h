// Lexicon search: every word of the sentence looked up in a text or indexed lexicon, with
// names, numbers, affix splitting and the default entry of unknown words; the word file
// of words that stayed unknown.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/lexicon_index.h"
#include "common/linereader.h"
#include "engine/rule_file.h"
#include "engine/state.h"
#include "engine/translat.h"

namespace zembu::engine {

// ---- Affix splitting ----

constexpr int max_affix_possibilities = 20;

// One way to read a word as stem and termination.
struct affix_possibility {
  std::string radix;  // the stem (at most 80 characters)
  std::string termn;  // the termination word (at most 30)
  std::string worta;  // the admissible classes of the stem's entry (at most 80)
  int termination = 0;  // the entry of the termination table that gave it
};

struct affix_possibilities {
  int count = 0;
  std::array<affix_possibility, max_affix_possibilities + 1> p;  // 1..count
};

// Fills `out` with the stem/termination splits of `what` that the termination table allows.
void split_affixes(engine_state& eng, std::string_view what, affix_possibilities& out);
// True when `entry` has one of the admissible classes (an empty list admits every entry).
bool moeglich(engine_state& eng, std::string_view admissible, std::string_view entry);
// The first possibility whose stem is `word_line` (any stem when any_stem is true or the
// word line is empty) and whose classes admit `entry`; 0 when there is none.
int checkaffixes(engine_state& eng, const affix_possibilities& poss,
                 std::string_view word_line, std::string_view entry, bool any_stem);

// ---- Lexicon files ----

// One line of a lexicon index: the first two characters of the key and the number of the
// first record of its block.
struct index_type {
  std::string key;
  long position = 0;
};

constexpr int max_index_lines = 900;

// The first and last record of the block that holds `what`: the index lists the first
// key of each block in descending order; `records` is the number of records.
void find_range(const std::vector<index_type>& index, long records, std::string_view what,
                long& first, long& last);

// An open lexicon, text or indexed, with the search state of one lexicon procedure.
class lexikon {
 public:
  // Opens the lexicon `file`: a text lexicon when it is held in memory or its name holds a
  // ".", else an index and a record file. False when the text file or the index does not
  // open. A missing record file stops the engine. A plain text lexicon on disk is searched
  // through its headword index (lexicon_index) when one fits it, else scanned whole.
  bool open(engine_state& eng, const rule_file& file);
  // Opens the lexicon file `name` as above.
  bool open(engine_state& eng, const std::string& name) { return open(eng, named_rule_file(name)); }
  // Reads an index (one "key number" line per block) into the index table.
  void read_index(engine_state& eng, linereader& file);
  // Positions the lexicon for a search of `what`. Entries that cannot match are passed
  // over: with the affix possibilities of `what` (a normal or forsecond search) every
  // entry whose word line is `what`, one of the stems or empty is read, without them (a
  // simple search) every entry whose word line is `what`. Without a fitting headword
  // index every entry is read.
  void preparesearch(std::string_view what, const affix_possibilities* poss = nullptr);
  // The index read by read_index.
  const std::vector<index_type>& index() const { return index_; }
  // Reads the next entry; false when none was left to read.
  bool next_record();
  bool at_end() const { return end_; }
  // True while the searches use the text lexicon's headword index.
  bool uses_headword_index() const { return headwords_ != nullptr; }

  std::string word_line;   // the headword
  std::string outform;     // the form after ">" (the whole word line without one)
  std::string entry_line;  // the entry with its field markers removed
  // For the explain trace: the lexicon's name and where the entry read last stands: its
  // first and last file line, or its record number (from 1) twice; 0 when not known.
  std::string name;
  long first_line = 0;
  long last_line = 0;

 private:
  engine_state* eng_ = nullptr;
  bool indexed_ = false;
  linereader text_;
  recordfile data_;
  std::vector<index_type> index_;
  long current_ = 0, first_ = 0, last_ = -1;
  bool end_ = false;
  long next_line_ = 1;  // the text lexicon's line the next entry starts on

  // An entry that the headword index names for the current search, read ahead.
  struct candidate {
    uint64_t position;
    std::string key;  // the headword the index names it under
    std::string word, entry;
  };
  // Reads the candidates of a search; false (the index then dropped) when the index does
  // not agree with the lexicon.
  bool read_candidates(std::string_view what, const affix_possibilities* poss);
  // Drops the headword index, with a trace line naming the reason.
  bool drop_headwords(const std::string& why);

  lexicon_index* headwords_ = nullptr;  // one of the run's open indexes (engine_state)
  std::string text_path_;               // the text lexicon's path, the key of its index
  bool text_unopened_ = false;          // text_ opens from text_path_ when first scanned
  std::string headwords_name_;
  bool from_candidates_ = false;  // the current search reads candidates_
  std::vector<candidate> candidates_;
  size_t served_ = 0;
};

// ---- Search ----

// The results of searching one word.
struct search_result {
  std::string entry;        // the new entry (empty: keep the present one)
  std::string second;       // a second word to insert behind the word
  bool has_second = false;
  std::string new_form;     // the word's new search form
};

// New search form and second word of an outform "form+CLS".
void split_plus(std::string_view outform, search_result& r);
// The search of word q for the modes normal (makeuuu) and forsecond.
search_result suchewort(engine_state& eng, lexikon& lex, int q, std::string_view what,
                        bool makeuuu);
// The search of the mode simple.
search_result simple_search(engine_state& eng, lexikon& lex, std::string_view cls,
                            std::string_view what);
// The entry of a word the lexicon does not hold: a name or four readings.
std::string default_entry(const engine_state& eng, std::string_view word, int q);
// True when the entry holds a name class (NAM LIN GEO HUM TIT DAY).
bool isname(const engine_state& eng, std::string_view entry);
// True when the word holds a digit.
bool has_cipher(std::string_view word);

// Looks every word of the sentence up in the lexicon `file`.
void lexicon_search(engine_state& eng, const rule_file& file, searchmodus mode);
// The same in the open lexicon `lex`.
void search_sentence(engine_state& eng, searchmodus mode, lexikon& lex);
// Appends the words that stayed unknown to the word file.
void write_unknown_words(engine_state& eng);

// ---- Unknown words and separable prefixes ----

constexpr int max_change_pairs = 200;
constexpr int max_ending_rules = 1000;

// s with every change pair applied in load order.
std::string apply_change_pairs(const engine_state& eng, std::string s);
// Code b: loads the change pairs from the file `pairs`.
void load_change_pairs(engine_state& eng, const rule_file& pairs);
// Code B: rewrites unknown words by the ending rules of the file `endings` and puts a "_UU"
// termination word behind every unknown word.
void analyse_unknown_endings(engine_state& eng, const rule_file& endings);
// Code y: splits separable prefixes ("an+rufen") into a particle word of their own, the
// particle's entry taken from the prefix file `prefix_file` when it lists it.
void split_prefix(engine_state& eng, const rule_file& prefix_file);

}  // namespace zembu::engine
