// The index of an idiom rule file: every rule's place in the file and, when its first
// pattern word can only be found at a word of one fixed text, that text as its key, so
// that the idiom step reads only the rules whose first word the sentence holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/lexicon_index.h"

namespace zembu {

// The key of an idiom rule from its pattern line as the engine reads it (cut to 80 bytes):
// the first word of the line (comment from ";" on dropped, blanks trimmed) when the plain
// test applies to it, that is when it begins with neither a window digit, nor "*", nor a
// test character; the plain test passes only where the word's German text or source form
// equals it byte for byte. Empty when the rule has no key (it is tried in every sentence).
std::string_view idiom_rule_key(std::string_view pattern_line);

// One rule of an idiom file: its number (from 0, in file order), where it starts and how
// many bytes it takes up to the start of the next rule (or the end of the file).
struct idiom_rule_ref {
  uint64_t number = 0;
  uint64_t offset = 0;
  uint64_t length = 0;
};

// The name of the index of an idiom file: the extension of its file name replaced by "zid"
// ("definitions/user2.zmb" -> "definitions/user2.zid"), or ".zid" appended.
std::string idiom_index_name(const std::string& rule_path);

// The index of the idiom file `text` (every pair of lines from its start is one rule, a
// last single line a rule without actions), recording `stamp` as the file's.
std::string build_idiom_index(std::string_view text, const lexicon_stamp& stamp);

// The index of the idiom file `rule_path` as it is now; false with the reason in `error`
// when the file cannot be read whole.
bool index_idiom_file(const std::string& rule_path, std::string& index, std::string& error);

// A readable account of the index `bytes`: its header line, then one line per key
// ("KEY: number@offset+length ..."; the rules without a key under an empty key first), or
// "damaged: <reason>".
std::string dump_idiom_index(std::string_view bytes);

// An index opened for lookups, together with its idiom file for reading single rules.
// Only what a lookup touches is read, and every part is checked when first touched.
class idiom_index {
 public:
  idiom_index();
  ~idiom_index();
  idiom_index(const idiom_index&) = delete;
  idiom_index& operator=(const idiom_index&) = delete;

  // Opens the index `index_path` of the idiom file `rule_path`. True when the index is
  // whole and records the file's present size and modification time. False otherwise,
  // with the reason in `why` (left empty when there is no index file).
  bool open(const std::string& rule_path, const std::string& index_path, std::string& why);
  void close();
  bool is_open() const { return map_ != nullptr; }
  // True while the index is open and `rule_path` still names the very file it was opened for,
  // of the same size and modification time: the index can then be used again without
  // opening and checking it anew.
  bool still_fits(const std::string& rule_path) const;
  // The number of rules in the file.
  uint64_t rule_count() const;

  // Appends the rules whose key is `key` in file order; the empty key gives the rules
  // without a key. False, with the reason in `why`, when the part of the index holding
  // the key is damaged (rule numbers not ascending or beyond the rule count, say).
  bool find(std::string_view key, std::vector<idiom_rule_ref>& rules, std::string& why);
  // Reads the rule `ref`: its pattern line and action line as the engine's line reader
  // gives them. False, with the reason in `why`, unless a line starts at its offset, its
  // two lines end exactly at its length and its pattern line has the key `key`.
  bool read_rule(const idiom_rule_ref& ref, std::string_view key, std::string& pattern,
                 std::string& action, std::string& why);

 private:
  struct header;  // what the index's header says

  // find() without the keys found before.
  bool find_in_blocks(std::string_view key, std::vector<idiom_rule_ref>& rules, std::string& why);

  const unsigned char* map_ = nullptr;
  size_t map_size_ = 0;
  int rules_fd_ = -1;
  std::unique_ptr<header> header_;
  std::vector<char> checked_;  // per block: its checksum was verified
  // The rules of every key found since the index was opened, decoded once.
  std::map<std::string, std::vector<idiom_rule_ref>, std::less<>> found_;
  std::string window_;         // bytes of the idiom file read last, from window_start_
  uint64_t window_start_ = 0;
};

}  // namespace zembu
