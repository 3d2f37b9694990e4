// Address and size formats of the map and the log.
#include "report/number_format.h"

#include <gtest/gtest.h>

namespace tanrek {
namespace {

TEST(NumberFormatTest, Sizes) {
  // Default: decimal with blank-separated thousands.
  EXPECT_EQ(FormatSize(5, 0), "0");
  EXPECT_EQ(FormatSize(5, 999), "999");
  EXPECT_EQ(FormatSize(5, 1000), "1 000");
  EXPECT_EQ(FormatSize(5, 1234567), "1 234 567");
  EXPECT_EQ(FormatSize(5, 0xFFFFFFFF), "4 294 967 295");
  EXPECT_EQ(FormatSize(4, 1234567), "1234567");
  // Hexadecimal, with the high part split off from 0x10000 on.
  EXPECT_EQ(FormatSize(0, 0xABCDE), "0xabcde");
  EXPECT_EQ(FormatSize(2, 0xABCDE), "0xABCDE");
  EXPECT_EQ(FormatSize(1, 0xFFFF), "0xffff");
  EXPECT_EQ(FormatSize(3, 0x10000), "0x1'0000");
  EXPECT_EQ(FormatSize(3, 0xABCDE), "0xA'BCDE");
}

TEST(NumberFormatTest, Addresses) {
  EXPECT_EQ(FormatAddress(13, 0x1234), "0x00001234");
  EXPECT_EQ(FormatAddress(13, 0xABCDEF12), "0xABCDEF12");
  EXPECT_EQ(FormatAddress(0, 0xabc), "abc");
  EXPECT_EQ(FormatAddress(4, 0xabc), "0xabc");
  EXPECT_EQ(FormatAddress(8, 0xabc), "00000abc");
  // Split form: only above 0xFFFF unless the width is fixed.
  EXPECT_EQ(FormatAddress(2, 0xFFFF), "ffff");
  EXPECT_EQ(FormatAddress(2, 0x12345), "1'2345");
  EXPECT_EQ(FormatAddress(15, 0x12345), "0x0001'2345");
  EXPECT_EQ(FormatAddress(11, 0x1), "0000'0001");
}

} // namespace
} // namespace tanrek
