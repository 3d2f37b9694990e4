// Instruction field encodings of the Arm and Thumb instruction sets: one
// struct per shape of field that a relocation, a veneer or the listing
// reads or writes. Each has Decode (the field's value, as the architecture
// defines it), Encode (the instruction with the field replaced, every other
// bit kept) and the range in which the two are exact inverses. A value
// outside the range is encoded by dropping the bits that do not fit, so
// Fits(), which encodes and decodes again, is the one range check.
//
// A 32-bit Thumb instruction is one value whose low 16 bits are the first
// halfword and whose high 16 bits the second (see ReadThumb32), so bit 16
// of the value is bit 0 of the second halfword.
//
// Nothing here knows about the link: these are pure functions of the
// instruction bits.
#pragma once

#include <cstdint>
#include <optional>

namespace tanrek {

// The low `bits` bits of `value` read as a two's complement number.
constexpr int32_t SignExtend(uint32_t value, unsigned bits) {
  uint32_t sign = uint32_t(1) << (bits - 1);
  value &= (sign << 1) - 1;
  return int32_t((value ^ sign) - sign);
}

// True when `value` survives encoding into the field and decoding back.
template <typename Field> constexpr bool Fits(int32_t value) {
  return Field::Decode(Field::Encode(0, value)) == value;
}

// Arm B, BL and B<c> (A1): imm24, offset = SignExtend(imm24:'00').
struct ArmBranch24 {
  static constexpr int32_t kMin = -0x2000000, kMax = 0x1FFFFFC, kStep = 4;
  static constexpr int32_t Decode(uint32_t insn) { return SignExtend(insn << 2, 26); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    return (insn & 0xFF000000) | ((uint32_t(offset) >> 2) & 0x00FFFFFF);
  }
};

// Arm BLX (immediate, A2): H is bit 24, offset = SignExtend(imm24:H:'0').
struct ArmBlx {
  static constexpr int32_t kMin = -0x2000000, kMax = 0x1FFFFFE, kStep = 2;
  static constexpr int32_t Decode(uint32_t insn) {
    return SignExtend(insn << 2 | ((insn >> 23) & 2), 26);
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t value = uint32_t(offset);
    return (insn & 0xFE000000) | ((value & 2) << 23) | ((value >> 2) & 0x00FFFFFF);
  }
};

// Thumb BL, BLX (T2) and B.W (T4): S:I1:I2:imm10:imm11:'0' with
// I1 = NOT(J1 XOR S) and I2 = NOT(J2 XOR S). First halfword: S bit 10,
// imm10 bits 9-0; second halfword: J1 bit 13, J2 bit 11, imm11 bits 10-0.
struct ThumbBranch24 {
  static constexpr int32_t kMin = -0x1000000, kMax = 0xFFFFFE, kStep = 2;
  static constexpr uint32_t kFieldMask = 0x2FFF07FF;
  static constexpr int32_t Decode(uint32_t insn) {
    uint32_t s = (insn >> 10) & 1;
    uint32_t i1 = ~((insn >> 29) ^ s) & 1;
    uint32_t i2 = ~((insn >> 27) ^ s) & 1;
    uint32_t imm10 = insn & 0x3FF, imm11 = (insn >> 16) & 0x7FF;
    return SignExtend(s << 24 | i1 << 23 | i2 << 22 | imm10 << 12 | imm11 << 1, 25);
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t value = uint32_t(offset);
    uint32_t s = (value >> 24) & 1;
    uint32_t j1 = (~(value >> 23) ^ s) & 1;
    uint32_t j2 = (~(value >> 22) ^ s) & 1;
    return (insn & ~kFieldMask) | s << 10 | ((value >> 12) & 0x3FF) | j1 << 29 | j2 << 27 |
           ((value >> 1) & 0x7FF) << 16;
  }
};

// Thumb B<c>.W (T3): S:J2:J1:imm6:imm11:'0'. First halfword: S bit 10,
// cond bits 9-6, imm6 bits 5-0; second halfword: J1 bit 13, J2 bit 11,
// imm11 bits 10-0.
struct ThumbCondBranch20 {
  static constexpr int32_t kMin = -0x100000, kMax = 0xFFFFE, kStep = 2;
  static constexpr uint32_t kFieldMask = 0x2FFF043F;
  static constexpr int32_t Decode(uint32_t insn) {
    uint32_t s = (insn >> 10) & 1, j1 = (insn >> 29) & 1, j2 = (insn >> 27) & 1;
    uint32_t imm6 = insn & 0x3F, imm11 = (insn >> 16) & 0x7FF;
    return SignExtend(s << 20 | j2 << 19 | j1 << 18 | imm6 << 12 | imm11 << 1, 21);
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t value = uint32_t(offset);
    return (insn & ~kFieldMask) | ((value >> 20) & 1) << 10 | ((value >> 12) & 0x3F) |
           ((value >> 18) & 1) << 29 | ((value >> 19) & 1) << 27 | ((value >> 1) & 0x7FF) << 16;
  }
};

// Thumb B (T2), 16 bits: imm11 bits 10-0, offset = SignExtend(imm11:'0').
struct ThumbBranch11 {
  static constexpr int32_t kMin = -2048, kMax = 2046, kStep = 2;
  static constexpr int32_t Decode(uint32_t insn) { return SignExtend(insn << 1, 12); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    return (insn & ~uint32_t(0x7FF)) | ((uint32_t(offset) >> 1) & 0x7FF);
  }
};

// Thumb B<c> (T1), 16 bits: imm8 bits 7-0, offset = SignExtend(imm8:'0').
struct ThumbCondBranch8 {
  static constexpr int32_t kMin = -256, kMax = 254, kStep = 2;
  static constexpr int32_t Decode(uint32_t insn) { return SignExtend(insn << 1, 9); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    return (insn & ~uint32_t(0xFF)) | ((uint32_t(offset) >> 1) & 0xFF);
  }
};

// Thumb CBZ/CBNZ: i bit 9, imm5 bits 7-3, offset = i:imm5:'0' (forward
// only). An in-place addend reads i as a sign bit, so that the usual -4
// of a REL input can be stored (DecodeAddend).
struct ThumbCompareBranch {
  static constexpr int32_t kMin = 0, kMax = 126, kStep = 2;
  static constexpr uint32_t kFieldMask = 0x02F8;
  static constexpr int32_t Decode(uint32_t insn) { return int32_t(((insn >> 9) & 1) << 6 | ((insn >> 3) & 0x1F) << 1); }
  static constexpr int32_t DecodeAddend(uint32_t insn) { return SignExtend(uint32_t(Decode(insn)), 7); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t value = uint32_t(offset);
    return (insn & ~kFieldMask) | ((value >> 6) & 1) << 9 | ((value >> 1) & 0x1F) << 3;
  }
};

// Arm MOVW/MOVT (A2/A1): imm16 = imm4:imm12, imm4 bits 19-16, imm12 bits
// 11-0.
struct ArmMovImm16 {
  static constexpr int32_t kMin = 0, kMax = 0xFFFF, kStep = 1;
  static constexpr int32_t Decode(uint32_t insn) { return int32_t(((insn >> 4) & 0xF000) | (insn & 0xFFF)); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t imm16) {
    uint32_t value = uint32_t(imm16);
    return (insn & 0xFFF0F000) | ((value & 0xF000) << 4) | (value & 0xFFF);
  }
};

// Thumb MOVW/MOVT (T3/T1): imm16 = imm4:i:imm3:imm8. First halfword: i bit
// 10, imm4 bits 3-0; second halfword: imm3 bits 14-12, imm8 bits 7-0.
struct ThumbMovImm16 {
  static constexpr int32_t kMin = 0, kMax = 0xFFFF, kStep = 1;
  static constexpr uint32_t kFieldMask = 0x70FF040F;
  static constexpr int32_t Decode(uint32_t insn) {
    return int32_t((insn & 0xF) << 12 | ((insn >> 10) & 1) << 11 | ((insn >> 28) & 7) << 8 | ((insn >> 16) & 0xFF));
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t imm16) {
    uint32_t value = uint32_t(imm16);
    return (insn & ~kFieldMask) | ((value >> 12) & 0xF) | ((value >> 11) & 1) << 10 | ((value >> 8) & 7) << 28 |
           (value & 0xFF) << 16;
  }
};

// Thumb LDR (literal) and ADR, 16 bits (T1): imm8 bits 7-0, offset =
// imm8:'00' (forward only). An in-place addend reads the ten bits as
// signed, so that the usual -4 of a REL input can be stored.
struct ThumbLiteral8 {
  static constexpr int32_t kMin = 0, kMax = 1020, kStep = 4;
  static constexpr int32_t Decode(uint32_t insn) { return int32_t((insn & 0xFF) << 2); }
  static constexpr int32_t DecodeAddend(uint32_t insn) { return SignExtend(uint32_t(Decode(insn)), 10); }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    return (insn & ~uint32_t(0xFF)) | ((uint32_t(offset) >> 2) & 0xFF);
  }
};

