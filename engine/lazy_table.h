// A table of fixed capacity whose entries are made the first time one is written to: a run
// whose procedure script loads no such table never touches, clears or copies its memory
// (the suffix, termination and verb-pattern tables take most of the start-up state).
#pragma once

#include <array>
#include <cstddef>
#include <memory>

namespace zembu::engine {

template <class T, size_t N>
class lazy_table {
 public:
  lazy_table() = default;
  lazy_table(const lazy_table& o)
      : entries_(o.entries_ ? std::make_unique<std::array<T, N>>(*o.entries_) : nullptr) {}
  lazy_table& operator=(const lazy_table& o) {
    if (this == &o) return *this;
    if (!o.entries_) {
      entries_.reset();
    } else if (entries_) {
      *entries_ = *o.entries_;
    } else {
      entries_ = std::make_unique<std::array<T, N>>(*o.entries_);
    }
    return *this;
  }
  lazy_table(lazy_table&&) noexcept = default;
  lazy_table& operator=(lazy_table&&) noexcept = default;

  // Entry i (< N) for writing; the first access makes all N entries.
  T& operator[](size_t i) {
    if (!entries_) entries_ = std::make_unique<std::array<T, N>>();
    return (*entries_)[i];
  }
  // Entry i (< N) as it stands; before any is made, a default entry.
  const T& operator[](size_t i) const { return entries_ ? (*entries_)[i] : blank(); }
  // True once the entries are made.
  bool made() const { return entries_ != nullptr; }

 private:
  static const T& blank() {
    static const T entry{};
    return entry;
  }
  std::unique_ptr<std::array<T, N>> entries_;
};

}  // namespace zembu::engine
