// The printed names of the relocation types the Arm back-end handles, the
// classification of relocation types and mapping symbols, and the sizes of
// the start-up routines.
#include "arm/arm_linker.h"
#include "arm/relocation_types.h"

#include "driver/format.h"

namespace tanrek {

std::string ArmLinker::RelocationName(uint32_t type) const {
  switch (type) {
  case 0: return "R_ARM_NONE";
  case 1: return "R_ARM_PC24";
  case 2: return "R_ARM_ABS32";
  case 3: return "R_ARM_REL32";
  case 4: return "R_ARM_LDR_PC_G0";
  case 10: return "R_ARM_THM_CALL";
  case 11: return "R_ARM_THM_PC8";
  case 28: return "R_ARM_CALL";
  case 29: return "R_ARM_JUMP24";
  case 30: return "R_ARM_THM_JUMP24";
  case 38: return "R_ARM_TARGET1";
  case 40: return "R_ARM_V4BX";
  case 41: return "R_ARM_TARGET2";
  case 42: return "R_ARM_PREL31";
  case 43: return "R_ARM_MOVW_ABS_NC";
  case 44: return "R_ARM_MOVT_ABS";
  case 47: return "R_ARM_THM_MOVW_ABS_NC";
  case 48: return "R_ARM_THM_MOVT_ABS";
  case 51: return "R_ARM_THM_JUMP19";
  case 52: return "R_ARM_THM_JUMP6";
  case 54: return "R_ARM_THM_PC12";
  case 58: return "R_ARM_ALU_PC_G0";
  case 102: return "R_ARM_THM_JUMP11";
  case 103: return "R_ARM_THM_JUMP8";
  case 106: return "R_ARM_TLS_LDO32";
  case 108: return "R_ARM_TLS_LE32";
  case 126: return "R_THM_VENEER_ABS32";
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
