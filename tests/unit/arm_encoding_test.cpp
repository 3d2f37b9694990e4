// The instruction field encodings: each decoder reads instructions as the
// assembler writes them (words taken from llvm-mc output), every value of a
// field's range survives encoding and decoding, one step past either end or
// between steps does not, and the bits outside the field are never touched.
#include "arm/encoding.h"

#include <gtest/gtest.h>

#include <random>

namespace tanrek {
namespace {

// Every value of the range when there are few enough, otherwise both ends,
// the values next to zero and a sample of random ones.
template <typename Field> std::vector<int32_t> RangeSample() {
  std::vector<int32_t> values;
  int64_t count = (int64_t(Field::kMax) - Field::kMin) / Field::kStep + 1;
  if (count <= (1 << 22)) {
    for (int64_t v = Field::kMin; v <= Field::kMax; v += Field::kStep)
      values.push_back(int32_t(v));
    return values;
  }
  values = {Field::kMin, Field::kMax, Field::kMin + Field::kStep, Field::kMax - Field::kStep, 0, Field::kStep};
  std::mt19937 random(12345);
  std::uniform_int_distribution<int64_t> pick(0, count - 1);
  for (int i = 0; i < 200000; ++i)
    values.push_back(int32_t(Field::kMin + pick(random) * Field::kStep));
  return values;
}

// `kept` holds the bits an encoding must leave alone.
template <typename Field> void CheckField(uint32_t kept) {
  const uint32_t backgrounds[] = {0, 0xFFFFFFFF, 0xA5A5A5A5, 0x5A5A5A5A};
  for (int32_t value : RangeSample<Field>()) {
    ASSERT_TRUE(Fits<Field>(value)) << value;
    for (uint32_t background : backgrounds) {
      uint32_t insn = Field::Encode(background, value);
      ASSERT_EQ(Field::Decode(insn), value) << std::hex << background;
      ASSERT_EQ(insn & kept, background & kept) << std::hex << value;
    }
  }
  EXPECT_FALSE(Fits<Field>(Field::kMax + Field::kStep));
  EXPECT_FALSE(Fits<Field>(Field::kMin - Field::kStep));
  if (Field::kStep > 1) {
    EXPECT_FALSE(Fits<Field>(Field::kMin + 1));
  }
}

TEST(ArmEncodingTest, FieldsRoundTripOverTheirRangeAndKeepOtherBits) {
  CheckField<ArmBranch24>(0xFF000000);
  CheckField<ArmBlx>(0xFE000000);
  CheckField<ThumbBranch24>(0xD000F800);
  CheckField<ThumbCondBranch20>(0xD000FBC0);
  CheckField<ThumbBranch11>(0xFFFFF800);
  CheckField<ThumbCondBranch8>(0xFFFFFF00);
  CheckField<ThumbCompareBranch>(~uint32_t(0x02F8));
  CheckField<ArmMovImm16>(0xFFF0F000);
  CheckField<ThumbMovImm16>(0x8F00FBF0);
  CheckField<ThumbLiteral8>(0xFFFFFF00);
  CheckField<ArmLiteral12>(0xFF7FF000);
  CheckField<ThumbLiteral12>(0xF000FF7F);
  CheckField<Prel31>(0x80000000);
}

// Instructions as llvm-mc encodes them, 32-bit Thumb ones as first halfword
// in the low half.
TEST(ArmEncodingTest, DecodersReadAssembledInstructions) {
  EXPECT_EQ(ArmBranch24::Decode(0xEBFFFFFE), -8); // bl .
  EXPECT_EQ(ArmBlx::Decode(0xFAFFFFFE), -8);      // blx .
  EXPECT_EQ(ArmBlx::Decode(0xFBFFFFFE), -6);      // H set
  EXPECT_EQ(ThumbBranch24::Decode(0xBA35F023), 0x2346A);
  EXPECT_EQ(ThumbBranch24::Decode(0xFFFEF7FF), -4); // bl .
  EXPECT_EQ(ThumbCondBranch20::Decode(0x8007F000), 14);
  EXPECT_EQ(ThumbCompareBranch::Decode(0xB120), 8);
  EXPECT_EQ(ThumbCompareBranch::Decode(0xB3F8), 126);
  EXPECT_EQ(ThumbCompareBranch::DecodeAddend(0xB3F0), -4);
  EXPECT_EQ(ThumbBranch11::Decode(0xE002), 4);
  EXPECT_EQ(ThumbBranch11::Decode(0xE7FE), -4);
  EXPECT_EQ(ThumbCondBranch8::Decode(0xD001), 2);
  EXPECT_EQ(ThumbCondBranch8::Decode(0xD0FE), -4);
  EXPECT_EQ(ArmMovImm16::Decode(0xE30A1BCD), 0xABCD);
  EXPECT_EQ(ArmMovImm16::Decode(0xE3412234), 0x1234);
  EXPECT_EQ(ThumbMovImm16::Decode(0x31CDF64A), 0xABCD);
  EXPECT_EQ(ThumbMovImm16::Decode(0x2234F2C1), 0x1234);
  EXPECT_EQ(ThumbLiteral8::Decode(0x4CFF), 0x3FC);
  EXPECT_EQ(ThumbLiteral8::DecodeAddend(0x4CFF), -4);
  EXPECT_EQ(ArmLiteral12::Decode(0xE51F3123), -0x123);
  EXPECT_EQ(ThumbLiteral12::Decode(0x3123F85F), -0x123);
  EXPECT_EQ(ArmAluPc::Decode(0xE28F0F41), 0x104);
  EXPECT_EQ(ArmAluPc::Decode(0xE24F04FF), int32_t(0x01000000)); // sub r0, pc, #0xFF000000
  EXPECT_EQ(Prel31::Decode(0x7FFFFFFC), -4);
}

TEST(ArmEncodingTest, AluImmediatesTakeTheSmallestRotationAndTheOpcodeOfTheSign) {
  EXPECT_EQ(ArmAluPc::Encode(0xE28F0000, 0x104), 0xE28F0F41u);
  EXPECT_EQ(ArmAluPc::Encode(0xE28F0000, 0xFF), 0xE28F00FFu);
  EXPECT_EQ(ArmAluPc::Encode(0xE28F0000, -0x104), 0xE24F0F41u);
  // Condition and Rd stay, whatever the old opcode.
  EXPECT_EQ(ArmAluPc::Encode(0x124F5000, 8), 0x128F5008u);
  EXPECT_EQ(ArmAluPc::Encode(0xE28F0000, 0x101), std::nullopt);
  EXPECT_EQ(ArmAluPc::Encode(0xE28F0000, 0x1FE), std::nullopt); // would need an odd rotation
  for (uint32_t rotation = 0; rotation < 16; ++rotation)
    for (uint32_t imm8 = 0; imm8 < 256; ++imm8) {
      uint32_t value = ArmAluPc::RotateRight(imm8, rotation * 2);
      if (int32_t(value) < 0) // a negative result is a SUB of its magnitude
        continue;
      std::optional<uint32_t> insn = ArmAluPc::Encode(0xE28F0000, int32_t(value));
      ASSERT_TRUE(insn) << std::hex << value;
      EXPECT_EQ(uint32_t(ArmAluPc::Decode(*insn)), value);
    }
  EXPECT_FALSE(ArmAluPc::IsAddOrSubPc(0xE2810004)); // add r0, r1, #4
  EXPECT_TRUE(ArmAluPc::IsAddOrSubPc(0xE24F0004));
}

} // namespace
} // namespace tanrek