// Arm LDR/STR (immediate, A1): U bit 23 adds, imm12 bits 11-0.
struct ArmLiteral12 {
  static constexpr int32_t kMin = -4095, kMax = 4095, kStep = 1;
  static constexpr int32_t Decode(uint32_t insn) {
    int32_t imm12 = int32_t(insn & 0xFFF);
    return (insn & 0x00800000) ? imm12 : -imm12;
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t up = offset < 0 ? 0 : 0x00800000;
    uint32_t magnitude = offset < 0 ? 0 - uint32_t(offset) : uint32_t(offset);
    return (insn & 0xFF7FF000) | up | (magnitude & 0xFFF);
  }
};

// Thumb LDR.W (literal, T2): U is bit 7 of the first halfword, imm12 bits
// 11-0 of the second.
struct ThumbLiteral12 {
  static constexpr int32_t kMin = -4095, kMax = 4095, kStep = 1;
  static constexpr int32_t Decode(uint32_t insn) {
    int32_t imm12 = int32_t((insn >> 16) & 0xFFF);
    return (insn & 0x80) ? imm12 : -imm12;
  }
  static constexpr uint32_t Encode(uint32_t insn, int32_t offset) {
    uint32_t up = offset < 0 ? 0 : 0x80;
    uint32_t magnitude = offset < 0 ? 0 - uint32_t(offset) : uint32_t(offset);
    return (insn & 0xF000FF7F) | up | (magnitude & 0xFFF) << 16;
  }
};

