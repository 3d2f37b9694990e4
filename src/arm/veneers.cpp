// Veneer construction: which veneer a branch gets, building it or reusing
// one made earlier in the same section, and rewriting the branch.
//
// The kind follows from the branch's instruction set, the target's state
// and what the core can execute:
//
//   Arm site, Arm target                 A32_LDR      (range)
//   Arm site, Thumb target, BL or BLX    T32_LDR      via BLX, cores with Thumb-2 and BLX
//   Arm site, Thumb target, other B/BL   A32_LDR_BX   (mode switch)
//   Thumb site, core without Thumb-2     T16_LDR_BX   (range or mode switch)
//   Thumb site, ArmV7A, Arm target       A32_LDR via BLX for BL/BLX; T32_LDR_BX for B.W
//   Thumb site, otherwise                T32_LDR      (range)
//
// A branch to a veneer never changes state by itself unless the veneer is
// in the other state: a branch to Thumb veneer code is written as BL or
// B.W, one to Arm veneer code from Thumb as BLX, one to Arm veneer code
// from Arm as B or BL.
//
// Everything a veneer changes is in the section's pristine contents: the
// branch is rewritten there and the code appended, so every later
// relocation pass starts from them.
#include "arm/veneers.h"

#include "arm/encoding.h"
#include "arm/relocation_site.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/log.h"
#include "placement/placement.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

#include <cstring>

namespace tanrek {

const char *VeneerReasonText(uint32_t reason) {
  switch (reason) {
  case ReasonThumbToArm: return "Thumb-Arm mode switch";
  case ReasonArmToThumb: return "Arm-Thumb mode switch";
  case ReasonThumbRange: return "Thumb-Thumb range extension";
  case ReasonArmRange: return "Arm-Arm range extension";
  default: return "Unknown reason";
  }
}

const char *VeneerReasonCode(uint32_t reason) {
  switch (reason) {
  case ReasonThumbToArm: return "TA";
  case ReasonArmToThumb: return "AT";
  case ReasonThumbRange: return "TT";
  case ReasonArmRange: return "AA";
  default: return "??";
  }
}

namespace {

// A code unit of a veneer: a 32-bit Arm word, a 16-bit Thumb halfword or
// the literal word.
struct CodeUnit {
  uint8_t size;
  uint32_t value;
};

struct KindInfo {
  const char *name;
  bool thumb;
  // Code units before the literal; the literal follows them.
  std::array<CodeUnit, 6> code;
  uint32_t codeUnits;
  uint32_t literalOffset;
  uint32_t literalType;
  // Log lines; each takes the section name, the record offset, the target
  // name, then the reason text or the section's alignment.
  const char *created;
  const char *reused;
  bool createdShowsAlignment;
  bool reusedShowsAlignment;

