// Relocation of sections built here: contents written in the target byte
// order, relocation records and target symbols. Expected instructions are
// worked out from the architecture manuals, not from the encoders.
#include "arm/relocation_types.h"
#include "driver/byte_order.h"
#include "input/input_file.h"
#include "test_support.h"

#include <deque>

namespace tanrek {
namespace {

using testing_support::FatalMessage;
using testing_support::LinkerTest;

class ArmRelocationTest : public LinkerTest {
protected:
  void TearDown() override {
    targetBigEndian = false;
    LinkerTest::TearDown();
  }

  // A placed code section of `size` bytes at `address`, in "obj.o".
  LinkSection &Code(uint32_t address, uint32_t size = 16, const char *name = ".text") {
    LinkSection *section = file.AddSection(std::make_unique<LinkSection>(name, uint32_t(file.sections.size() + 1)));
    section->sh_type = kShtProgbits;
    section->sh_flags = kShfAlloc | kShfExecinstr;
    section->sh_size = size;
    section->file = &file;
    section->fileContents = pristine.emplace_back(size, 0).data();
    section->relocationsLoaded = true;
    section->Map(address);
    return *section;
  }

  // Writes into the section's pristine contents, in the target byte order.
  static uint8_t *Pristine(LinkSection &section, uint32_t offset) {
    return const_cast<uint8_t *>(section.fileContents) + offset;
  }
  static void Put16(LinkSection &section, uint32_t offset, uint16_t value) { WriteU16(Pristine(section, offset), value); }
  static void Put32(LinkSection &section, uint32_t offset, uint32_t value) { WriteU32(Pristine(section, offset), value); }
  // A 32-bit Thumb instruction, first halfword first.
  static void PutThumb(LinkSection &section, uint32_t offset, uint16_t first, uint16_t second) {
    Put16(section, offset, first);
    Put16(section, offset + 2, second);
  }

  static uint32_t Word(const LinkSection &section, uint32_t offset) { return ReadU32(section.Contents() + offset); }
  static uint16_t Half(const LinkSection &section, uint32_t offset) { return ReadU16(section.Contents() + offset); }

  void Reloc(LinkSection &section, uint32_t type, uint32_t offset, Symbol *target, int32_t addend = 0) {
    Relocation record;
    record.type = type;
    record.offset = record.offsetAsRead = offset;
    record.addend = addend;
    record.symbolOverride = target;
    section.relocations.push_back(record);
  }

  // A global definition at an absolute address; Thumb functions carry bit 0.
  Symbol *Define(const char *name, uint32_t value, uint8_t type = kSttFunc) {
    Symbol &symbol = symbols.emplace_back();
    symbol.name = name;
    symbol.info = uint8_t(kStbGlobal << 4 | type);
    symbol.value = value;
    symbol.section = &linker.absoluteSection;
    symbol.sectionIndex = kIndexAbsolute;
    symbol.file = &file;
    linker.globalSymbols[symbol.name] = &symbol;
    return &symbol;
  }
  Symbol *Undefined(const char *name, uint8_t binding) {
    Symbol &symbol = symbols.emplace_back();
    symbol.name = name;
    symbol.info = uint8_t(binding << 4 | kSttNotype);
    symbol.file = &file;
    return &symbol;
  }

  void Scan(LinkSection &section) { linker.RelocateSection(section, RelocationVeneerScan); }
  void Apply(LinkSection &section) { linker.RelocateSection(section, RelocationApply); }

