#include "common/idiom_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/index_bytes.h"

namespace zembu {

// Layout (integers little-endian):
//   header, 80 bytes: magic "ZEMBUZID", version (u32), block count (u32), idiom file size
//     (u64), its modification time in seconds (i64) and nanoseconds (u32), zero (u32),
//     rule count (u64), key count (u64), index size (u64), checksum of the directory
//     (u64), checksum of the header's first 72 bytes (u64);
//   directory: per block its offset (u32), length (u32), the offset (u32) and length
//     (u32) of its first key, its checksum (u64); then the first keys;
//   blocks, one after the other up to the end of the file: records of a key (length as a
//     varint, bytes), the number of its rules (varint), then per rule its number, its
//     offset (each the first absolute, then the distance to the previous one) and its
//     length (varints). Keys ascend in byte order across all blocks, the empty key of the
//     rules without a key first; rule numbers ascend within a record.
// A lookup finds its block by a binary search over the first keys and checks that block's
// checksum the first time it touches it.

namespace {

constexpr char kMagic[8] = {'Z', 'E', 'M', 'B', 'U', 'Z', 'I', 'D'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 80;
constexpr size_t kDirEntrySize = 24;
constexpr size_t kBlockTarget = 1024;                 // bytes of records in a block
constexpr uint64_t kLargestFile = uint64_t{1} << 30;  // keeps every offset in 32 bits
constexpr uint64_t kReadAhead = 16384;                // bytes read at once for read_rule
constexpr uint64_t kLongestRule = uint64_t{1} << 24;  // read_rule refuses longer rules

using index_bytes::checksum;
using index_bytes::get_varint;
using index_bytes::load;
using index_bytes::put_varint;
using index_bytes::store;
using index_bytes::view;

struct index_header {
  uint32_t blocks = 0;
  lexicon_stamp stamp;
  uint64_t rules = 0;
  uint64_t keys = 0;
  uint64_t size = 0;          // of the index
  uint64_t dir_end = 0;       // the end of the directory's fixed entries
  uint64_t blocks_start = 0;  // the end of the first keys
};

struct dir_entry {
  uint64_t offset, length, key_offset, key_length, sum;
};

dir_entry directory_entry(const unsigned char* data, uint32_t b) {
  const unsigned char* e = data + kHeaderSize + kDirEntrySize * b;
  return {load(e, 4), load(e + 4, 4), load(e + 8, 4), load(e + 12, 4), load(e + 16, 8)};
}

std::string_view first_key(const unsigned char* data, uint32_t b) {
  const unsigned char* e = data + kHeaderSize + kDirEntrySize * b;
  return view(data + load(e + 8, 4), load(e + 12, 4));
}

// True when the directory entry of block b points inside the index: its block among the
// blocks, its first key among the first keys.
bool entry_inside(const unsigned char* data, const index_header& h, uint32_t b) {
  dir_entry e = directory_entry(data, b);
  return e.offset >= h.blocks_start && e.length > 0 && e.offset + e.length <= h.size &&
         e.key_offset >= h.dir_end && e.key_offset + e.key_length <= h.blocks_start;
}

// Checks the header and the checksum of the directory of `size` bytes at `data`; with
// `entries` also that the blocks follow each other to the end of the file and that the
// first keys ascend. (Lookups check each entry they use.)
bool check_index(const unsigned char* data, size_t size, index_header& h, bool entries,
                 std::string& why) {
  if (size < kHeaderSize) {
    why = "shorter than its header";
    return false;
  }
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0 || load(data + 8, 4) != kVersion) {
    why = "not an idiom index of this version";
    return false;
  }
  if (checksum(data, 72) != load(data + 72, 8)) {
    why = "damaged header";
    return false;
  }
  if (load(data + 56, 8) != size) {
    why = "cut short or lengthened";
    return false;
  }
  h.blocks = static_cast<uint32_t>(load(data + 12, 4));
  h.stamp.size = load(data + 16, 8);
  h.stamp.seconds = static_cast<int64_t>(load(data + 24, 8));
  h.stamp.nanoseconds = static_cast<uint32_t>(load(data + 32, 4));
  h.rules = load(data + 40, 8);
  h.keys = load(data + 48, 8);
  h.size = size;
  h.dir_end = kHeaderSize + uint64_t{kDirEntrySize} * h.blocks;
  h.blocks_start = size;
  if (h.blocks > 0) h.blocks_start = h.dir_end <= size ? directory_entry(data, 0).offset : size + 1;
  if (h.dir_end > size || h.blocks_start < h.dir_end || h.blocks_start > size ||
      checksum(data + kHeaderSize, h.blocks_start - kHeaderSize) != load(data + 64, 8)) {
    why = "damaged directory";
    return false;
  }
  if (!entries) return true;
  uint64_t next = h.blocks_start;
  for (uint32_t b = 0; b < h.blocks; ++b) {
    dir_entry e = directory_entry(data, b);
    if (!entry_inside(data, h, b) || e.offset != next ||
        (b > 0 && !(first_key(data, b - 1) < first_key(data, b)))) {
      why = "damaged directory";
      return false;
    }
    next = e.offset + e.length;
  }
  if (next != size) {
    why = "damaged directory";
    return false;
  }
  return true;
}

// One record of a block.
struct record {
  std::string_view key;
  uint64_t count = 0;
  const unsigned char* rules = nullptr;  // `count` triples of varints
};

// Reads the record at p (before end) and moves p behind it; false when it is malformed.
bool next_record(const unsigned char*& p, const unsigned char* end, record& r) {
  uint64_t n = 0;
  if (!get_varint(p, end, n) || n > static_cast<uint64_t>(end - p)) return false;
  r.key = view(p, n);
  p += n;
  if (!get_varint(p, end, r.count) || r.count == 0) return false;
  r.rules = p;
  uint64_t v = 0;
  for (uint64_t i = 0; i < 3 * r.count; ++i) {
    if (!get_varint(p, end, v)) return false;
  }
  return true;
}

// The rules of a record, after next_record has accepted it. False when their numbers do
// not ascend below `rule_count` or a rule does not lie inside a file of `file_size` bytes.
bool append_rules(const record& r, const unsigned char* end, uint64_t rule_count,
                  uint64_t file_size, std::vector<idiom_rule_ref>& out) {
  const unsigned char* p = r.rules;
  idiom_rule_ref ref;
  uint64_t number = 0, offset = 0;
  for (uint64_t i = 0; i < r.count; ++i) {
    if (!get_varint(p, end, number) || !get_varint(p, end, offset) ||
        !get_varint(p, end, ref.length)) {
      return false;
    }
    if (i > 0) {
      // Strictly ascending, without running over.
      if (number == 0 || offset == 0 || number > rule_count || offset > file_size) return false;
      number += ref.number;
      offset += ref.offset;
    }
    ref.number = number;
    ref.offset = offset;
    if (ref.number >= rule_count || ref.offset >= file_size || ref.length == 0 ||
        ref.length > file_size - ref.offset) {
      return false;
    }
    out.push_back(ref);
  }
  return true;
}

// Checks block b: its checksum, and with `records` also that its records are well formed,
// its keys ascending from the directory's first key and below the next block's, and its
// rules inside the file. (A lookup reads a block with bounds checks and checks every rule
// it is given against the file, so the checksum is all it needs.)
bool check_block(const unsigned char* data, const index_header& h, uint32_t b, bool records,
                 std::string& why) {
  dir_entry e = directory_entry(data, b);
  const unsigned char* p = data + e.offset;
  const unsigned char* end = p + e.length;
  if (checksum(p, e.length) != e.sum) {
    why = "damaged block " + std::to_string(b);
    return false;
  }
  if (!records) return true;
  why = "malformed block " + std::to_string(b);
  record r;
  std::string_view previous;
  bool first = true;
  std::vector<idiom_rule_ref> rules;
  while (p < end) {
    if (!next_record(p, end, r)) return false;
    if (first ? r.key != first_key(data, b) : !(previous < r.key)) return false;
    rules.clear();
    if (!append_rules(r, end, h.rules, h.stamp.size, rules)) return false;
    previous = r.key;
    first = false;
  }
  if (b + 1 < h.blocks && !(previous < first_key(data, b + 1))) return false;
  why.clear();
  return true;
}

std::string errno_text(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

struct idiom_index::header : index_header {
  explicit header(const index_header& h) : index_header(h) {}
};

std::string_view idiom_rule_key(std::string_view pattern_line) {
  std::string_view line = pattern_line.substr(0, pattern_line.find(';'));
  const size_t begin = line.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  line.remove_prefix(begin);
  std::string_view word = line.substr(0, line.find(' '));
  const char c = word[0];
  if ((c >= '0' && c <= '9') || std::string_view("*#^+$~>").find(c) != std::string_view::npos) {
    return {};
  }
  return word;
}

std::string idiom_index_name(const std::string& rule_path) {
  size_t slash = rule_path.rfind('/');
  size_t dot = rule_path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return rule_path + ".zid";
  }
  return rule_path.substr(0, dot) + ".zid";
}

std::string build_idiom_index(std::string_view text, const lexicon_stamp& stamp) {
  struct item {
    std::string_view key;
    idiom_rule_ref ref;
  };
  std::vector<item> items;
  size_t pos = 0;
  std::string_view pattern, action;
  while (pos < text.size()) {
    item it;
    it.ref.number = items.size();
    it.ref.offset = pos;
    lexicon_line(text, pos, pattern);
    lexicon_line(text, pos, action);
    it.ref.length = pos - it.ref.offset;
    it.key = idiom_rule_key(pattern);
    items.push_back(it);
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const item& a, const item& b) { return a.key < b.key; });

