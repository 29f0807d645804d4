#include "common/index_bytes.h"

#include <gtest/gtest.h>

namespace zembu::index_bytes {
namespace {

const unsigned char* bytes(const std::string& s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

TEST(IndexBytes, IntegersAndVarintsReadBackWhatWasWritten) {
  std::string out(12, '\0');
  store(out, 2, 0x0102030405060708ULL, 8);
  EXPECT_EQ(static_cast<unsigned char>(out[2]), 0x08);  // little-endian
  EXPECT_EQ(load(bytes(out) + 2, 8), 0x0102030405060708ULL);
  EXPECT_EQ(load(bytes(out) + 2, 3), 0x060708u);

  std::string v;
  const uint64_t values[] = {0, 127, 128, 300, 1ULL << 35, ~0ULL};
  for (uint64_t x : values) put_varint(v, x);
  const unsigned char* p = bytes(v);
  const unsigned char* end = p + v.size();
  for (uint64_t x : values) {
    uint64_t got = 1;
    ASSERT_TRUE(get_varint(p, end, got));
    EXPECT_EQ(got, x);
  }
  EXPECT_EQ(p, end);
  // A varint cut short, or one longer than 64 bits, is refused.
  uint64_t got = 0;
  const std::string cut = "\x80\x80";
  p = bytes(cut);
  EXPECT_FALSE(get_varint(p, p + cut.size(), got));
  const std::string endless(11, '\x80');
  p = bytes(endless);
  EXPECT_FALSE(get_varint(p, p + endless.size(), got));
}

TEST(IndexBytes, ChecksumShowsEveryChangedByte) {
  std::string data;
  for (int i = 0; i < 77; ++i) data.push_back(static_cast<char>(i * 37));
  const uint64_t sum = checksum(data);
  for (size_t i = 0; i < data.size(); ++i) {
    std::string changed = data;
    changed[i] = static_cast<char>(changed[i] ^ 0x01);
    EXPECT_NE(checksum(changed), sum) << "byte " << i;
  }
  EXPECT_NE(checksum(data.substr(0, 76)), sum);  // the length counts too
  EXPECT_EQ(view(bytes(data) + 1, 3), data.substr(1, 3));
}

}  // namespace
}  // namespace zembu::index_bytes