  InputFile file{nullptr, "obj.o", false};
  std::deque<std::vector<uint8_t>> pristine;
  std::deque<Symbol> symbols;
};

// --- Arm call handling -----------------------------------------------------

TEST_F(ArmRelocationTest, ArmCallToThumbBecomesBlxWithTheHalfwordBitWhereTheCoreHasBlx) {
  linker.cpuClass = ArmV7A;
  LinkSection &text = Code(0x8000);
  Put32(text, 0, 0xEBFFFFFE); // bl f (addend -8)
  Put32(text, 4, 0xEBFFFFFE); // bl g
  Put32(text, 8, 0x0BFFFFFE); // bleq f: cannot become BLX
  Symbol *f = Define("f", 0x9002 | 1);
  Reloc(text, RelArmCall, 0, f);
  Reloc(text, RelArmCall, 4, Define("g", 0x9000 | 1));
  Reloc(text, RelArmCall, 8, f);
  Scan(text);
  ASSERT_EQ(linker.diagnostics.size(), 1u);
  EXPECT_EQ(linker.diagnostics[0], "error: relocation R_ARM_CALL at .text+8 in file obj.o [source address 00008008] "
                                   "to f needs a veneer, which this linker does not build yet");
  Apply(text);
  // 0x9002 - (0x8000 + 8) = 0xFFA: imm24 0x3FE with H set.
  EXPECT_EQ(Word(text, 0), 0xFB0003FEu);
  // 0x9000 - (0x8004 + 8) = 0xFF4: imm24 0x3FD, H clear.
  EXPECT_EQ(Word(text, 4), 0xFA0003FDu);
  EXPECT_EQ(Word(text, 8), 0x0BFFFFFEu);
}

TEST_F(ArmRelocationTest, ArmCallToThumbOnArmV4TNeedsAVeneerAndArmCallsOnMProfileAreFatal) {
  linker.cpuClass = ArmV4T;
  LinkSection &text = Code(0x8000);
  Put32(text, 0, 0xEBFFFFFE);
  Reloc(text, RelArmCall, 0, Define("f", 0x9001));
  Scan(text);
  ASSERT_EQ(linker.ErrorCount(), 1u);
  EXPECT_NE(linker.diagnostics[0].find("needs a veneer"), std::string::npos);
  Apply(text);
  EXPECT_EQ(Word(text, 0), 0xEBFFFFFEu);

  linker.cpuClass = ArmV7M;
  EXPECT_EQ(FatalMessage([&] { Apply(text); }),
            "error: cannot handle relocation R_ARM_CALL in file obj.o section .text (core mismatch)");
}

TEST_F(ArmRelocationTest, ArmBranchesToArmCodeAtTheEndsOfTheirRange) {
  linker.cpuClass = ArmV7A;
  LinkSection &text = Code(0x02000000, 16);
  for (uint32_t offset = 0; offset < 16; offset += 4)
    Put32(text, offset, 0xEAFFFFFE); // b target (addend -8)
  // P + 8 + 0x1FFFFFC is the farthest forward target, P + 8 - 0x2000000
  // the farthest back.
  Reloc(text, RelArmJump24, 0, Define("far", 0x02000008 + 0x1FFFFFC));
  Reloc(text, RelArmJump24, 4, Define("beyond", 0x0200000C + 0x2000000));
  Reloc(text, RelArmJump24, 8, Define("back", 0x02000010 - 0x2000000));
  Reloc(text, RelArmPc24, 12, Define("data", 0x02001000, kSttObject));
  Scan(text);
  ASSERT_EQ(linker.ErrorCount(), 1u);
  EXPECT_NE(linker.diagnostics[0].find("R_ARM_JUMP24 at .text+4"), std::string::npos);
  Apply(text);
  EXPECT_EQ(Word(text, 0), 0xEA7FFFFFu);
  EXPECT_EQ(Word(text, 8), 0xEA800000u);
  EXPECT_EQ(linker.diagnostics[linker.diagnostics.size() - 2],
            "warning: relocation R_ARM_JUMP24 to beyond truncated to fit at .text+4");
  EXPECT_EQ(linker.diagnostics.back(), "warning: relocation R_ARM_PC24 to non-function symbol data at .text+12");
}

// --- Thumb call handling -------------------------------------------------------

TEST_F(ArmRelocationTest, ThumbCallToArmBecomesBlxFromTheWordAlignedPlace) {
  linker.cpuClass = ArmV5T;
  LinkSection &text = Code(0x8000);
  PutThumb(text, 2, 0xF7FF, 0xFFFE); // bl f (addend -4) at a halfword place
  Reloc(text, RelThmCall, 2, Define("f", 0x9000));
  Scan(text);
  EXPECT_EQ(linker.ErrorCount(), 0u);
  Apply(text);
  // BLX lands on Align(0x8002 + 4, 4) + 0xFFC = 0x9000.
  EXPECT_EQ(Half(text, 2), 0xF000u);
  EXPECT_EQ(Half(text, 4), 0xEFFEu);

  linker.cpuClass = ArmV4T;
  Scan(text);
  EXPECT_EQ(linker.ErrorCount(), 1u);
}

TEST_F(ArmRelocationTest, ThumbCallsToArmOnCoresWithoutArmStateAreReportedWithTheTypingHint) {
  linker.cpuClass = ArmV7M;
  LinkSection &text = Code(0x8000);
  PutThumb(text, 0, 0xF7FF, 0xFFFE); // bl arm
  PutThumb(text, 4, 0xF7FF, 0xBFFE); // b.w arm
  PutThumb(text, 8, 0xF7FF, 0xEFFE); // blx thumb
  Symbol *arm = Define("arm", 0x9000);
  Reloc(text, RelThmCall, 0, arm);
  Reloc(text, RelThmJump24, 4, arm);
  Reloc(text, RelThmCall, 8, Define("thumb", 0x9001));
  Apply(text);
  ASSERT_EQ(linker.diagnostics.size(), 6u);
  EXPECT_EQ(linker.diagnostics[0],
            "error: relocation R_ARM_THM_CALL to Arm-mode function not supported on this core, at .text+0 to arm");
  EXPECT_EQ(linker.diagnostics[2],
            "error: relocation R_ARM_THM_CALL to Arm-mode function not supported on this core, at .text+4 to arm");
  EXPECT_EQ(linker.diagnostics[4],
            "error: relocation R_ARM_THM_CALL to Arm-mode function but symbol is Thumb-mode, at .text+8 to thumb");
  EXPECT_NE(linker.diagnostics[1].find("docs/relocations.md"), std::string::npos);
  // The BL is still written as BL (0x9000 - 0x8000 - 4), the B.W is not
  // written, the BLX gets its new offset (0x9001 - 0x8008 - 4, bit 0 clear).
  EXPECT_EQ(Half(text, 0), 0xF000u);
  EXPECT_EQ(Half(text, 2), 0xFFFEu);
  EXPECT_EQ(Half(text, 6), 0xBFFEu);
  EXPECT_EQ(Half(text, 8), 0xF000u);
  EXPECT_EQ(Half(text, 10), 0xEFFAu);

  PutThumb(text, 12, 0xF000, 0x8000); // beq.w: no call at all
  Reloc(text, RelThmJump24, 12, Define("t", 0x9001));
  EXPECT_EQ(FatalMessage([&] { Apply(text); }),
            "error: Thumb veneer requested for opcode 0x8000f000 (not BL and not B) at .text+12 to t");
}

TEST_F(ArmRelocationTest, ThumbBranchesAtTheEndsOfTheirRangeInBothByteOrders) {
  for (bool big : {false, true}) {
    targetBigEndian = big;
    linker.diagnostics.clear();
    linker.cpuClass = ArmV7M;
    LinkSection &text = Code(0x01000000, 12);
    PutThumb(text, 0, 0xF7FF, 0xFFFE); // bl (addend -4)
    PutThumb(text, 4, 0xF7FF, 0xBFFE); // b.w
    PutThumb(text, 8, 0xF7FF, 0xFFFE);
    Reloc(text, RelThmCall, 0, Define("fwd", (0x01000004 + 0xFFFFFE) | 1));
    Reloc(text, RelThmJump24, 4, Define("back", (0x01000008 - 0x1000000) | 1));
    Reloc(text, RelThmCall, 8, Define("beyond", (0x0100000C + 0x1000000) | 1));
    Scan(text);
    ASSERT_EQ(linker.diagnostics.size(), 1u);
    EXPECT_NE(linker.diagnostics[0].find("R_ARM_THM_CALL at .text+8"), std::string::npos);
    Apply(text);
    const uint8_t *bytes = text.Contents();
    // Forward maximum: S=0, I1=I2=1 (J1=J2=0), imm10 and imm11 all ones.
    EXPECT_EQ(Half(text, 0), 0xF3FFu);
    EXPECT_EQ(Half(text, 2), 0xD7FFu);
    EXPECT_EQ(bytes[0], big ? 0xF3 : 0xFF);
    // Backward maximum: S=1, I1=I2=0 (J1=J2=0), the rest zero.
    EXPECT_EQ(Half(text, 4), 0xF400u);
    EXPECT_EQ(Half(text, 6), 0x9000u);
    EXPECT_EQ(linker.diagnostics.back(), "warning: relocation R_ARM_THM_CALL to beyond truncated to fit at .text+8");
  }
}

// --- Undefined weak references ---------------------------------------------------

TEST_F(ArmRelocationTest, CallsToUndefinedWeakFunctionsBecomeNoOperations) {
  LinkSection &text = Code(0x8000);
  PutThumb(text, 0, 0xF7FF, 0xFFFE);
  Put32(text, 4, 0xEBFFFFFE);
  Symbol *weak = Undefined("maybe", kStbWeak);
  Reloc(text, RelThmCall, 0, weak);
  Reloc(text, RelArmCall, 4, weak);

  linker.cpuClass = ArmV7A;
  Scan(text);
  EXPECT_TRUE(linker.referencedUndefinedWeaks.count("maybe"));
  // A Thumb call to it is fine; the Arm one is reported by the scan.
  ASSERT_EQ(linker.diagnostics.size(), 2u);
  EXPECT_EQ(linker.diagnostics[0], "error: Relocation R_ARM_CALL to weak symbol 'maybe' is invalid");
  EXPECT_EQ(linker.diagnostics[1],
            "error: To treat undefined weak symbols as zero, use the command line option --undefined-weak-is-zero");
  Apply(text);
  EXPECT_EQ(Half(text, 0), 0xF3AFu); // NOP.W
  EXPECT_EQ(Half(text, 2), 0x8000u);
  EXPECT_EQ(Word(text, 4), 0xE1A00000u);

  text.relocations.pop_back();
  linker.cpuClass = ArmV6M;
  Apply(text);
  EXPECT_EQ(Half(text, 0), 0x46C0u);
  EXPECT_EQ(Half(text, 2), 0x46C0u);
}

TEST_F(ArmRelocationTest, OtherReferencesToUndefinedWeaksAreErrorsUnlessTreatedAsZero) {
  linker.cpuClass = ArmV7M;
  LinkSection &text = Code(0x8000);
  PutThumb(text, 0, 0xF7FF, 0xBFFE); // b.w maybe
  Put32(text, 4, 0x10);
  Symbol *weak = Undefined("maybe", kStbWeak);
  Reloc(text, RelThmJump24, 0, weak);
  Reloc(text, RelArmAbs32, 4, weak);
  Scan(text);
  EXPECT_EQ(linker.ErrorCount(), 4u);
  EXPECT_EQ(linker.diagnostics[0], "error: Relocation R_ARM_THM_JUMP24 to weak symbol 'maybe' is invalid");

  linker.diagnostics.clear();
  linker.diagnosticCounts = {};
  linker.SetFlag(Flag::UndefinedWeakIsZero);
  Scan(text);
  Apply(text);
  EXPECT_TRUE(linker.diagnostics.empty());
  EXPECT_EQ(Half(text, 0), 0xF3AFu);
  EXPECT_EQ(Word(text, 4), 0x10u);
}

// --- Narrow Thumb branches ----------------------------------------------------------

TEST_F(ArmRelocationTest, NarrowThumbBranchesAtTheEndsOfTheirRange) {
  linker.cpuClass = ArmV6M;
  LinkSection &text = Code(0x10000, 24);
  for (uint32_t offset = 0; offset < 8; offset += 2)
    Put16(text, offset, 0xE7FE); // b (addend -4)
  Put16(text, 8, 0xD0FE);        // beq (addend -4)
  Put16(text, 10, 0xD0FE);
  Put16(text, 12, 0xB3F0);       // cbz r0 (addend -4, i as the sign)
  Put16(text, 14, 0xB3F0);
  PutThumb(text, 16, 0xF43F, 0xAFFE); // beq.w (addend -4)
  PutThumb(text, 20, 0xF43F, 0xAFFE);
  Reloc(text, RelThmJump11, 0, Define("b1", (0x10000 + 4 + 2046) | 1));
  Reloc(text, RelThmJump11, 2, Define("b2", (0x10002 + 4 + 2048) | 1));
  Reloc(text, RelThmJump11, 4, Define("b3", (0x10004 + 4 - 2048) | 1));
  Reloc(text, RelThmJump11, 6, Define("arm", 0x10000));
  Reloc(text, RelThmJump8, 8, Define("c1", (0x10008 + 4 - 256) | 1));
  Reloc(text, RelThmJump8, 10, Define("c2", (0x1000A + 4 + 256) | 1));
  Reloc(text, RelThmJump6, 12, Define("z1", (0x1000C + 4 + 126) | 1));
  Reloc(text, RelThmJump6, 14, Define("z2", (0x1000E + 4 - 2) | 1));
  Reloc(text, RelThmJump19, 16, Define("w1", (0x10010 + 4 + 0xFFFFE) | 1));
  Reloc(text, RelThmJump19, 20, Define("w2", (0x10014 + 4 - 0x100000) | 1));
  Apply(text);
  EXPECT_EQ(Half(text, 0), 0xE3FFu);
  EXPECT_EQ(Half(text, 2), 0xE400u); // truncated: 2048 wraps to -2048
  EXPECT_EQ(Half(text, 4), 0xE400u);
  EXPECT_EQ(Half(text, 8), 0xD080u);
  EXPECT_EQ(Half(text, 12), 0xB3F8u); // cbz with i = 1, imm5 = 31
  EXPECT_EQ(Half(text, 18), 0xAFFFu); // S=0, imm6 = 0x3F, J1 = J2 = 1, imm11 all ones
  EXPECT_EQ(Half(text, 16), 0xF03Fu);
  EXPECT_EQ(Half(text, 20), 0xF400u); // S=1, the rest zero
  EXPECT_EQ(Half(text, 22), 0x8000u);
  std::vector<std::string> expected = {
      "warning: relocation R_ARM_THM_JUMP11 to b2 truncated to fit at .text+2",
      "error: non-veneerable relocation R_ARM_THM_JUMP11 from Thumb to Arm-mode function, at .text+6 to arm",
      "warning: relocation R_ARM_THM_JUMP8 to c2 truncated to fit at .text+10",
      "warning: relocation R_ARM_THM_JUMP6 to z2 truncated to fit at .text+14",
  };
  EXPECT_EQ(linker.diagnostics, expected);
}

// --- Other instructions and data --------------------------------------------------

TEST_F(ArmRelocationTest, AluPcImmediatesAreRotatedOrReported) {
  linker.cpuClass = ArmV7A;
  LinkSection &text = Code(0x8000, 16);
  Put32(text, 0, 0xE28F0000); // add r0, pc, #0
  Put32(text, 4, 0xE28F1000);
  Put32(text, 8, 0xE28F2000);
  Put32(text, 12, 0xE2810000); // add r0, r1, #0
  Reloc(text, RelArmAluPcG0, 0, Define("a", 0x8104));
  Reloc(text, RelArmAluPcG0, 4, Define("b", 0x8105));
  Reloc(text, RelArmAluPcG0, 8, Define("c", 0x7F08));
  Reloc(text, RelArmAluPcG0, 12, &symbols.front());
  Apply(text);
  EXPECT_EQ(Word(text, 0), 0xE28F0F41u); // imm8 0x41, rotation field 15
  EXPECT_EQ(Word(text, 4), 0xE28F1000u); // 0x101 has no encoding
  EXPECT_EQ(Word(text, 8), 0xE24F2C01u); // sub r2, pc, #0x100
  std::vector<std::string> expected = {
      "error: ARM_R_ARM_ALU_PC_G relocation cannot be encoded",
      "error: ARM_R_ARM_ALU_PC_G not applied to an ADD or SUB instruction",
  };
  EXPECT_EQ(linker.diagnostics, expected);
}

TEST_F(ArmRelocationTest, DataWordsAndMovesTakeTheirInPlaceAddends) {
  linker.cpuClass = ArmV7A;
  linker.tlsStart = 0x20000000;
  LinkSection &text = Code(0x8000, 48);
  Symbol *data = Define("data", 0x12345678, kSttObject);
  Put32(text, 0, 4);
  Reloc(text, RelArmAbs32, 0, data);
  Put32(text, 4, 0xFFFFFFFC);
  Reloc(text, RelArmRel32, 4, data);
  Put32(text, 8, 0xE30F1FFF); // movw r1, #:lower16:data - 1
  Reloc(text, RelArmMovwAbsNc, 8, data);
  Put32(text, 12, 0xE3402000); // movt r2, #:upper16:data
  Reloc(text, RelArmMovtAbs, 12, data, 0x8000);
  PutThumb(text, 16, 0xF640, 0x0100); // movw r1, #0x800
  Reloc(text, RelThmMovwAbsNc, 16, data);
  PutThumb(text, 20, 0xF2C0, 0x0200); // movt r2, #0
  Reloc(text, RelThmMovtAbs, 20, data);
  Put32(text, 24, 0);
  Reloc(text, RelTlsLe32, 24, Define("tls", 0x20000010, kSttTls));
  Put32(text, 28, 0);
  Reloc(text, RelArmPrel31, 28, Define("p1", 0x8000 + 28 + 0x3FFFFFFF));
  Put32(text, 32, 0);
  Reloc(text, RelArmPrel31, 32, Define("p2", 0x8000 + 32 + 0x40000000));
  Apply(text);
  EXPECT_EQ(Word(text, 0), 0x1234567Cu);
  EXPECT_EQ(Word(text, 4), 0x12345678u - 4 - 0x8004);
  EXPECT_EQ(Word(text, 8), 0xE3051677u); // 0x5678 - 1
  EXPECT_EQ(Word(text, 12), 0xE3412234u);
  EXPECT_EQ(Half(text, 16), 0xF645u); // 0x5678 + 0x800 = 0x5E78
  EXPECT_EQ(Half(text, 18), 0x6178u);
  EXPECT_EQ(Half(text, 20), 0xF2C1u); // 0x1234
  EXPECT_EQ(Half(text, 22), 0x2234u);
  EXPECT_EQ(Word(text, 24), 0x18u);
  EXPECT_EQ(Word(text, 28), 0x3FFFFFFFu);
  EXPECT_EQ(Word(text, 32), 0x40000000u);
  std::vector<std::string> expected = {"warning: relocation R_ARM_PREL31 to p2 truncated to fit at .text+32"};
  EXPECT_EQ(linker.diagnostics, expected);
}

TEST_F(ArmRelocationTest, LiteralLoadsCountFromTheWordAlignedPlace) {
  linker.cpuClass = ArmV7A;
  LinkSection &text = Code(0x8002, 16);
  Put16(text, 0, 0x4CFF); // ldr r4, [pc, #-4] as the in-place addend
  Put16(text, 2, 0x4CFF);
  PutThumb(text, 4, 0xF85F, 0x3004); // ldr.w r3, [pc, #-4]
  PutThumb(text, 8, 0xF85F, 0x3004);
  Put32(text, 12, 0xE51F3008); // ldr r3, [pc, #-8]
  Reloc(text, RelThmPc8, 0, Define("l1", 0x8000 + 4 + 1020));
  Reloc(text, RelThmPc8, 2, Define("l2", 0x8004 + 2));
  Reloc(text, RelThmPc12, 4, Define("l3", 0x8004 + 4 - 4094));
  Reloc(text, RelThmPc12, 8, Define("l4", 0x8008 + 4 + 4096));
  Reloc(text, RelArmLdrPcG0, 12, Define("l5", 0x800E + 8 + 0x10));
  Apply(text);
  EXPECT_EQ(Half(text, 0), 0x4CFFu); // (0x8400 - 4 - 0x8000) / 4 = 255
  EXPECT_EQ(Half(text, 6), 0x3FFEu);  // U clear, imm12 4094 (bit 0 of the result is cleared)
  EXPECT_EQ(Half(text, 4), 0xF85Fu);
  EXPECT_EQ(Word(text, 12), 0xE59F3010u);
  std::vector<std::string> expected = {
      "warning: relocation R_ARM_THM_PC8 to l2 truncated to fit at .text+2",
      "warning: relocation R_ARM_THM_PC12 to l4 truncated to fit at .text+8",
  };
  EXPECT_EQ(linker.diagnostics, expected);
}

// --- Passes and reports --------------------------------------------------------------

TEST_F(ArmRelocationTest, EveryPassStartsFromThePristineContents) {
  linker.cpuClass = ArmV7M;
  LinkSection &text = Code(0x8000);
  Put32(text, 0, 4);
  PutThumb(text, 4, 0xF7FF, 0xFFFE);
  Reloc(text, RelArmAbs32, 0, Define("data", 0x100, kSttObject));
  Reloc(text, RelThmCall, 4, Define("f", 0x9001));
  Apply(text);
  std::vector<uint8_t> first(text.Contents(), text.Contents() + text.Size());
  Scan(text);
  Apply(text);
  EXPECT_EQ(std::vector<uint8_t>(text.Contents(), text.Contents() + text.Size()), first);
  EXPECT_EQ(Word(text, 0), 0x104u);

  // A new layout relocates from the unrelocated bytes too.
  text.Unmap();
  text.Map(0x8100);
  Apply(text);
  EXPECT_EQ(Half(text, 6), 0xFF7Cu); // 0x9001 - 0x8104 - 4 = 0xEF8 (bit 0 clear)
}

TEST_F(ArmRelocationTest, UnsupportedTypesAreReportedByEveryApplicationPass) {
  LinkSection &text = Code(0x8000);
  Reloc(text, 39, 4, Define("x", 0x100));
  Reloc(text, RelArmNone, 8, &symbols.front());
  Reloc(text, RelArmV4bx, 8, &symbols.front());
  Scan(text);
  EXPECT_TRUE(linker.diagnostics.empty());
  Apply(text);
  Apply(text);
  EXPECT_EQ(linker.ErrorCount(), 2u);
  EXPECT_EQ(linker.diagnostics[1],
            "error: cannot handle relocation unknown (39) in file obj.o section .text+4 [source address 00008004]");
  EXPECT_EQ(Word(text, 8), 0u);
}

TEST_F(ArmRelocationTest, VeneerLiteralsKeepOrGainTheThumbBit) {
  LinkSection &text = Code(0x8000);
  Reloc(text, RelThmVeneerAbs32, 0, Define("thumb", 0x9001));
  Reloc(text, RelThmVeneerAbs32, 4, Define("untyped", 0x9100));
  linker.cpuClass = ArmV7A;
  Apply(text);
  EXPECT_EQ(Word(text, 4), 0x9100u);
  EXPECT_TRUE(linker.diagnostics.empty());
  linker.cpuClass = ArmV7M;
  Apply(text);
  EXPECT_EQ(Word(text, 0), 0x9001u);
  EXPECT_EQ(Word(text, 4), 0x9101u);
  std::vector<std::string> expected = {
      "warning: call from .text made to untyped but untyped is a symbol without the low bit set"};
  EXPECT_EQ(linker.diagnostics, expected);
}

TEST_F(ArmRelocationTest, RecordsPastTheEndOfTheSectionAreFatal) {
  LinkSection &text = Code(0x8000, 6);
  Reloc(text, RelArmAbs32, 4, Define("x", 0x100));
  EXPECT_EQ(FatalMessage([&] { Apply(text); }),
            "error: relocation R_ARM_ABS32 at .text+4 in file obj.o runs past the end of the section (6 bytes)");
}

} // namespace
} // namespace tanrek