// Arm ADD/SUB Rd, PC, #imm (A1): the modified immediate imm8 (bits 7-0)
// rotated right by twice the rotation field (bits 11-8). The value is the
// immediate, negated for SUB. Encode keeps the condition and Rd and makes
// the instruction ADD or SUB with Rn = PC by the sign of the value; a
// magnitude that no rotation can hold has no encoding.
struct ArmAluPc {
  static constexpr uint32_t kAddPc = 0x028F0000, kSubPc = 0x024F0000, kOpcodeMask = 0x0FFF0000;
  static constexpr bool IsAddOrSubPc(uint32_t insn) {
    return (insn & kOpcodeMask) == kAddPc || (insn & kOpcodeMask) == kSubPc;
  }
  static constexpr uint32_t RotateRight(uint32_t value, unsigned amount) {
    amount &= 31;
    return amount ? (value >> amount) | (value << (32 - amount)) : value;
  }
  static constexpr int32_t Decode(uint32_t insn) {
    uint32_t immediate = RotateRight(insn & 0xFF, ((insn >> 8) & 0xF) * 2);
    return (insn & kOpcodeMask) == kSubPc ? int32_t(0 - immediate) : int32_t(immediate);
  }
  // The rotation field and imm8 of a modified immediate: rotation 0 below
  // 256, else the smallest even left rotation that brings it below 256.
  static constexpr std::optional<uint32_t> ModifiedImmediate(uint32_t magnitude) {
    for (unsigned left = 0; left < 32; left += 2) {
      uint32_t imm8 = RotateRight(magnitude, 32 - left);
      if (imm8 < 256)
        return (left / 2) << 8 | imm8;
    }
    return std::nullopt;
  }
  static constexpr std::optional<uint32_t> Encode(uint32_t insn, int32_t value) {
    uint32_t magnitude = value < 0 ? 0 - uint32_t(value) : uint32_t(value);
    std::optional<uint32_t> immediate = ModifiedImmediate(magnitude);
    if (!immediate)
      return std::nullopt;
    return (insn & 0xF000F000) | (value < 0 ? kSubPc : kAddPc) | *immediate;
  }
};

// PREL31 (exception tables): a 31-bit signed offset in bits 30-0; bit 31
// belongs to the word's other use and is kept.
struct Prel31 {
  static constexpr int32_t kMin = -0x40000000, kMax = 0x3FFFFFFF, kStep = 1;
  static constexpr int32_t Decode(uint32_t word) { return SignExtend(word, 31); }
  static constexpr uint32_t Encode(uint32_t word, int32_t offset) {
    return (word & 0x80000000) | (uint32_t(offset) & 0x7FFFFFFF);
  }
};

} // namespace tanrek
