// Arm and Thumb call handling: the branch relocations that may change
// instruction set state or need a veneer. One routine per instruction set
// serves both the veneer scan (`check`: decide, write nothing) and the
// application (write the branch).
//
// The state of the target is bit 0 of S + A: a Thumb function's address
// carries it, anything else is taken to be Arm code. So a Thumb routine
// that is not typed as a function (no .thumb_func or %function) looks like
// Arm code; on cores without Arm state that is reported, with a pointer to
// the documentation, instead of silently switching to a state the core
// does not have.
//
// Interworking decisions: an Arm BL to Thumb code becomes BLX where the
// core has it; a Thumb BL to Arm code becomes BLX likewise, with its offset
// taken from the word-aligned place because BLX lands on a word. Any other
// state change (B, conditional BL, B.W, a core without BLX) needs a veneer.
#include "arm/encoding.h"
#include "arm/relocation_site.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"

#include <optional>

namespace tanrek {

namespace {

constexpr uint32_t kArmNop = 0xE1A00000;       // MOV r0, r0
constexpr uint32_t kThumbNopPair = 0x46C046C0; // MOV r8, r8; MOV r8, r8
constexpr uint32_t kThumbNopW = 0x8000F3AF;    // NOP.W (first halfword 0xF3AF)

constexpr uint32_t kThumbBl = 0xD000;  // second halfword 11x1
constexpr uint32_t kThumbBlx = 0xC000; // second halfword 11x0
constexpr uint32_t kThumbBW = 0x9000;  // second halfword 10x1

// `problem` is "not supported on this core" or "but symbol is Thumb-mode".
void ReportThumbTyping(ArmLinker &linker, const RelocationSite &site, const char *problem) {
  Error(linker, "relocation R_ARM_THM_CALL to Arm-mode function %s, at %s+%u to %s", problem,
        site.section->DisplayName().c_str(), site.Offset(), TargetName(linker, site).c_str());
  Error(linker, "Thumb functions must be typed as functions (.type name, %%function, or .thumb_func) so that "
                "their addresses carry the Thumb bit: see docs/relocations.md");
}

// An Arm-state target: B, BL and B<c> keep their opcode; a BLX, which
// would switch to Thumb, becomes BL.
CallAnswer ArmCallToArm(ArmLinker &linker, RelocationSite &site, uint32_t insn, bool check) {
  bool blx = (insn & 0xFE000000) == 0xFA000000;
  int32_t addend = blx ? ArmBlx::Decode(insn) : ArmBranch24::Decode(insn);
  int32_t offset = int32_t((site.value - site.place + uint32_t(addend)) & ~1u);
  if (!Fits<ArmBranch24>(offset)) {
    if (check)
      return CallAnswer::VeneerNeeded;
    WarnTruncated(linker, site);
  }
  if (!check)
    WriteU32(site.data, ArmBranch24::Encode(blx ? 0xEB000000 : insn, offset));
  return CallAnswer::NoVeneer;
}

// A BLX written with `offset`, whose bit 1 is the H bit.
CallAnswer WriteArmBlx(ArmLinker &linker, RelocationSite &site, uint32_t blx, int32_t offset, bool check) {
  if (!Fits<ArmBlx>(offset)) {
    if (check)
      return CallAnswer::VeneerNeeded;
    WarnTruncated(linker, site);
  }
  if (!check)
    WriteU32(site.data, ArmBlx::Encode(blx, offset));
  return CallAnswer::NoVeneer;
}

CallAnswer ArmCallToThumb(ArmLinker &linker, RelocationSite &site, uint32_t insn, bool check) {
  uint32_t distance = site.value - site.place;
  if ((insn & 0xFE000000) == 0xFA000000)
    return WriteArmBlx(linker, site, insn, int32_t((distance + uint32_t(ArmBlx::Decode(insn))) & ~1u), check);
  bool branch = (insn & 0x0E000000) == 0x0A000000; // B or BL, any condition
  if (!branch) {
    Warning(linker, "relocation R_ARM_CALL applied to opcode 0x%08X (neither BL nor BLX) to symbol at %s", insn,
            TargetName(linker, site).c_str());
    return CallAnswer::NoVeneer;
  }
  if ((insn >> 24) != 0xEB || !HasBlx(linker.cpuClass))
    return CallAnswer::VeneerNeeded;
  int32_t offset = int32_t((distance + uint32_t(ArmBranch24::Decode(insn))) & ~1u);
  return WriteArmBlx(linker, site, (insn & 0x0E000000) | 0xF0000000, offset, check);
}

// ARMv4T and ARMv5T run a 32-bit Thumb BL as two 16-bit halves whose J1
// and J2 bits must be 1: their reach is 4 MiB each way, not the 16 MiB
// of the later encodings. A farther branch is given a veneer rather than
// encoded with bits those cores would read as something else.
bool ThumbBranchFits(ArmLinker &linker, int32_t offset) {
  if (linker.cpuClass == ArmV4T || linker.cpuClass == ArmV5T)
    return offset >= -0x400000 && offset <= 0x3FFFFE;
  return Fits<ThumbBranch24>(offset);
}

} // namespace

CallAnswer ArmCall(ArmLinker &linker, RelocationSite &site, bool check) {
  if (!HasArmState(linker.cpuClass))
    Fatal(linker, "cannot handle relocation R_ARM_CALL in file %s %s (core mismatch)",
          site.section->InputName().c_str(), site.section->Describe().c_str());
  if (site.undefinedWeak) {
    if (!check)
      WriteU32(site.data, kArmNop);
    return CallAnswer::NoVeneer;
  }
  if (site.unresolved)
    return CallAnswer::VeneerNeeded;
  if (!IsFunction(site.symbol))
    WarnNonFunction(linker, site);
  uint32_t insn = ReadU32(site.data);
  return site.ArmTarget() ? ArmCallToArm(linker, site, insn, check) : ArmCallToThumb(linker, site, insn, check);
}

CallAnswer ThumbCall(ArmLinker &linker, RelocationSite &site, bool check) {
  if (site.undefinedWeak) {
    if (!check)
      WriteThumb32(site.data, HasThumb2(linker.cpuClass) ? kThumbNopW : kThumbNopPair);
    return CallAnswer::NoVeneer;
  }
  uint32_t insn = ReadThumb32(site.data);
  bool armTarget = site.ArmTarget();
  uint32_t base = armTarget ? site.place & ~3u : site.place;
  int32_t offset = int32_t((site.value + uint32_t(ThumbBranch24::Decode(insn)) - base) & ~1u);
  if (site.unresolved)
    return CallAnswer::VeneerNeeded;
  if (!ThumbBranchFits(linker, offset)) {
    if (check)
      return CallAnswer::VeneerNeeded;
    WarnTruncated(linker, site);
  }
  if (!IsFunction(site.symbol))
    WarnNonFunction(linker, site);

  bool armState = HasArmState(linker.cpuClass);
  std::optional<uint32_t> written;
  CallAnswer answer = CallAnswer::NoVeneer;
  switch ((insn >> 16) & 0xD000) {
  case kThumbBW:
    if (!armTarget)
      written = ThumbBranch24::Encode(insn & 0xD000F800, offset);
    else if (armState)
      answer = CallAnswer::VeneerNeeded;
    else
      ReportThumbTyping(linker, site, "not supported on this core");
    break;
  case kThumbBl:
    if (!armTarget) {
      written = ThumbBranch24::Encode(insn, offset);
    } else if (armState && HasBlx(linker.cpuClass)) {
      written = ThumbBranch24::Encode(insn & ~0x10000000u, offset); // bit 12 of the second halfword
    } else if (armState) {
      answer = CallAnswer::VeneerNeeded;
    } else {
      ReportThumbTyping(linker, site, "not supported on this core");
      written = ThumbBranch24::Encode(insn, offset);
    }
    break;
  case kThumbBlx:
    if (!armTarget)
      ReportThumbTyping(linker, site, "but symbol is Thumb-mode");
    written = ThumbBranch24::Encode(insn, offset);
    break;
  default:
    Fatal(linker, "Thumb veneer requested for opcode 0x%08x (not BL and not B) at %s+%u to %s", insn,
          site.section->DisplayName().c_str(), site.Offset(), TargetName(linker, site).c_str());
  }
  if (!check && written)
    WriteThumb32(site.data, *written);
  return answer;
}

} // namespace tanrek