  uint32_t Size() const { return literalOffset + 4; }
};

const KindInfo &Info(VeneerKind kind) {
  static const std::array<KindInfo, kVeneerKindCount> kKinds = {{
      {"A32_LDR", false, {{{4, 0xE51FF004}}}, 1, 4, RelThmVeneerAbs32,
       "Arm LDR veneer required at %s+%u to %s for %s", "Existing Arm LDR veneer reused at %s+%u to %s for %s",
       false, false},
      {"A32_LDR_BX", false, {{{4, 0xE59FC000}, {4, 0xE12FFF1C}}}, 2, 8, RelThmVeneerAbs32,
       "Arm LDR+BX veneer required at %s+%u to %s for %s", "Existing Arm BX veneer reused at %s+%u to %s for %s",
       false, false},
      {"T32_LDR", true, {{{2, 0xF8DF}, {2, 0xF000}}}, 2, 4, RelThmVeneerAbs32,
       "Thumb-2 LDR veneer required at %s+%u to %s for %s",
       "Existing Thumb-2 LDR veneer reused at %s+%u to %s, section align = %u", false, true},
      {"T32_LDR_BX", true, {{{2, 0xF8DF}, {2, 0xC004}, {2, 0x4760}, {2, 0x46C0}}}, 4, 8, RelThmVeneerAbs32,
       "Thumb-2 LDR+BX veneer required at %s+%u to %s for %s",
       "Existing Thumb-2 BX veneer reused at %s+%u to %s for %s", false, false},
      {"T16_LDR_BX", true,
       {{{2, 0xB408}, {2, 0x4B02}, {2, 0x469C}, {2, 0xBC08}, {2, 0x4760}, {2, 0x46C0}}}, 6, 12, RelArmAbs32,
       "Thumb-1 LDR+BX veneer required at %s+%u to %s, section align = %u",
       "Existing Thumb-1 BX reused at %s+%u to %s, section align = %u", true, true},
  }};
  return kKinds[kind];
}

// Thumb branch patterns: the top bits of the second halfword, masked with
// 0xD000 over the 32-bit quantity shifted down by 16.
constexpr uint32_t kThumbBl = 0xD000, kThumbBlx = 0xC000, kThumbBW = 0x9000;
constexpr uint32_t kThumbLinkBit = 0x10000000; // bit 12 of the second halfword: BL rather than BLX
constexpr uint32_t kThumbOpcodeMask = 0xD000F800;

// What a request decided: the veneer and the rewritten branch.
struct Decision {
  VeneerKind kind;
  VeneerReason reason;
  // The branch's in-place offset plus the pipeline bias of its state, so
  // that the literal becomes S + A for the usual in-place addend.
  uint32_t literal;
};

// The rewritten Arm branch, given the veneer's offset within the section.
uint32_t RewriteArmBranch(uint32_t insn, VeneerKind kind, uint32_t site, uint32_t veneer) {
  int32_t offset = int32_t(veneer - site - 8);
  if (Info(kind).thumb) // BLX into Thumb veneer code
    return ArmBlx::Encode((insn & 0xFE000000) == 0xFA000000 ? insn : 0xFA000000, offset);
  if ((insn & 0xFE000000) == 0xFA000000) // a BLX into Arm veneer code becomes BL
    insn = 0xEB000000;
  return ArmBranch24::Encode(insn, offset);
}

// The rewritten Thumb branch; BLX lands on a word and counts from the
// word-aligned PC.
uint32_t RewriteThumbBranch(uint32_t insn, VeneerKind kind, uint32_t site, uint32_t veneer) {
  uint32_t opcode = insn & kThumbOpcodeMask;
  if (Info(kind).thumb) {
    if (((opcode >> 16) & 0xD000) == kThumbBlx)
      opcode |= kThumbLinkBit;
    return ThumbBranch24::Encode(opcode, int32_t(veneer - site - 4));
  }
  return ThumbBranch24::Encode(opcode & ~kThumbLinkBit, int32_t(veneer - ((site + 4) & ~3u)));
}

Decision DecideArmSite(ArmLinker &linker, const RelocationSite &site, uint32_t insn) {
  uint32_t literal = uint32_t(((insn & 0xFE000000) == 0xFA000000 ? ArmBlx::Decode(insn) : ArmBranch24::Decode(insn)) + 8);
  if (site.ArmTarget())
    return {A32_LDR, ReasonArmRange, literal};
  bool blx = (insn & 0xFE000000) == 0xFA000000;
  bool branch = !blx && (insn & 0x0E000000) == 0x0A000000;
  bool unconditionalBl = (insn >> 24) == 0xEB;
  // LDR.W exists only with Thumb-2: without it, even a BLX goes through
  // Arm veneer code.
  bool thumbVeneer = HasThumb2(linker.cpuClass) && HasBlx(linker.cpuClass);
  if (thumbVeneer && (unconditionalBl || blx))
    return {T32_LDR, ReasonArmToThumb, literal};
  if (branch || blx)
    return {A32_LDR_BX, ReasonArmToThumb, literal};
  Fatal(linker, "Arm-Thumb veneer requested for opcode 0x%08X (not unconditional or conditional BL) at %s+%u to %s",
        insn, site.section->DisplayName().c_str(), site.Offset(), TargetName(linker, site).c_str());
}

Decision DecideThumbSite(ArmLinker &linker, const RelocationSite &site, uint32_t insn) {
  uint32_t literal = uint32_t(ThumbBranch24::Decode(insn) + 4);
  if (!HasThumb2(linker.cpuClass))
    return {T16_LDR_BX, ReasonThumbRange, literal};
  if (linker.cpuClass == ArmV7A && site.ArmTarget()) {
    uint32_t pattern = (insn >> 16) & 0xD000;
    if (pattern == kThumbBl || pattern == kThumbBlx)
      return {A32_LDR, ReasonThumbToArm, literal};
    if (pattern == kThumbBW)
      return {T32_LDR_BX, ReasonThumbToArm, literal};
    Fatal(linker, "Thumb-Arm veneer requested for opcode 0x%08x (not BL and not B) at %s+%u to %s, section align = %u",
          insn, site.section->DisplayName().c_str(), site.Offset(), TargetName(linker, site).c_str(),
          site.section->Alignment());
  }
  return {T32_LDR, ReasonThumbRange, literal};
}

// A symbol of the calling section, made by the linker.
Symbol *SectionSymbol(ArmLinker &linker, LinkSection &section, std::string_view name, uint8_t type,
                      uint32_t value) {
  Symbol *symbol = MakeLinkerSymbol(linker, name, value);
  symbol->info = uint8_t(kStbLocal << 4 | type);
  symbol->file = section.file;
  symbol->section = &section;
  symbol->sectionIndex = section.index;
  symbol->shndx16 = 0;
  section.symbols.push_back(symbol);
  linker.imageSymbols.insert(symbol);
  return symbol;
}

// The veneer symbol and the mapping symbols of a veneer at `offset`.
void DefineVeneerSymbols(ArmLinker &linker, const RelocationSite &site, const KindInfo &info, uint32_t reason,
                         uint32_t offset) {
  LinkSection &section = *site.section;
  std::string target(site.symbol->name);
  if (target.empty() && site.symbol->section)
    target = site.symbol->section->Name();
  std::string name = Format("%s__%s_veneer_%s", target.c_str(), VeneerReasonCode(reason), info.name);
  Symbol *veneer = SectionSymbol(linker, section, name, kSttFunc, offset + (info.thumb ? 1 : 0));
  veneer->size = info.Size();
  SectionSymbol(linker, section, info.thumb ? "$t" : "$a", kSttNotype, offset);
  SectionSymbol(linker, section, "$d", kSttNotype, offset + info.literalOffset);
}

// The veneer's bytes in the image byte order.
std::vector<uint8_t> AssembleVeneer(const KindInfo &info, uint32_t literal) {
  std::vector<uint8_t> bytes(info.Size());
  uint8_t *at = bytes.data();
  for (uint32_t i = 0; i < info.codeUnits; ++i) {
    const CodeUnit &unit = info.code[i];
    if (unit.size == 2)
      WriteU16(at, uint16_t(unit.value));
    else
      WriteU32(at, unit.value);
    at += unit.size;
  }
  WriteU32(at, literal);
  return bytes;
}

// Appends `bytes` to the section's pristine contents.
void AppendToSection(LinkSection &section, const std::vector<uint8_t> &bytes) {
  uint32_t oldSize = section.Size();
  GrowSection(section, oldSize + uint32_t(bytes.size()));
  std::memcpy(section.replacementContents.data() + oldSize, bytes.data(), bytes.size());
}

void LogVeneerLine(const RelocationSite &site, const char *format, bool showsAlignment, const std::string &target,
                   uint32_t reason) {
  if (!LogOpen())
    return;
  std::string section = site.section->DisplayName();
  if (showsAlignment)
    LogLine(format, section.c_str(), site.Offset(), target.c_str(), site.section->Alignment());
  else
    LogLine(format, section.c_str(), site.Offset(), target.c_str(), VeneerReasonText(reason));
}

void AddUse(ArmLinker &linker, const RelocationSite &site, const Relocation &before, uint32_t reason,
            uint32_t size) {
  VeneerUse use;
  use.record = before;
  use.section = site.section;
  use.place = site.place;
  use.value = site.value;
  use.unresolved = site.unresolved;
  use.undefinedWeak = site.undefinedWeak;
  use.size = size;
  linker.veneers.uses[reason][site.symbol].push_back(use);
  linker.veneers.bytes[reason] += size;
}

// Finds the veneer for the site's target in this section's table of the
// kind, or builds one at the end of the section; returns its offset.
uint32_t BuildOrReuse(ArmLinker &linker, RelocationSite &site, VeneerTables &tables, const Decision &decision) {
  const KindInfo &info = Info(decision.kind);
  Relocation &record = *site.relocation;
  Relocation before = record;
  std::string target = TargetName(linker, site);
  auto key = std::make_pair(site.symbol->serial, site.value + decision.literal);
  auto &table = tables.offsets[decision.kind];
  if (auto found = table.find(key); found != table.end()) {
    LogVeneerLine(site, info.reused, info.reusedShowsAlignment, target, decision.reason);
    record.symbolIndex = 0;
    record.symbolOverride = nullptr;
    record.type = RelArmNone;
    AddUse(linker, site, before, decision.reason, 0);
    return found->second;
  }
  LogVeneerLine(site, info.created, info.createdShowsAlignment, target, decision.reason);
  LinkSection &section = *site.section;
  uint32_t offset = section.Size();
  table.emplace(key, offset);
  DefineVeneerSymbols(linker, site, info, decision.reason, offset);
  AppendToSection(section, AssembleVeneer(info, decision.literal));
  record.type = info.literalType;
  record.offset = offset + info.literalOffset;
  AddUse(linker, site, before, decision.reason, info.Size());
  return offset;
}

// Makes room for a veneer: the section grows to a multiple of 4 (of its
// alignment, up to 16), so the veneer's words are aligned wherever the
// section goes and a BLX can land on it.
void PrepareSite(ArmLinker &linker, LinkSection &section) {
  linker.SetFlag(Flag::VeneerNeeded);
  section.sh_addralign = std::max<uint32_t>(section.sh_addralign, 4);
  PadSection(section);
}

const uint8_t *PristineBranch(const RelocationSite &site) {
  return site.section->PristineContents() + site.Offset();
}

// Both requests: make room, decide, build or reuse the veneer, then
// rewrite the branch in the pristine contents to reach it.
void Request(ArmLinker &linker, RelocationSite &site, VeneerTables &tables, bool thumbSite) {
  PrepareSite(linker, *site.section);
  const uint8_t *pristine = PristineBranch(site);
  uint32_t insn = thumbSite ? ReadThumb32(pristine) : ReadU32(pristine);
  Decision decision = thumbSite ? DecideThumbSite(linker, site, insn) : DecideArmSite(linker, site, insn);
  uint32_t branchOffset = site.Offset(); // the record moves to the literal
  uint32_t veneer = BuildOrReuse(linker, site, tables, decision);
  uint8_t *branch = site.section->replacementContents.data() + branchOffset;
  if (thumbSite)
    WriteThumb32(branch, RewriteThumbBranch(insn, decision.kind, branchOffset, veneer));
  else
    WriteU32(branch, RewriteArmBranch(insn, decision.kind, branchOffset, veneer));
}

} // namespace

void RequestArmVeneer(ArmLinker &linker, RelocationSite &site, VeneerTables &tables) {
  Request(linker, site, tables, false);
}

void RequestThumbVeneer(ArmLinker &linker, RelocationSite &site, VeneerTables &tables) {
  Request(linker, site, tables, true);
}

} // namespace tanrek
