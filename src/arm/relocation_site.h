// One relocation record while it is scanned or applied, and what the type
// handlers, the call handling and the veneer construction share: the
// messages about a site and the two veneer requests.
#pragma once

#include "arm/arm_linker.h"
#include "arm/relocation_types.h"
#include "arm/veneers.h"
#include "symbols/symbol_table.h"

#include <cstdint>

namespace tanrek {

// `value` is S + A: the target's address, with the Thumb bit of a Thumb
// function, plus the record's addend (in-place addends are read by each
// type from `data`). `place` is 0 while the section has no address.
struct RelocationSite : RelocationTarget {
  // The symbol the record names, before resolution: messages about the
  // site use its name.
  Symbol *recordSymbol = nullptr;

  uint32_t Type() const { return relocation->type; }
  uint32_t Offset() const { return relocation->offset; }
  // A target without the Thumb bit is taken to be Arm code.
  bool ArmTarget() const { return (value & 1) == 0; }
};

// What the call handling tells the veneer scan about a branch.
enum class CallAnswer { NoVeneer, VeneerNeeded };

// The handling of R_ARM_PC24, R_ARM_CALL and R_ARM_JUMP24, and of
// R_ARM_THM_CALL and R_ARM_THM_JUMP24. With `check` (the veneer scan) they
// only answer; otherwise they write the branch and answer as well.
CallAnswer ArmCall(ArmLinker &linker, RelocationSite &site, bool check);
CallAnswer ThumbCall(ArmLinker &linker, RelocationSite &site, bool check);

// The veneer construction's entry points, called by the veneer scan for a
// branch that needs a veneer; `tables` are the veneers made in the site's
// section during this scan.
void RequestArmVeneer(ArmLinker &linker, RelocationSite &site, VeneerTables &tables);
void RequestThumbVeneer(ArmLinker &linker, RelocationSite &site, VeneerTables &tables);

// Messages about a site.
void WarnTruncated(ArmLinker &linker, const RelocationSite &site);
void WarnNonFunction(ArmLinker &linker, const RelocationSite &site);
// The name of the symbol the record names, as messages show it.
std::string RecordSymbolName(ArmLinker &linker, const RelocationSite &site);
// The target's name: its symbol's, or its section's for a section symbol.
std::string TargetName(ArmLinker &linker, const RelocationSite &site);

inline bool IsFunction(const Symbol *symbol) { return symbol && symbol->Type() == kSttFunc; }

} // namespace tanrek
