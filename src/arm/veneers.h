// Veneers: the short pieces of code the linker appends to a section when
// one of its branches cannot reach its target, or must change between Arm
// and Thumb state and the instruction cannot do so itself.
//
// A veneer lives in the calling section, after its original contents, and
// the branch is rewritten to reach it. Branch and veneer then move
// together, so the rewritten branch needs no relocation; the branch's
// relocation record moves to the veneer's literal word instead, which
// holds the target's address.
#pragma once

#include "input/relocation.h"
#include "placement/locatable.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace tanrek {

class ArmLinker;
struct RelocationSite;
struct Symbol;

// Why a veneer was made. The values are fixed: reports list the reasons
// in the order 3, 2, 1, 0.
enum VeneerReason : uint32_t {
  ReasonThumbToArm = 0,
  ReasonArmToThumb = 1,
  ReasonThumbRange = 2,
  ReasonArmRange = 3,
  kVeneerReasonCount = 4,
};

// "Thumb-Arm mode switch" ...; "Unknown reason" for other values.
const char *VeneerReasonText(uint32_t reason);
// "TA", "AT", "TT", "AA"; "??" for other values.
const char *VeneerReasonCode(uint32_t reason);

// The code sequences a veneer can be made of.
enum VeneerKind : uint32_t {
  A32_LDR = 0,    // LDR pc, [pc, #-4]; literal
  A32_LDR_BX = 1, // LDR ip, [pc, #0]; BX ip; literal
  T32_LDR = 2,    // LDR.W pc, [pc, #0]; literal
  T32_LDR_BX = 3, // LDR.W ip, [pc, #4]; BX ip; NOP; literal
  T16_LDR_BX = 4, // PUSH {r3}; LDR r3, [pc, #8]; MOV ip, r3; POP {r3}; BX ip; NOP; literal
  kVeneerKindCount = 5,
};

// One branch that was sent to a veneer: the record as it was before the
// branch was retargeted, where the branch is, and the size of the veneer
// made for it (0 when an existing one was reused).
struct VeneerUse {
  Relocation record;
  LinkSection *section = nullptr;
  uint32_t place = 0;
  uint32_t value = 0;
  bool unresolved = false;
  bool undefinedWeak = false;
  uint32_t size = 0;
};

// Every veneer use of the link, by reason and then by target symbol, and
// the bytes of veneer code per reason: what the map lists.
struct VeneerList {
  std::array<std::map<Symbol *, std::vector<VeneerUse>, BySerial>, kVeneerReasonCount> uses;
  std::array<uint32_t, kVeneerReasonCount> bytes = {};
};

// The veneers made in one section during one scan, per kind: a later
// branch of the same section to the same target reuses its veneer. The key
// is the target symbol's serial and the literal's final value, so that two
// branches against one section symbol with different addends do not share.
struct VeneerTables {
  std::array<std::map<std::pair<uint32_t, uint32_t>, uint32_t>, kVeneerKindCount> offsets;
};

} // namespace tanrek
