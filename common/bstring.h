// Bounded byte strings. Every field of the system has a width; text beyond it is cut
// silently. Text is bytes (code page 437, byte 255 a field marker): nothing here looks at
// a locale, and every byte value 0..255 passes through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zembu {

// Width of a short string: a line, a token, a table field of the filters and the compiler.
constexpr size_t kShortWidth = 255;

// The first `width` bytes of s.
inline std::string cut(std::string_view s, size_t width) {
  return std::string(s.substr(0, width));
}

// Cuts s in place to at most `width` bytes.
inline void cut_to(std::string& s, size_t width) {
  if (s.size() > width) s.resize(width);
}

// Appends t to s, keeping s within `width` bytes.
inline void append_cut(std::string& s, std::string_view t, size_t width) {
  if (s.size() < width) s.append(t.substr(0, width - s.size()));
}

// A byte string of at most W bytes; every assignment and append cuts silently.
template <size_t W>
class bstring {
 public:
  static constexpr size_t width = W;

  bstring() = default;
  bstring(std::string_view s) : s_(cut(s, W)) {}
  bstring(const char* s) : s_(cut(s, W)) {}
  bstring(const std::string& s) : s_(cut(s, W)) {}

  bstring& operator=(std::string_view s) { s_ = cut(s, W); return *this; }
  bstring& operator=(const char* s) { s_ = cut(s, W); return *this; }
  bstring& operator=(const std::string& s) { s_ = cut(s, W); return *this; }
  bstring& operator+=(std::string_view s) { append_cut(s_, s, W); return *this; }
  bstring& operator+=(char c) { if (s_.size() < W) s_.push_back(c); return *this; }

  const std::string& str() const { return s_; }
  operator const std::string&() const { return s_; }
  operator std::string_view() const { return s_; }
  size_t size() const { return s_.size(); }
  bool empty() const { return s_.empty(); }
  char operator[](size_t i) const { return s_[i]; }
  char back() const { return s_.back(); }
  void clear() { s_.clear(); }

  friend bool operator==(const bstring& a, std::string_view b) { return a.s_ == b; }
  friend bool operator!=(const bstring& a, std::string_view b) { return a.s_ != b; }

 private:
  std::string s_;
};

}  // namespace zembu
