// The relocation type numbers the Arm back-end handles, named after the
// ELF for the Arm Architecture types (R_ARM_CALL is RelArmCall). The
// glibc <elf.h> macros are not used: some of its names differ from the ones
// this linker prints, and macros would collide with these names.
#pragma once

#include <cstdint>

namespace tanrek {

enum ArmRelocationType : uint32_t {
  RelArmNone = 0,
  RelArmPc24 = 1,
  RelArmAbs32 = 2,
  RelArmRel32 = 3,
  RelArmLdrPcG0 = 4,
  RelThmCall = 10,
  RelThmPc8 = 11,
  RelArmCall = 28,
  RelArmJump24 = 29,
  RelThmJump24 = 30,
  RelArmTarget1 = 38,
  RelArmV4bx = 40,
  RelArmTarget2 = 41,
  RelArmPrel31 = 42,
  RelArmMovwAbsNc = 43,
  RelArmMovtAbs = 44,
  RelThmMovwAbsNc = 47,
  RelThmMovtAbs = 48,
  RelThmJump19 = 51,
  RelThmJump6 = 52,
  RelThmPc12 = 54,
  RelArmAluPcG0 = 58,
  RelThmJump11 = 102,
  RelThmJump8 = 103,
  RelTlsLdo32 = 106,
  RelTlsLe32 = 108,
  // The linker's own type for the literal word of a veneer.
  RelThmVeneerAbs32 = 126,
};

} // namespace tanrek
