#include "common/lexicon_index.h"

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
//   header, 80 bytes: magic "ZEMBUZIX", version (u32), block count (u32), lexicon size
//     (u64), lexicon modification time in seconds (i64) and nanoseconds (u32), zero
//     (u32), headword count (u64), entry count (u64), index size (u64), checksum of the
//     directory (u64), checksum of the header's first 72 bytes (u64);
//   directory: per block its offset (u32), length (u32), the offset (u32) and length
//     (u32) of its first headword, its checksum (u64); then the first headwords;
//   blocks, one after the other up to the end of the file: records of a headword
//     (length as a varint, bytes), the number of its entries (varint), the first
//     position and then the distance to the previous one (varints). Headwords are in
//     ascending byte order across all blocks, positions ascending within a record.
// A lookup finds its block by a binary search over the first headwords and checks that
// block's checksum and records the first time it touches it.

namespace {

constexpr char kMagic[8] = {'Z', 'E', 'M', 'B', 'U', 'Z', 'I', 'X'};
constexpr uint32_t kVersion = 1;
constexpr size_t kHeaderSize = 80;
constexpr size_t kDirEntrySize = 24;
constexpr size_t kBlockTarget = 1024;                    // bytes of records in a block
constexpr uint64_t kLargestLexicon = uint64_t{1} << 30;  // keeps every offset in 32 bits
constexpr size_t kLongestEntry = size_t{1} << 24;        // read_entry gives up beyond this

using index_bytes::checksum;
using index_bytes::get_varint;
using index_bytes::load;
using index_bytes::put_varint;
using index_bytes::store;
using index_bytes::view;

struct index_header {
  uint32_t blocks = 0;
  lexicon_stamp stamp;
  uint64_t headwords = 0;
  uint64_t entries = 0;
  uint64_t size = 0;          // of the index
  uint64_t dir_end = 0;       // the end of the directory's fixed entries
  uint64_t blocks_start = 0;  // the end of the first headwords
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
// blocks, its first headword among the first headwords.
bool entry_inside(const unsigned char* data, const index_header& h, uint32_t b) {
  dir_entry e = directory_entry(data, b);
  return e.offset >= h.blocks_start && e.length > 0 && e.offset + e.length <= h.size &&
         e.key_offset >= h.dir_end && e.key_offset + e.key_length <= h.blocks_start;
}

// Checks the header and the checksum of the directory of `size` bytes at `data`; with
// `entries` also that the blocks follow each other to the end of the file and that the
// first headwords ascend. (Lookups check each entry they use.)
bool check_index(const unsigned char* data, size_t size, index_header& h, bool entries,
                 std::string& why) {
  if (size < kHeaderSize) {
    why = "shorter than its header";
    return false;
  }
  if (std::memcmp(data, kMagic, sizeof kMagic) != 0 || load(data + 8, 4) != kVersion) {
    why = "not a lexicon index of this version";
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
  h.headwords = load(data + 40, 8);
  h.entries = load(data + 48, 8);
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
  const unsigned char* positions = nullptr;  // `count` varints
};

// Reads the record at p (before end) and moves p behind it; false when it is malformed.
bool next_record(const unsigned char*& p, const unsigned char* end, record& r) {
  uint64_t n = 0;
  if (!get_varint(p, end, n) || n > static_cast<uint64_t>(end - p)) return false;
  r.key = view(p, n);
  p += n;
  if (!get_varint(p, end, r.count) || r.count == 0) return false;
  r.positions = p;
  uint64_t v = 0;
  for (uint64_t i = 0; i < r.count; ++i) {
    if (!get_varint(p, end, v)) return false;
  }
  return true;
}

// The positions of a record, after check_block has accepted its block.
void append_positions(const record& r, const unsigned char* end, std::vector<uint64_t>& out) {
  const unsigned char* p = r.positions;
  uint64_t pos = 0, v = 0;
  for (uint64_t i = 0; i < r.count && get_varint(p, end, v); ++i) {
    pos = i == 0 ? v : pos + v;
    out.push_back(pos);
  }
}

// Checks block b: its checksum, and with `records` also that its records are well formed,
// its headwords ascending from the directory's first headword and below the next block's,
// and its positions ascending inside the lexicon. (A lookup reads a block with bounds
// checks and checks every entry it is given against the lexicon, so the checksum is all
// it needs.)
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
  while (p < end) {
    if (!next_record(p, end, r)) return false;
    if (first ? r.key != first_key(data, b) : !(previous < r.key)) return false;
    const unsigned char* q = r.positions;
    uint64_t pos = 0, v = 0;
    for (uint64_t i = 0; i < r.count; ++i) {
      get_varint(q, end, v);
      if (i > 0 && v == 0) return false;
      pos = i == 0 ? v : pos + v;
      if (pos < v || pos >= h.stamp.size) return false;
    }
    previous = r.key;
    first = false;
  }
  if (b + 1 < h.blocks && !(previous < first_key(data, b + 1))) return false;
  why.clear();
  return true;
}

std::string errno_text(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

struct lexicon_index::header : index_header {
  explicit header(const index_header& h) : index_header(h) {}
};

bool lexicon_line(std::string_view text, size_t& pos, std::string_view& line) {
  if (pos >= text.size()) return false;
  size_t lf = text.find('\n', pos);
  size_t end = lf == std::string_view::npos ? text.size() : lf;
  if (lf != std::string_view::npos && end > pos && text[end - 1] == '\r') --end;
  line = text.substr(pos, std::min(end - pos, lexicon_line_width));
  pos = lf == std::string_view::npos ? text.size() : lf + 1;
  return true;
}

std::string_view headword(std::string_view word_line) {
  return word_line.substr(0, word_line.find('>'));
}

bool operator==(const lexicon_stamp& a, const lexicon_stamp& b) {
  return a.size == b.size && a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

bool stamp_of(int fd, lexicon_stamp& out) {
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  out.size = static_cast<uint64_t>(info.st_size);
  out.seconds = static_cast<int64_t>(info.st_mtim.tv_sec);
  out.nanoseconds = static_cast<uint32_t>(info.st_mtim.tv_nsec);
  return true;
}

std::string index_name(const std::string& lexicon_path) {
  size_t slash = lexicon_path.rfind('/');
  size_t dot = lexicon_path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return lexicon_path + ".zix";
  }
  return lexicon_path.substr(0, dot) + ".zix";
}

std::string build_lexicon_index(std::string_view text, const lexicon_stamp& stamp) {
  struct item {
    std::string_view key;
    uint64_t position;
  };
  std::vector<item> items;
  size_t pos = 0;
  std::string_view word, entry;
  while (pos < text.size()) {
    const uint64_t start = pos;
    lexicon_line(text, pos, word);
    lexicon_line(text, pos, entry);
    items.push_back({headword(word), start});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const item& a, const item& b) { return a.key < b.key; });

  std::vector<std::string> blocks;
  std::vector<std::string_view> first_keys;
  std::string block, rec;
  uint64_t headwords = 0;
  for (size_t i = 0; i < items.size();) {
    size_t j = i;
    while (j < items.size() && items[j].key == items[i].key) ++j;
    rec.clear();
    put_varint(rec, items[i].key.size());
    rec.append(items[i].key);
    put_varint(rec, j - i);
    for (size_t k = i; k < j; ++k) {
      put_varint(rec, k == i ? items[k].position : items[k].position - items[k - 1].position);
    }
    if (!block.empty() && block.size() + rec.size() > kBlockTarget) {
      blocks.push_back(std::move(block));
      block.clear();
    }
    if (block.empty()) first_keys.push_back(items[i].key);
    block += rec;
    ++headwords;
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
  store(out, 40, headwords, 8);
  store(out, 48, items.size(), 8);
  store(out, 56, out.size(), 8);
  store(out, 64, checksum(std::string_view(out).substr(kHeaderSize, dir_size)), 8);
  store(out, 72, checksum(std::string_view(out).substr(0, 72)), 8);
  return out;
}

bool index_lexicon_file(const std::string& lexicon_path, std::string& index, std::string& error) {
  int fd = ::open(lexicon_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno_text(lexicon_path.c_str());
    return false;
  }
  lexicon_stamp before, after;
  std::string text;
  bool ok = stamp_of(fd, before) && before.size <= kLargestLexicon;
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
    error = lexicon_path + ": too large, unreadable or changed while read";
    return false;
  }
  index = build_lexicon_index(text, before);
  return true;
}

std::string dump_lexicon_index(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  index_header h;
  std::string why;
  if (!check_index(data, bytes.size(), h, true, why)) return "damaged: " + why + "\n";
  std::string out = "lexicon of " + std::to_string(h.stamp.size) + " bytes, modified " +
                    std::to_string(h.stamp.seconds) + "." + std::to_string(h.stamp.nanoseconds) +
                    "; " + std::to_string(h.headwords) + " headwords, " +
                    std::to_string(h.entries) + " entries in " + std::to_string(h.blocks) +
                    " blocks\n";
  std::vector<uint64_t> positions;
  for (uint32_t b = 0; b < h.blocks; ++b) {
    if (!check_block(data, h, b, true, why)) return out + "damaged: " + why + "\n";
    dir_entry e = directory_entry(data, b);
    const unsigned char* p = data + e.offset;
    const unsigned char* end = p + e.length;
    record r;
    while (p < end && next_record(p, end, r)) {
      positions.clear();
      append_positions(r, end, positions);
      out.append(r.key);
      out += ":";
      for (uint64_t pos : positions) out += " " + std::to_string(pos);
      out += "\n";
    }
  }
  return out;
}

lexicon_index::lexicon_index() = default;

lexicon_index::~lexicon_index() { close(); }

void lexicon_index::close() {
  if (map_ != nullptr) munmap(const_cast<unsigned char*>(map_), map_size_);
  if (lexicon_fd_ >= 0) ::close(lexicon_fd_);
  map_ = nullptr;
  map_size_ = 0;
  lexicon_fd_ = -1;
  header_.reset();
  checked_.clear();
  found_.clear();
  entries_.clear();
}

bool lexicon_index::open(const std::string& lexicon_path, const std::string& index_path,
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
  lexicon_fd_ = ::open(lexicon_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (!check_index(map_, map_size_, h, false, why)) {
  } else if (lexicon_fd_ < 0 || !stamp_of(lexicon_fd_, now)) {
    why = "the lexicon cannot be read";
  } else if (!(now == h.stamp)) {
    why = "made for another lexicon file (size " + std::to_string(h.stamp.size) + ", modified " +
          std::to_string(h.stamp.seconds) + "." + std::to_string(h.stamp.nanoseconds) + ")";
  } else {
    header_ = std::make_unique<header>(h);
    checked_.assign(h.blocks, 0);
    return true;
  }
  close();
  return false;
}

bool lexicon_index::find(std::string_view key, std::vector<uint64_t>& positions, std::string& why) {
  if (map_ == nullptr) return false;
  // A headword looked up before: its positions as found then (the index does not change
  // while open). The words of a text come back often; the memory kept stays bounded.
  constexpr size_t kMaxKept = 200000;
  auto known = found_.find(key);
  if (known != found_.end()) {
    positions.insert(positions.end(), known->second.begin(), known->second.end());
    return true;
  }
  const size_t had = positions.size();
  if (!find_in_blocks(key, positions, why)) return false;
  if (found_.size() >= kMaxKept) found_.clear();
  found_.emplace(std::string(key),
                 std::vector<uint64_t>(positions.begin() + static_cast<std::ptrdiff_t>(had),
                                       positions.end()));
  return true;
}

bool lexicon_index::find_in_blocks(std::string_view key, std::vector<uint64_t>& positions,
                                   std::string& why) {
  const index_header& h = *header_;
  // The last block whose first headword is not above the key.
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
  if (lo == 0) return true;  // below every headword
  const uint32_t b = lo - 1;
  if (!checked_[b]) {
    if (!check_block(map_, h, b, false, why)) return false;
    checked_[b] = 1;
  }
  dir_entry e = directory_entry(map_, b);
  const unsigned char* p = map_ + e.offset;
  const unsigned char* end = p + e.length;
  record r;
  while (p < end && next_record(p, end, r)) {
    const int order = r.key.compare(key);
    if (order == 0) append_positions(r, end, positions);
    if (order >= 0) break;
  }
  return true;
}

bool lexicon_index::read_entry(uint64_t position, std::string& word_line, std::string& entry_line) {
  if (lexicon_fd_ < 0 || position >= header_->stamp.size) return false;
  auto kept = entries_.find(position);
  if (kept != entries_.end()) {
    word_line = kept->second.first;
    entry_line = kept->second.second;
    return true;
  }
  // From the byte before the entry, which must end the line before it.
  const uint64_t from = position > 0 ? position - 1 : 0;
  const size_t skip = static_cast<size_t>(position - from);
  std::string buf;
  for (size_t want = 512;; want *= 2) {
    if (want > kLongestEntry) return false;
    buf.resize(want);
    ssize_t n;
    do {
      n = ::pread(lexicon_fd_, &buf[0], want, static_cast<off_t>(from));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return false;
    buf.resize(static_cast<size_t>(n));
    // Complete when the file ended inside the window or both lines end in it.
    size_t lf = buf.find('\n', skip);
    if (static_cast<size_t>(n) < want ||
        (lf != std::string::npos && buf.find('\n', lf + 1) != std::string::npos)) {
      break;
    }
  }
  if (skip > 0 && (buf.empty() || buf[0] != '\n')) return false;
  std::string_view text(buf), word, entry;
  size_t pos = skip;
  if (!lexicon_line(text, pos, word)) return false;
  if (!lexicon_line(text, pos, entry)) entry = {};
  word_line.assign(word);
  entry_line.assign(entry);
  constexpr size_t kMaxEntriesKept = 50000;
  if (entries_.size() >= kMaxEntriesKept) entries_.clear();
  entries_.emplace(position, std::make_pair(word_line, entry_line));
  return true;
}

bool lexicon_index::still_fits(const std::string& lexicon_path) const {
  if (!is_open() || lexicon_fd_ < 0) return false;
  struct stat opened, named;
  lexicon_stamp now;
  return fstat(lexicon_fd_, &opened) == 0 && stat(lexicon_path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino &&
         stamp_of(lexicon_fd_, now) && now == header_->stamp;
}

}  // namespace zembu
