// The unwind instruction decoder: every row of the instruction table, the
// byte order taken from the words, and the ways a stream ends.
#include "arm/unwind.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {
namespace {

std::string Decode(std::vector<uint8_t> bytes) { return DescribeUnwindBytes(bytes); }

TEST(UnwindDecoder, StackAdjustments) {
  EXPECT_EQ(Decode({0x00}), "[00] sp += 4");
  EXPECT_EQ(Decode({0x3F}), "[3F] sp += 256");
  EXPECT_EQ(Decode({0x40}), "[40] sp -= 4");
  EXPECT_EQ(Decode({0x7F}), "[7F] sp -= 256");
  EXPECT_EQ(Decode({0x90, 0x9C, 0x9E}), "[90] sp = r0; [9C] sp = r12; [9E] sp = r14");
  EXPECT_EQ(Decode({0x9D, 0x9F}), "[9D] Reserved; [9F] Reserved");
}

// The ULEB128 form takes as many bytes as the number has; each shows.
TEST(UnwindDecoder, LargeStackIncrement) {
  EXPECT_EQ(Decode({0xB2, 0x00}), "[B2 00] sp += 516");
  EXPECT_EQ(Decode({0xB2, 0x7F}), "[B2 7F] sp += 1024");
  EXPECT_EQ(Decode({0xB2, 0x81, 0x01, 0xB0}), "[B2 81 01] sp += 1032; [B0] Finish");
  EXPECT_EQ(Decode({0xB2, 0x80, 0x80, 0x01, 0x00}), "[B2 80 80 01] sp += 66052; [00] sp += 4");
}

TEST(UnwindDecoder, PopUnderMask) {
  EXPECT_EQ(Decode({0x80, 0x01}), "[80 01] pop {r4}");
  EXPECT_EQ(Decode({0x88, 0x0F}), "[88 0F] pop {r4, r5, r6, r7, r15}");
  EXPECT_EQ(Decode({0x8F, 0xFF}),
            "[8F FF] pop {r4, r5, r6, r7, r8, r9, r10, r11, r12, r13, r14, r15}");
  EXPECT_EQ(Decode({0x80, 0x00}), "[80 00] pop {}");
}

TEST(UnwindDecoder, PopRanges) {
  EXPECT_EQ(Decode({0xA0}), "[A0] pop {r4}");
  EXPECT_EQ(Decode({0xA3}), "[A3] pop {r4-r7}");
  EXPECT_EQ(Decode({0xA7}), "[A7] pop {r4-r11}");
  EXPECT_EQ(Decode({0xA8}), "[A8] pop {r4, lr}");
  EXPECT_EQ(Decode({0xAB}), "[AB] pop {r4-r7, lr}");
  EXPECT_EQ(Decode({0xAF}), "[AF] pop {r4-r11, lr}");
}

TEST(UnwindDecoder, PopLowRegisters) {
  EXPECT_EQ(Decode({0xB1, 0x01}), "[B1 01] pop {r0}");
  EXPECT_EQ(Decode({0xB1, 0x0A}), "[B1 0A] pop {r1, r3}");
  EXPECT_EQ(Decode({0xB1, 0x0F}), "[B1 0F] pop {r0, r1, r2, r3}");
  EXPECT_EQ(Decode({0xB1, 0x00}), "[B1 00] unknown opcode");
  EXPECT_EQ(Decode({0xB1, 0x11, 0xA0}), "[B1 11] unknown opcode; [A0] pop {r4}");
}

// Opcodes outside the table take one byte each.
TEST(UnwindDecoder, UnknownOpcodes) {
  EXPECT_EQ(Decode({0xB3, 0xB4, 0xB8, 0xC0, 0xC8, 0xD0, 0xFF}),
            "[B3] Unknown; [B4] Unknown; [B8] Unknown; [C0] Unknown; [C8] Unknown; [D0] Unknown; [FF] Unknown");
}

TEST(UnwindDecoder, FinishEndsTheStream) {
  EXPECT_EQ(Decode({0x97, 0xB0, 0xB0}), "[97] sp = r7; [B0] Finish");
  EXPECT_EQ(Decode({0xB0, 0x00}), "[B0] Finish");
  EXPECT_EQ(Decode({}), "");
}

TEST(UnwindDecoder, TruncatedInstructions) {
  EXPECT_EQ(Decode({0x84}), "truncated opcode <84>");
  EXPECT_EQ(Decode({0xA8, 0xB1}), "[A8] pop {r4, lr}; truncated opcode <B1>");
  EXPECT_EQ(Decode({0xB2}), "truncated opcode <B2>");
  EXPECT_EQ(Decode({0x01, 0xB2, 0x80}), "[01] sp += 8; truncated opcode <B2>");
}

// Bytes come from each word's most significant end; the skipped byte of a
// compact model word and the count limit what is decoded.
TEST(UnwindDecoder, BytesFromWords) {
  const uint32_t compact[] = {0x8097B0B0};
  EXPECT_EQ(DescribeUnwindInstructions(compact, 3, 1), "[97] sp = r7; [B0] Finish");
  const uint32_t two[] = {0x81028400, 0x08B0B0B0};
  EXPECT_EQ(DescribeUnwindInstructions(two, 6, 2), "[84 00] pop {r14}; [08] sp += 36; [B0] Finish");
  EXPECT_EQ(DescribeUnwindInstructions(two, 1, 2), "truncated opcode <84>");
  EXPECT_EQ(DescribeUnwindInstructions(compact, 10, 1), "[97] sp = r7; [B0] Finish") << "no bytes past the words";
  const uint32_t noFinish[] = {0x0102A0A8};
  EXPECT_EQ(DescribeUnwindInstructions(noFinish, 4), "[01] sp += 8; [02] sp += 12; [A0] pop {r4}; [A8] pop {r4, lr}");
}

} // namespace
} // namespace tanrek