  std::vector<std::string> blocks;
  std::vector<std::string_view> first_keys;
  std::string block, rec;
  uint64_t keys = 0;
  for (size_t i = 0; i < items.size();) {
    size_t j = i;
    while (j < items.size() && items[j].key == items[i].key) ++j;
    rec.clear();
    put_varint(rec, items[i].key.size());
    rec.append(items[i].key);
    put_varint(rec, j - i);
    for (size_t k = i; k < j; ++k) {
      const idiom_rule_ref& r = items[k].ref;
      put_varint(rec, k == i ? r.number : r.number - items[k - 1].ref.number);
      put_varint(rec, k == i ? r.offset : r.offset - items[k - 1].ref.offset);
      put_varint(rec, r.length);
    }
    if (!block.empty() && block.size() + rec.size() > kBlockTarget) {
      blocks.push_back(std::move(block));
      block.clear();
    }
    if (block.empty()) first_keys.push_back(items[i].key);
    block += rec;
    if (!items[i].key.empty()) ++keys;
    i = j;
  }
  if (!block.empty()) blocks.push_back(std::move(block));

  size_t dir_size = kDirEntrySize * blocks.size();
  for (std::string_view k : first_keys) dir_size += k.size();
  std::string out(kHeaderSize + dir_size, '\0');
  size_t key_at = kHeaderSize + kDirEntrySize * blocks.size();
  size_t block_at = kHeaderSize + dir_size;
  for (size_t b = 0; b < blocks.size(); ++b) {
    const size_t e = kHeaderSize + kDirEntrySize * b;
    store(out, e, block_at, 4);
    store(out, e + 4, blocks[b].size(), 4);
    store(out, e + 8, key_at, 4);
    store(out, e + 12, first_keys[b].size(), 4);
    store(out, e + 16, checksum(blocks[b]), 8);
    out.replace(key_at, first_keys[b].size(), first_keys[b]);
    key_at += first_keys[b].size();
    block_at += blocks[b].size();
  }
  for (const std::string& b : blocks) out += b;
  out.replace(0, sizeof kMagic, kMagic, sizeof kMagic);
  store(out, 8, kVersion, 4);
  store(out, 12, blocks.size(), 4);
  store(out, 16, stamp.size, 8);
  store(out, 24, static_cast<uint64_t>(stamp.seconds), 8);
  store(out, 32, stamp.nanoseconds, 4);
  store(out, 40, items.size(), 8);
  store(out, 48, keys, 8);
  store(out, 56, out.size(), 8);
  store(out, 64, checksum(std::string_view(out).substr(kHeaderSize, dir_size)), 8);
  store(out, 72, checksum(std::string_view(out).substr(0, 72)), 8);
  return out;
}

bool index_idiom_file(const std::string& rule_path, std::string& index, std::string& error) {
  int fd = ::open(rule_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno_text(rule_path.c_str());
    return false;
  }
  lexicon_stamp before, after;
  std::string text;
  bool ok = stamp_of(fd, before) && before.size <= kLargestFile;
  if (ok) {
    text.resize(before.size);
    size_t got = 0;
    while (got < text.size()) {
      ssize_t n = ::read(fd, &text[got], text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    ok = got == text.size() && stamp_of(fd, after) && after == before;
  }
  ::close(fd);
  if (!ok) {
    error = rule_path + ": too large, unreadable or changed while read";
    return false;
  }
  index = build_idiom_index(text, before);
  return true;
}

std::string dump_idiom_index(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  index_header h;
  std::string why;
  if (!check_index(data, bytes.size(), h, true, why)) return "damaged: " + why + "\n";
  std::string out = "idiom file of " + std::to_string(h.stamp.size) + " bytes, modified " +
                    std::to_string(h.stamp.seconds) + "." + std::to_string(h.stamp.nanoseconds) +
                    "; " + std::to_string(h.rules) + " rules, " + std::to_string(h.keys) +
                    " keys in " + std::to_string(h.blocks) + " blocks\n";
  std::vector<idiom_rule_ref> rules;
  for (uint32_t b = 0; b < h.blocks; ++b) {
    if (!check_block(data, h, b, true, why)) return out + "damaged: " + why + "\n";
    dir_entry e = directory_entry(data, b);
    const unsigned char* p = data + e.offset;
    const unsigned char* end = p + e.length;
    record r;
    while (p < end && next_record(p, end, r)) {
      rules.clear();
      append_rules(r, end, h.rules, h.stamp.size, rules);
      out.append(r.key);
      out += ":";
      for (const idiom_rule_ref& ref : rules) {
        out += " " + std::to_string(ref.number) + "@" + std::to_string(ref.offset) + "+" +
               std::to_string(ref.length);
      }
      out += "\n";
    }
  }
  return out;
}

idiom_index::idiom_index() = default;

idiom_index::~idiom_index() { close(); }

void idiom_index::close() {
  if (map_ != nullptr) munmap(const_cast<unsigned char*>(map_), map_size_);
  if (rules_fd_ >= 0) ::close(rules_fd_);
  map_ = nullptr;
  map_size_ = 0;
  rules_fd_ = -1;
  header_.reset();
  checked_.clear();
  found_.clear();
  window_.clear();
  window_start_ = 0;
}

uint64_t idiom_index::rule_count() const { return header_ ? header_->rules : 0; }

bool idiom_index::open(const std::string& rule_path, const std::string& index_path,
                       std::string& why) {
  close();
  why.clear();
  int fd = ::open(index_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) why = errno_text("cannot open");
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size < static_cast<off_t>(kHeaderSize)) {
    ::close(fd);
    why = "shorter than its header";
    return false;
  }
  void* m = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (m == MAP_FAILED) {
    why = errno_text("cannot map");
    return false;
  }
  map_ = static_cast<const unsigned char*>(m);
  map_size_ = static_cast<size_t>(info.st_size);
  index_header h;
  lexicon_stamp now;
  rules_fd_ = ::open(rule_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (!check_index(map_, map_size_, h, false, why)) {
  } else if (rules_fd_ < 0 || !stamp_of(rules_fd_, now)) {
    why = "the idiom file cannot be read";
  } else if (!(now == h.stamp)) {
    why = "made for another idiom file (size " + std::to_string(h.stamp.size) + ", modified " +
          std::to_string(h.stamp.seconds) + "." + std::to_string(h.stamp.nanoseconds) + ")";
  } else {
    header_ = std::make_unique<header>(h);
    checked_.assign(h.blocks, 0);
    return true;
  }
  close();
  return false;
}

bool idiom_index::find(std::string_view key, std::vector<idiom_rule_ref>& rules, std::string& why) {
  if (map_ == nullptr) return false;
  // A key looked up before: its rules as decoded then (the index does not change while
  // open). The memory kept stays bounded over long runs of ever new words.
  constexpr size_t kMaxKept = 200000;
  auto known = found_.find(key);
  if (known != found_.end()) {
    rules.insert(rules.end(), known->second.begin(), known->second.end());
    return true;
  }
  const size_t had = rules.size();
  if (!find_in_blocks(key, rules, why)) return false;
  if (found_.size() >= kMaxKept) found_.clear();
  found_.emplace(std::string(key), std::vector<idiom_rule_ref>(rules.begin() + static_cast<std::ptrdiff_t>(had), rules.end()));
  return true;
}

bool idiom_index::find_in_blocks(std::string_view key, std::vector<idiom_rule_ref>& rules,
                                 std::string& why) {
  const index_header& h = *header_;
  // The last block whose first key is not above the key.
  uint32_t lo = 0, hi = h.blocks;
  while (lo < hi) {
    uint32_t mid = lo + (hi - lo) / 2;
    if (!entry_inside(map_, h, mid)) {
      why = "damaged directory";
      return false;
    }
    if (first_key(map_, mid) <= key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (lo == 0) return true;  // below every key
  const uint32_t b = lo - 1;
  if (!checked_[b]) {
    if (!check_block(map_, h, b, false, why)) return false;
    checked_[b] = 1;
  }
  dir_entry e = directory_entry(map_, b);
  const unsigned char* p = map_ + e.offset;
  const unsigned char* end = p + e.length;
  record r;
  while (p < end) {
    if (!next_record(p, end, r)) {
      why = "malformed block " + std::to_string(b);
      return false;
    }
    const int order = r.key.compare(key);
    if (order == 0 && !append_rules(r, end, h.rules, h.stamp.size, rules)) {
      why = "the rules of the key " + std::string(key) + " do not fit the file";
      return false;
    }
    if (order >= 0) break;
  }
  return true;
}

bool idiom_index::read_rule(const idiom_rule_ref& ref, std::string_view key, std::string& pattern,
                            std::string& action, std::string& why) {
  auto refuse = [&](const std::string& what) {
    why = what + " at byte " + std::to_string(ref.offset);
    return false;
  };
  const uint64_t file_size = header_ ? header_->stamp.size : 0;
  if (rules_fd_ < 0 || ref.offset >= file_size || ref.length == 0 || ref.length > kLongestRule ||
      ref.length > file_size - ref.offset) {
    return refuse("no rule");
  }
  // From the byte before the rule, which must end the line before it.
  const uint64_t from = ref.offset > 0 ? ref.offset - 1 : 0;
  const uint64_t to = ref.offset + ref.length;
  if (from < window_start_ || to > window_start_ + window_.size()) {
    const uint64_t want = std::min(std::max(to - from, kReadAhead), file_size - from);
    window_.resize(want);
    size_t got = 0;
    while (got < want) {
      ssize_t n = ::pread(rules_fd_, &window_[got], want - got, static_cast<off_t>(from + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    window_.resize(got);
    window_start_ = from;
    if (to > window_start_ + window_.size()) {
      window_.clear();
      return refuse("the idiom file ends before the rule");
    }
  }
  const std::string_view bytes = std::string_view(window_).substr(from - window_start_, to - from);
  if (ref.offset > 0 && bytes[0] != '\n') return refuse("no line starts");
  // Only the rule's own bytes, so that its lines cannot run on into the next rule.
  const std::string_view text = bytes.substr(ref.offset - from);
  std::string_view first, second;
  size_t pos = 0;
  lexicon_line(text, pos, first);
  const bool two = lexicon_line(text, pos, second);
  // Two whole lines, or what is left of the file after a rule's pattern line.
  if (pos != text.size() || (to != file_size && (!two || text.back() != '\n'))) {
    return refuse("no rule of two lines");
  }
  if (idiom_rule_key(first) != key)
    return refuse("no rule of the key \"" + std::string(key) + "\"");
  pattern.assign(first);
  action.assign(second);
  return true;
}

bool idiom_index::still_fits(const std::string& rule_path) const {
  if (!is_open() || rules_fd_ < 0) return false;
  struct stat opened, named;
  lexicon_stamp now;
  return fstat(rules_fd_, &opened) == 0 && stat(rule_path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino &&
         stamp_of(rules_fd_, now) && now == header_->stamp;
}

}  // namespace zembu
