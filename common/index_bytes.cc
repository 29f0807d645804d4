#include "common/index_bytes.h"

namespace zembu::index_bytes {

uint64_t load(const unsigned char* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void store(std::string& out, size_t at, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// A checksum in which any change of one 8-byte word always shows: four lanes take every
// fourth word, and every step is one-to-one in the lane's value and in the word, as is
// the joining of the lanes.
uint64_t checksum(const unsigned char* p, size_t n) {
  constexpr uint64_t kMul = 0xff51afd7ed558ccdULL;
  uint64_t lane[4] = {0x9e3779b97f4a7c15ULL ^ n, 0xc2b2ae3d27d4eb4fULL, 0x165667b19e3779f9ULL,
                      0x27d4eb2f165667c5ULL};
  auto step = [](uint64_t& h, uint64_t w) {
    h = (h ^ w) * kMul;
    h ^= h >> 29;
  };
  for (; n >= 32; p += 32, n -= 32) {
    for (int i = 0; i < 4; ++i) step(lane[i], load(p + 8 * i, 8));
  }
  for (; n >= 8; p += 8, n -= 8) step(lane[0], load(p, 8));
  if (n > 0) step(lane[0], load(p, static_cast<int>(n)));
  uint64_t h = lane[0];
  for (int i = 1; i < 4; ++i) step(h, lane[i]);
  return h;
}

uint64_t checksum(std::string_view s) {
  return checksum(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

void put_varint(std::string& out, uint64_t v) {
  while (v >= 0x80) {
    out.push_back(static_cast<char>((v & 0x7f) | 0x80));
    v >>= 7;
  }
  out.push_back(static_cast<char>(v));
}

// Reads a varint at p (before end); false when it runs past end or beyond 64 bits.
bool get_varint(const unsigned char*& p, const unsigned char* end, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (p >= end) return false;
    unsigned char b = *p++;
    v |= static_cast<uint64_t>(b & 0x7f) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

std::string_view view(const unsigned char* p, size_t n) {
  return std::string_view(reinterpret_cast<const char*>(p), n);
}

}  // namespace zembu::index_bytes
