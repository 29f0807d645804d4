// The index of a text lexicon: for every headword the positions of the entries that carry
// it, so that a search reads only the entries that can match instead of the whole file.
// The compiler writes it beside the lexicon; the engine trusts it only while it fits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zembu {

// The width to which the engine cuts the word line and the entry line of a text lexicon.
constexpr size_t lexicon_line_width = 80;

// The line of a text lexicon that starts at byte `pos` of `text`, as the engine's line
// reader gives it: the bytes up to the line feed, a carriage return just before the line
// feed dropped, cut to 80 bytes (a prefix of the raw bytes). `pos` moves to the next
// line. False when no line starts at `pos` (the end of the text).
bool lexicon_line(std::string_view text, size_t& pos, std::string_view& line);

// The headword of a word line: the text before its first ">" (all of it without one).
std::string_view headword(std::string_view word_line);

// Size and modification time of a lexicon file, as an index records them.
struct lexicon_stamp {
  uint64_t size = 0;
  int64_t seconds = 0;
  uint32_t nanoseconds = 0;
};

bool operator==(const lexicon_stamp& a, const lexicon_stamp& b);

// The stamp of the open file `fd`; false when it cannot be read.
bool stamp_of(int fd, lexicon_stamp& out);

// The name of the index of a lexicon file: the extension of its file name replaced by
// "zix" ("definitions/lexi.zmb" -> "definitions/lexi.zix"), or ".zix" appended.
std::string index_name(const std::string& lexicon_path);

// The index of the lexicon `text` (every pair of lines from its start is one entry),
// recording `stamp` as the lexicon's.
std::string build_lexicon_index(std::string_view text, const lexicon_stamp& stamp);

// The index of the lexicon file `lexicon_path` as it is now; false with the reason in
// `error` when the file cannot be read whole.
bool index_lexicon_file(const std::string& lexicon_path, std::string& index, std::string& error);

// A readable account of the index `bytes`: its header line, then one line per headword
// ("HEADWORD: position position ..."), or "damaged: <reason>".
std::string dump_lexicon_index(std::string_view bytes);

// An index opened for lookups, together with its lexicon for reading single entries.
// Only what a lookup touches is read, and every part is checked when first touched.
class lexicon_index {
 public:
  lexicon_index();
  ~lexicon_index();
  lexicon_index(const lexicon_index&) = delete;
  lexicon_index& operator=(const lexicon_index&) = delete;

  // Opens the index `index_path` of the lexicon `lexicon_path`. True when the index is
  // whole and records the lexicon's present size and modification time. False otherwise,
  // with the reason in `why` (left empty when there is no index file).
  bool open(const std::string& lexicon_path, const std::string& index_path, std::string& why);
  void close();
  bool is_open() const { return map_ != nullptr; }
  // True while the index is open and `lexicon_path` still names the very file it was opened for,
  // of the same size and modification time: the index can then be used again without
  // opening and checking it anew.
  bool still_fits(const std::string& lexicon_path) const;

  // Appends to `positions` the positions of the entries whose headword is `key`, in file
  // order. False, with the reason in `why`, when the part of the index holding the key is
  // damaged.
  bool find(std::string_view key, std::vector<uint64_t>& positions, std::string& why);
  // Reads the entry that starts at `position` of the lexicon: its word line and entry
  // line as the engine's line reader gives them. False when no line starts there.
  bool read_entry(uint64_t position, std::string& word_line, std::string& entry_line);

 private:
  struct header;  // what the index's header says

  // find() without the headwords found before.
  bool find_in_blocks(std::string_view key, std::vector<uint64_t>& positions, std::string& why);

  const unsigned char* map_ = nullptr;
  size_t map_size_ = 0;
  int lexicon_fd_ = -1;
  std::unique_ptr<header> header_;
  std::vector<char> checked_;  // per block: its checksum was verified
  // The positions of headwords found since the index was opened (up to a bound).
  std::map<std::string, std::vector<uint64_t>, std::less<>> found_;
  // The entries read since the index was opened, by position (up to a bound): a text
  // asks for its common words again and again, and each read is a system call.
  std::map<uint64_t, std::pair<std::string, std::string>> entries_;
};

}  // namespace zembu
