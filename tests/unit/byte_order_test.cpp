// Target byte-order accessors: the same value reads back in either order,
// and a 32-bit Thumb instruction keeps its first halfword in the low bits.
#include "driver/byte_order.h"

#include <gtest/gtest.h>

namespace tanrek {
namespace {

struct ByteOrderScope {
  explicit ByteOrderScope(bool big) { targetBigEndian = big; }
  ~ByteOrderScope() { targetBigEndian = false; }
};

TEST(ByteOrderTest, LittleAndBigEndianLayouts) {
  uint8_t bytes[8] = {};
  {
    ByteOrderScope scope(false);
    WriteU32(bytes, 0x11223344);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(ReadU16(bytes), 0x3344);
  }
  {
    ByteOrderScope scope(true);
    WriteU32(bytes, 0x11223344);
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(ReadU32(bytes), 0x11223344u);
    EXPECT_EQ(ReadU16(bytes + 2), 0x3344);
    WriteU64(bytes, 0x0102030405060708ull);
    EXPECT_EQ(bytes[7], 0x08);
    EXPECT_EQ(ReadU64(bytes), 0x0102030405060708ull);
  }
}

// BL is F000 F800 + offset: the first halfword is stored first in either
// byte order, and each halfword in the image's order.
TEST(ByteOrderTest, ThumbInstructionsAreTwoHalfwords) {
  for (bool big : {false, true}) {
    ByteOrderScope scope(big);
    uint8_t bytes[4] = {};
    WriteThumb32(bytes, 0xF800F000);
    EXPECT_EQ(ReadU16(bytes), 0xF000);
    EXPECT_EQ(ReadU16(bytes + 2), 0xF800);
    EXPECT_EQ(bytes[0], big ? 0xF0 : 0x00);
    EXPECT_EQ(ReadThumb32(bytes), 0xF800F000u);
  }
}

} // namespace
} // namespace tanrek
