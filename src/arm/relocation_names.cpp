// The printed names of the relocation types the Arm back-end handles, the
// classification of relocation types and mapping symbols, and the sizes of
// the start-up routines.
#include "arm/arm_linker.h"
#include "arm/relocation_types.h"

#include "driver/format.h"

namespace tanrek {

std::string ArmLinker::RelocationName(uint32_t type) const {
  switch (type) {
  case RelArmNone: return "R_ARM_NONE";
  case RelArmPc24: return "R_ARM_PC24";
  case RelArmAbs32: return "R_ARM_ABS32";
  case RelArmRel32: return "R_ARM_REL32";
  case RelArmLdrPcG0: return "R_ARM_LDR_PC_G0";
  case RelThmCall: return "R_ARM_THM_CALL";
  case RelThmPc8: return "R_ARM_THM_PC8";
  case RelArmCall: return "R_ARM_CALL";
  case RelArmJump24: return "R_ARM_JUMP24";
  case RelThmJump24: return "R_ARM_THM_JUMP24";
  case RelArmTarget1: return "R_ARM_TARGET1";
  case RelArmV4bx: return "R_ARM_V4BX";
  case RelArmTarget2: return "R_ARM_TARGET2";
  case RelArmPrel31: return "R_ARM_PREL31";
  case RelArmMovwAbsNc: return "R_ARM_MOVW_ABS_NC";
  case RelArmMovtAbs: return "R_ARM_MOVT_ABS";
  case RelThmMovwAbsNc: return "R_ARM_THM_MOVW_ABS_NC";
  case RelThmMovtAbs: return "R_ARM_THM_MOVT_ABS";
  case RelThmJump19: return "R_ARM_THM_JUMP19";
  case RelThmJump6: return "R_ARM_THM_JUMP6";
  case RelThmPc12: return "R_ARM_THM_PC12";
  case RelArmAluPcG0: return "R_ARM_ALU_PC_G0";
  case RelThmJump11: return "R_ARM_THM_JUMP11";
  case RelThmJump8: return "R_ARM_THM_JUMP8";
  case RelTlsLdo32: return "R_ARM_TLS_LDO32";
  case RelTlsLe32: return "R_ARM_TLS_LE32";
  case RelThmVeneerAbs32: return "R_THM_VENEER_ABS32";
  default: return Format("unknown (%d)", int(type));
  }
}

// R_ARM_NONE and R_ARM_V4BX refer to no symbol and change nothing.
bool ArmLinker::IsRelocationApplied(uint32_t type) const { return type != RelArmNone && type != RelArmV4bx; }

bool ArmLinker::IsCallRelocation(uint32_t type) const { return type == RelThmCall || type == RelArmCall; }

// The code sizes of the start-up routines, by packing method index.
uint32_t ArmLinker::InitRoutineCodeSize(uint32_t method) const {
  static const uint32_t kSizes[] = {26, 74, 52, 40, 22};
  return method < 5 ? kSizes[method] : 0;
}

// "$a", "$t" and "$d", alone or followed by a full stop and more.
uint32_t ArmLinker::ClassifyMappingSymbol(std::string_view name) const {
  if (name.size() < 2 || name[0] != '$' || (name.size() > 2 && name[2] != '.'))
    return 0;
  switch (name[1]) {
  case 'a': return 2;
  case 't': return 3;
  case 'd': return 1;
  default: return 0;
  }
}

} // namespace tanrek
