// Byte helpers shared by the binary index files beside lexicons and idiom files:
// little-endian integers, a checksum that shows any change of one 8-byte word, and
// varints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zembu::index_bytes {

// The little-endian integer of `bytes` bytes (at most 8) at p.
uint64_t load(const unsigned char* p, int bytes);

// Writes v as `bytes` little-endian bytes into out at `at` (out is long enough).
void store(std::string& out, size_t at, uint64_t v, int bytes);

// A checksum in which any change of one 8-byte word of the n bytes at p always shows.
uint64_t checksum(const unsigned char* p, size_t n);

// The same over the bytes of s.
uint64_t checksum(std::string_view s);

// Appends v as a varint (7 bits a byte, low first).
void put_varint(std::string& out, uint64_t v);

// Reads a varint at p (before end) and moves p behind it; false when it runs past end or
// beyond 64 bits.
bool get_varint(const unsigned char*& p, const unsigned char* end, uint64_t& v);

// The n bytes at p as a string view.
std::string_view view(const unsigned char* p, size_t n);

}  // namespace zembu::index_bytes
