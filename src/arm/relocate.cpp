// Relocation of placed sections, in its two modes: the veneer scan, which
// only asks which branches need veneers, and the application, which writes
// the relocated contents.
//
// Every pass starts by copying the pristine contents (the file's bytes, or
// the replacement that veneers extend) into the working copy, so a pass
// never sees bytes an earlier pass relocated: REL addends live in the
// contents and would otherwise be counted twice, and each pass gives the
// same bytes for the same layout.
//
// The application of each type follows one pattern: read the in-place
// addend from the field, compute the result from the place P and S + A,
// check that the field holds it (a truncation warning otherwise, and the
// truncated bits are written anyway), write the field.
#include "arm/encoding.h"
#include "arm/relocation_site.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "input/input_file.h"
#include "symbols/symbol.h"

#include <algorithm>
#include <cstring>

namespace tanrek {

namespace {

// The bytes a type reads and writes at the record's offset; 0 for types
// this back-end does not handle.
uint32_t FieldSize(uint32_t type) {
  switch (type) {
  case RelThmPc8:
  case RelThmJump6:
  case RelThmJump11:
  case RelThmJump8:
    return 2;
  case RelArmPc24: case RelArmAbs32: case RelArmRel32: case RelArmLdrPcG0: case RelThmCall:
  case RelArmCall: case RelArmJump24: case RelThmJump24: case RelArmTarget1: case RelArmTarget2:
  case RelArmPrel31: case RelArmMovwAbsNc: case RelArmMovtAbs: case RelThmMovwAbsNc: case RelThmMovtAbs:
  case RelThmJump19: case RelThmPc12: case RelArmAluPcG0: case RelTlsLdo32: case RelTlsLe32:
  case RelThmVeneerAbs32:
    return 4;
  default:
    return 0;
  }
}

// The working copy made afresh from the pristine contents.
void RestorePristineContents(LinkSection &section) {
  const uint8_t *pristine = section.PristineContents();
  size_t available = section.hasReplacement ? section.replacementContents.size() : section.Size();
  section.workingCopy.assign(section.Size(), 0);
  if (pristine && section.sh_type != kShtNobits)
    std::memcpy(section.workingCopy.data(), pristine, std::min<size_t>(available, section.Size()));
  section.hasWorkingCopy = true;
}

RelocationSite MakeSite(ArmLinker &linker, LinkSection &section, Relocation &record) {
  RelocationSite site;
  site.relocation = &record;
  site.section = &section;
  uint64_t end = uint64_t(record.offset) + FieldSize(record.type);
  if (end > section.Size())
    Fatal(linker, "relocation %s at %s+%u in file %s runs past the end of the section (%u bytes)",
          linker.RelocationName(record.type).c_str(), section.DisplayName().c_str(), record.offset,
          section.InputName().c_str(), section.Size());
  site.place = section.IsMapped() ? section.Address() + record.offset : 0;
  site.data = section.workingCopy.data() + record.offset;
  site.recordSymbol = RelocationSymbol(section, record);
  ResolveTarget(linker, site);
  return site;
}

// --- The veneer scan -------------------------------------------------------

void ScanSite(ArmLinker &linker, RelocationSite &site, VeneerTables &tables) {
  uint32_t type = site.Type();
  if (site.undefinedWeak) {
    linker.referencedUndefinedWeaks.insert(std::string(site.symbol->name));
    if (type != RelThmCall && !linker.TestFlag(Flag::UndefinedWeakIsZero)) {
      Error(linker, "Relocation %s to weak symbol '%s' is invalid", linker.RelocationName(type).c_str(),
            RecordSymbolName(linker, site).c_str());
      Error(linker, "To treat undefined weak symbols as zero, use the command line option "
                    "--undefined-weak-is-zero");
    }
    return;
  }
  switch (type) {
  case RelArmPc24:
  case RelArmCall:
  case RelArmJump24:
    if (ArmCall(linker, site, true) == CallAnswer::VeneerNeeded && !site.unresolved)
      RequestArmVeneer(linker, site, tables);
    return;
  case RelThmCall:
  case RelThmJump24:
    if (ThumbCall(linker, site, true) == CallAnswer::VeneerNeeded && !site.unresolved)
      RequestThumbVeneer(linker, site, tables);
    return;
  default:
    return;
  }
}

// --- The application ---------------------------------------------------------

// Encodes `value` into the field of `insn`, warning when it does not fit.
template <typename Field>
uint32_t EncodeChecked(ArmLinker &linker, const RelocationSite &site, uint32_t insn, int32_t value) {
  if (!Fits<Field>(value))
    WarnTruncated(linker, site);
  return Field::Encode(insn, value);
}

// Narrow Thumb branches cannot change state and get no veneers; a branch
// to Arm code is reported and written all the same. A target that does not
// exist has been reported already.
void CheckNarrowBranchTarget(ArmLinker &linker, const RelocationSite &site) {
  if (!site.ArmTarget() || site.unresolved || site.undefinedWeak)
    return;
  Error(linker, "non-veneerable relocation %s from Thumb to Arm-mode function, at %s+%u to %s",
        linker.RelocationName(site.Type()).c_str(), site.section->DisplayName().c_str(), site.Offset(),
        RecordSymbolName(linker, site).c_str());
}

// ADD/SUB Rd, PC, #imm: the sign of the result chooses the opcode.
void ApplyAluPc(ArmLinker &linker, const RelocationSite &site) {
  uint32_t insn = ReadU32(site.data);
  if (!ArmAluPc::IsAddOrSubPc(insn)) {
    Error(linker, "ARM_R_ARM_ALU_PC_G not applied to an ADD or SUB instruction");
    return;
  }
  int32_t result = int32_t(uint32_t(ArmAluPc::Decode(insn)) + site.value - site.place);
  std::optional<uint32_t> encoded = ArmAluPc::Encode(insn, result);
  if (!encoded) {
    Error(linker, "ARM_R_ARM_ALU_PC_G relocation cannot be encoded");
    return;
  }
  WriteU32(site.data, *encoded);
}

// The literal of a veneer: a target without the Thumb bit on a core that
// cannot run Arm code must be a Thumb function typed wrongly, so the bit is
// set rather than let the veneer switch to a state the core lacks.
void ApplyVeneerLiteral(ArmLinker &linker, const RelocationSite &site) {
  uint32_t word = ReadU32(site.data) + site.value;
  if ((site.value & 1) == 0 && !HasArmState(linker.cpuClass)) {
    word |= 1;
    std::string name = TargetName(linker, site);
    Warning(linker, "call from %s made to %s but %s is a symbol without the low bit set",
            site.section->DisplayName().c_str(), name.c_str(), name.c_str());
  }
  WriteU32(site.data, word);
}

void ApplyMove(const RelocationSite &site, bool thumb, bool top) {
  uint32_t insn = thumb ? ReadThumb32(site.data) : ReadU32(site.data);
  int32_t addend = SignExtend(uint32_t(thumb ? ThumbMovImm16::Decode(insn) : ArmMovImm16::Decode(insn)), 16);
  uint32_t result = site.value + uint32_t(addend);
  int32_t imm16 = int32_t(top ? result >> 16 : result & 0xFFFF);
  if (thumb)
    WriteThumb32(site.data, ThumbMovImm16::Encode(insn, imm16));
  else
    WriteU32(site.data, ArmMovImm16::Encode(insn, imm16));
}

// A 16-bit Thumb branch: offset = (addend + S + A - P) with bit 0 clear.
template <typename Field> void ApplyThumbBranch16(ArmLinker &linker, const RelocationSite &site) {
  uint32_t insn = ReadU16(site.data);
  int32_t offset = int32_t((uint32_t(Field::Decode(insn)) + site.value - site.place) & ~1u);
  CheckNarrowBranchTarget(linker, site);
  WriteU16(site.data, uint16_t(EncodeChecked<Field>(linker, site, insn, offset)));
}

void ApplyCompareBranch(ArmLinker &linker, const RelocationSite &site) {
  uint32_t insn = ReadU16(site.data);
  uint32_t result = uint32_t(ThumbCompareBranch::DecodeAddend(insn)) + site.value - site.place;
  CheckNarrowBranchTarget(linker, site);
  if ((result >> 1) > 63)
    WarnTruncated(linker, site);
  WriteU16(site.data, uint16_t(ThumbCompareBranch::Encode(insn, int32_t(result & ~1u))));
}

void ApplySite(ArmLinker &linker, RelocationSite &site) {
  uint8_t *data = site.data;
  uint32_t place = site.place, value = site.value;
  switch (site.Type()) {
  case RelArmPc24:
  case RelArmCall:
  case RelArmJump24:
    ArmCall(linker, site, false);
    return;
  case RelThmCall:
  case RelThmJump24:
    ThumbCall(linker, site, false);
    return;
  case RelArmAbs32:
  case RelArmTarget1:
    WriteU32(data, ReadU32(data) + value);
    return;
  case RelArmRel32:
  case RelArmTarget2:
    WriteU32(data, ReadU32(data) + value - place);
    return;
  case RelArmLdrPcG0: {
    uint32_t insn = ReadU32(data);
    int32_t result = int32_t(uint32_t(ArmLiteral12::Decode(insn)) + value - place);
    WriteU32(data, EncodeChecked<ArmLiteral12>(linker, site, insn, result));
    return;
  }
  case RelThmPc8: {
    // Relative to the word-aligned PC, whatever the alignment of the place.
    uint32_t insn = ReadU16(data);
    uint32_t result = (uint32_t(ThumbLiteral8::DecodeAddend(insn)) + value - (place & ~3u)) & ~1u;
    WriteU16(data, uint16_t(EncodeChecked<ThumbLiteral8>(linker, site, insn, int32_t(result))));
    return;
  }
  case RelThmPc12: {
    uint32_t insn = ReadThumb32(data);
    uint32_t result = (uint32_t(ThumbLiteral12::Decode(insn)) + value - (place & ~3u)) & ~1u;
    WriteThumb32(data, EncodeChecked<ThumbLiteral12>(linker, site, insn, int32_t(result)));
    return;
  }
  case RelArmPrel31: {
    // The whole word is the addend; bit 31 of the result is written as 0.
    uint32_t result = ReadU32(data) + value - place;
    WriteU32(data, EncodeChecked<Prel31>(linker, site, 0, int32_t(result)));
    return;
  }
  case RelArmMovwAbsNc:
  case RelArmMovtAbs:
    ApplyMove(site, false, site.Type() == RelArmMovtAbs);
    return;
  case RelThmMovwAbsNc:
  case RelThmMovtAbs:
    ApplyMove(site, true, site.Type() == RelThmMovtAbs);
    return;
  case RelThmJump19: {
    uint32_t insn = ReadThumb32(data);
    int32_t offset = int32_t((uint32_t(ThumbCondBranch20::Decode(insn)) + value - place) & ~1u);
    CheckNarrowBranchTarget(linker, site);
    WriteThumb32(data, EncodeChecked<ThumbCondBranch20>(linker, site, insn, offset));
    return;
  }
  case RelThmJump6:
    ApplyCompareBranch(linker, site);
    return;
  case RelArmAluPcG0:
    ApplyAluPc(linker, site);
    return;
  case RelThmJump11:
    ApplyThumbBranch16<ThumbBranch11>(linker, site);
    return;
  case RelThmJump8:
    ApplyThumbBranch16<ThumbCondBranch8>(linker, site);
    return;
  case RelTlsLdo32:
  case RelTlsLe32:
    // Offsets from the thread pointer, which points 8 bytes before the
    // thread-local storage area.
    WriteU32(data, ReadU32(data) + value + 8 - linker.tlsStart);
    return;
  case RelThmVeneerAbs32:
    ApplyVeneerLiteral(linker, site);
    return;
  default:
    Error(linker, "cannot handle relocation %s in file %s %s+%d [source address %08x]",
          linker.RelocationName(site.Type()).c_str(), site.section->InputName().c_str(),
          site.section->Describe().c_str(), int(site.Offset()), place);
    return;
  }
}

} // namespace

// --- Messages ------------------------------------------------------------------

std::string RecordSymbolName(ArmLinker &linker, const RelocationSite &site) {
  return site.recordSymbol ? DisplayName(linker, *site.recordSymbol) : std::string();
}

std::string TargetName(ArmLinker &linker, const RelocationSite &site) {
  if (!site.symbol)
    return std::string();
  if (site.symbol->name.empty() && site.symbol->section)
    return site.symbol->section->DisplayName();
  return DisplayName(linker, *site.symbol);
}

void WarnTruncated(ArmLinker &linker, const RelocationSite &site) {
  std::string type = linker.RelocationName(site.Type());
  std::string section = site.section->DisplayName();
  if (!site.symbol) {
    Warning(linker, "relocation %s truncated to fit at %s+%u", type.c_str(), section.c_str(), site.Offset());
    return;
  }
  Warning(linker, "relocation %s to %s truncated to fit at %s+%u", type.c_str(), TargetName(linker, site).c_str(),
          section.c_str(), site.Offset());
}

void WarnNonFunction(ArmLinker &linker, const RelocationSite &site) {
  Warning(linker, "relocation %s to non-function symbol %s at %s+%u", linker.RelocationName(site.Type()).c_str(),
          RecordSymbolName(linker, site).c_str(), site.section->DisplayName().c_str(), site.Offset());
}

// --- The entry point -------------------------------------------------------------

void ArmLinker::RelocateSection(LinkSection &section, uint32_t mode) {
  std::vector<Relocation> &records = Relocations(*this, section);
  if (records.empty())
    return;
  RestorePristineContents(section);
  // Veneers are reused only within one scan of one section.
  VeneerTables tables;
  for (Relocation &record : records) {
    if (!IsRelocationAppliedChecked(record.type))
      continue;
    RelocationSite site = MakeSite(*this, section, record);
    if (mode == RelocationVeneerScan)
      ScanSite(*this, site, tables);
    else
      ApplySite(*this, site);
  }
}

} // namespace tanrek
