#include "common/rules_map.h"

#include <cstdlib>

namespace zembu {

namespace {

// A decimal number of at most 18 digits, at least `least`.
bool read_number(std::string_view s, long least, long& out) {
  if (s.empty() || s.size() > 18) return false;
  long n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < least) return false;
  out = n;
  return true;
}

}  // namespace

void rules_map::start(const std::string& file) {
  auto r = records_.find(file);
  if (r == records_.end()) {
    order_.push_back(file);
    records_[file];
    return;
  }
  r->second.clear();
}

void rules_map::add(const std::string& file, long lines, long source, long source_lines) {
  if (records_.find(file) == records_.end()) start(file);
  std::vector<map_record>& v = records_[file];
  map_record r;
  r.file = file;
  r.record = static_cast<long>(v.size()) + 1;
  r.line = v.empty() ? 1 : v.back().line + v.back().lines;
  r.lines = lines;
  r.source = source;
  r.source_lines = source_lines;
  v.push_back(r);
}

std::string rules_map::text() const {
  std::string out;
  for (const std::string& file : order_) {
    for (const map_record& r : records_.at(file)) {
      out += r.file + " " + std::to_string(r.record) + " " + std::to_string(r.line) + " " +
             std::to_string(r.lines) + " " + std::to_string(r.source) + " " +
             std::to_string(r.source_lines) + "\n";
    }
  }
  return out;
}

bool parse_map_line(std::string_view line, map_record& out) {
  std::vector<std::string_view> f;
  size_t p = 0;
  while (f.size() < 7) {
    size_t blank = line.find(' ', p);
    f.push_back(line.substr(p, blank == std::string_view::npos ? std::string_view::npos : blank - p));
    if (blank == std::string_view::npos) break;
    p = blank + 1;
  }
  if (f.size() != 6 || f[0].empty()) return false;
  map_record r;
  r.file = std::string(f[0]);
  if (!read_number(f[1], 1, r.record) || !read_number(f[2], 1, r.line) ||
      !read_number(f[3], 1, r.lines) || !read_number(f[4], 1, r.source) ||
      !read_number(f[5], 1, r.source_lines)) {
    return false;
  }
  out = r;
  return true;
}

map_index parse_rules_map(std::string_view text) {
  map_index index;
  size_t p = 0;
  while (p < text.size()) {
    size_t end = text.find('\n', p);
    if (end == std::string_view::npos) end = text.size();
    map_record r;
    if (parse_map_line(text.substr(p, end - p), r)) index[r.file].push_back(r);
    p = end + 1;
  }
  return index;
}

std::vector<map_record> records_for_lines(const map_index& map, const std::string& file,
                                          long first, long last) {
  std::vector<map_record> out;
  auto f = map.find(file);
  if (f == map.end()) return out;
  for (const map_record& r : f->second) {
    if (r.line <= last && r.line + r.lines - 1 >= first) out.push_back(r);
  }
  return out;
}

}  // namespace zembu
