#include "placement/locatable.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "symbols/symbol.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_set>

namespace tanrek {

static uint32_t nextSerial = 0;

Serialized::Serialized() : serial(nextSerial++) {}

const char *InitMethodName(uint32_t method) {
  static const char *const kNames[] = {"copy", "lzss",   "packbits", "zpak", "zero",
                                       "do not initialize", "manual", "call", "auto", "implicit"};
  return method < 10 ? kNames[method] : "-- unknown --";
}

const char *SelectStrengthName(uint32_t strength) {
  static const char *const kNames[] = {"none", "attribute or mask", "wildcard", "name"};
  return strength < 4 ? kNames[strength] : "<unknown>";
}

// ---------------------------------------------------------------------------
// Locatable

Locatable::Locatable() = default;

bool Locatable::InitAtRuntime() const {
  if (initMethod <= InitManual || initMethod == InitAuto)
    return true;
  if (initMethod == InitImplicit)
    return false;
  InternalError("unrecognized initialization method in Locatable::InitAtRuntime()");
}

// ---------------------------------------------------------------------------
// Section names

std::string EscapeSectionName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (unsigned char c : name) {
    if (c >= 0x20 && c <= 0x7E)
      out += char(c);
    else
      out += Format("<%02X>", c);
  }
  return out;
}

std::string_view InternDisplayName(std::string_view name) {
  bool printable = std::all_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) <= 0x7E;
  });
  if (printable)
    return name;
  static std::unordered_set<std::string> interned;
  return *interned.insert(EscapeSectionName(name)).first;
}

// ---------------------------------------------------------------------------
// LinkSection

LinkSection::LinkSection(std::string ownName, uint32_t sectionIndex) : index(sectionIndex) {
  SetOwnedName(std::move(ownName));
}

LinkSection::LinkSection(std::string ownName, uint32_t type, uint32_t flags, uint32_t size,
                         uint32_t alignment)
    : sh_type(type), sh_flags(flags), sh_size(size), sh_addralign(alignment), index(kIndexLinker) {
  SetOwnedName(std::move(ownName));
  replacementContents.assign(size, 0);
  hasReplacement = true;
}

void LinkSection::SetOwnedName(std::string text) {
  ownedName = std::move(text);
  name = ownedName;
  displayName = InternDisplayName(name);
}

// The name of a section that has none, by what it stands for.
static std::string UnnamedSection(const LinkSection &section, const char *numbered) {
  if (section.sh_type == kShtNull)
    return "*NULL*";
  switch (section.index) {
  case kIndexAbsolute:
    return "*ABS*";
  case kIndexUndefined:
    return "*UNDEF*";
  case kIndexCommon:
    return "*COMMON*";
  case kIndexLinker:
    return "*LINKER*";
  default:
    return Format(numbered, section.index);
  }
}

std::string LinkSection::Name() const {
  if (!name.empty())
    return std::string(name);
  return UnnamedSection(*this, "<Section #%u>");
}

std::string LinkSection::DisplayName() const {
  if (!displayName.empty())
    return std::string(displayName);
  if (!name.empty())
    return std::string(name);
  return UnnamedSection(*this, "<Section #0x%08x>");
}

uint32_t LinkSection::Alignment() const {
  if (sh_type == kShtArmExidx && theLinker && theLinker->GetPara(2) == 40)
    return sh_addralign;
  uint32_t minimum = theLinker ? theLinker->minAlignByKind[Kind()] : 1;
  return std::max(sh_addralign, minimum);
}

tanrek::Kind LinkSection::Kind() const {
  if (sh_type == kShtNobits)
    return KindZeroInit;
  if (sh_type != kShtProgbits)
    return KindOther;
  if (sh_flags & kShfWrite)
    return KindReadWrite;
  if (sh_flags & kShfExecinstr)
    return KindCode;
  return KindReadOnly;
}

std::string LinkSection::Describe() const { return "section " + DisplayName(); }

std::string LinkSection::InputName() const { return file ? file->name : kLinkerInputName; }

Symbol *LinkSection::PrimarySymbol() {
  if (primarySymbolCache)
    return primarySymbolCache;
  for (Symbol *symbol : symbols) {
    if (symbol->Binding() == kStbWeak || symbol->Binding() > kStbWeak)
      continue;
    if (symbol->name.empty() || symbol->name[0] == '.')
      continue;
    if (theLinker && theLinker->ClassifyMappingSymbol(symbol->name) != 0)
      continue;
    primarySymbolCache = symbol;
    break;
  }
  return primarySymbolCache;
}

void LinkSection::Map(uint32_t newAddress) {
  if (IsMapped())
    InternalError("section '%s' is already mapped [%s]", Name().c_str(), InputName().c_str());
  sh_addr = newAddress;
  state |= StateMapped;
}

void LinkSection::Print() const { std::printf("section %s", Name().c_str()); }

const uint8_t *LinkSection::Contents() const {
  if (hasWorkingCopy)
    return workingCopy.data();
  if (hasReplacement)
    return replacementContents.data();
  return fileContents;
}

uint8_t *LinkSection::MutableContents() {
  if (!hasWorkingCopy) {
    const uint8_t *current = Contents();
    workingCopy.assign(Size(), 0);
    if (current && sh_type != kShtNobits)
      std::memcpy(workingCopy.data(), current, Size());
    hasWorkingCopy = true;
  }
  return workingCopy.data();
}

void LinkSection::SetReplacementContents(std::vector<uint8_t> bytes) {
  replacementContents = std::move(bytes);
  hasReplacement = true;
}

void LinkSection::WriteContents(uint8_t *buffer) const {
  const uint8_t *contents = Contents();
  if (sh_type == kShtNobits || !contents)
    std::memset(buffer, 0, Size());
  else
    std::memcpy(buffer, contents, Size());
}

void LinkSection::Unmap() {
  Locatable::Unmap();
  workingCopy.clear();
  workingCopy.shrink_to_fit();
  hasWorkingCopy = false;
}

void LogAllocation(uint32_t start, const Locatable &item) {
  if (!LogOpen())
    return;
  uint32_t size = item.Size();
  LogLine("Allocate %08x-%08x to %s from %s", start, start + size - (size ? 1 : 0), item.Describe().c_str(),
          item.InputName().c_str());
}

std::string PrimaryName(Locatable &item) {
  if (Symbol *symbol = item.PrimarySymbol())
    return std::string(symbol->name);
  return item.Name();
}

// ---------------------------------------------------------------------------
// LinkICVSection and LinkCantUnwindSection

LinkICVSection::LinkICVSection(std::string ownName, std::string algorithm, uint32_t size)
    : LinkSection(std::move(ownName), kShtProgbits, kShfAlloc, size, 1), algorithmName(std::move(algorithm)),
      resultSize(size) {}

LinkCantUnwindSection::LinkCantUnwindSection(uint32_t coveredStart, uint32_t size)
    : LinkSection(Format(".ARM.exidx.nounwind.%08x-%08x", coveredStart, coveredStart + size - 1), kShtArmExidx,
                  kShfAlloc, 8, 4),
      start(coveredStart), coveredSize(size) {
  state |= StateExceptionIndex;
  description = "Exception index";
  WriteU32(replacementContents.data(), coveredStart);
  WriteU32(replacementContents.data() + 4, 1); // EXIDX_CANTUNWIND
}

// The first word of the entry is a 31-bit place-relative offset: once the
// entry has an address, the absolute target stored there becomes relative.
// Unmap drops the working copy, so a later Map starts from the absolute
// address again.
void LinkCantUnwindSection::Map(uint32_t newAddress) {
  LinkSection::Map(newAddress);
  uint8_t *entry = MutableContents();
  WriteU32(entry, (ReadU32(entry) - newAddress) & 0x7FFFFFFF);
}

// ---------------------------------------------------------------------------
// LinkBlock

LinkBlock::LinkBlock(BlockKind kind, std::string blockName) : name(std::move(blockName)), blockKind(kind) {}

uint32_t LinkBlock::Flags() const {
  uint32_t flags = blockFlags;
  for (const Locatable *member : members)
    flags |= member->Flags();
  return flags;
}

tanrek::Kind LinkBlock::Kind() const {
  if (!members.empty())
    return KindOther;
  if (blockFlags & kShfWrite)
    return KindZeroInit;
  if (blockFlags & kShfExecinstr)
    return KindCode;
  return KindReadOnly;
}

std::string LinkBlock::Describe() const {
  static const char *const kFormats[] = {"block %s",           "'place in' block %s",    "'place at' block %s",
                                         "'place at end' block %s", "'place at start' block %s",
                                         "'place after' block %s",  "inline block %s"};
  const char *format = blockKind <= BlockInline ? kFormats[blockKind] : "block %s";
  return Format(format, name.c_str());
}

void LinkBlock::Map(uint32_t newAddress) {
  if (IsMapped())
    InternalError("%s is already mapped", Describe().c_str());
  address = newAddress;
  state |= StateMapped;
  if (!members.empty()) {
    bool exceptionBlock = state & StateExceptionBlock;
    if (!exceptionBlock && (state & StateLinkOrdered)) {
      LogLine("Enforce section ordering for %s", Describe().c_str());
      SortByLinkedOrder(members);
    }
    LogLine("Inputs to %s%s", Describe().c_str(), exceptionBlock ? " [exception table]" : "");
  }
  uint32_t cursor = address;
  for (Locatable *member : members) {
    uint32_t align = member->Alignment();
    if (align > 1)
      cursor = (cursor + align - 1) & ~(align - 1);
    member->Map(cursor);
    LogAllocation(cursor, *member);
    cursor += member->Size();
  }
  if (!autoAt && theLinker)
    theLinker->mappedBlocks.insert(this);
}

void LinkBlock::Print() const { std::printf("block %s", name.c_str()); }

void LinkBlock::WriteContents(uint8_t *buffer) const {
  if (hasFill)
    std::memset(buffer, fillByte, Size());
  for (const Locatable *member : members)
    member->WriteContents(buffer + (member->Address() - Address()));
}

void LinkBlock::Unmap() {
  Locatable::Unmap();
  address = 0;
  for (Locatable *member : members)
    member->Unmap();
}

void LinkBlock::SetInitMethod(uint32_t method) {
  Locatable::SetInitMethod(method);
  for (Locatable *member : members)
    member->SetInitMethod(method);
}

// ---------------------------------------------------------------------------
// LinkCopiedBlock

LinkCopiedBlock::LinkCopiedBlock(LinkBlock *copied, LinkSection *carrier)
    : name(copied->name), block(copied), section(carrier) {}

std::string LinkCopiedBlock::Describe() const { return "copy of " + block->Describe(); }

void LinkCopiedBlock::Map(uint32_t newAddress) {
  if (IsMapped())
    InternalError("copied block %s is already mapped", Describe().c_str());
  address = newAddress;
  state |= StateMapped;
  section->sh_size = Size();
  section->Map(newAddress);
  if (theLinker)
    theLinker->sectionsToPlace.insert(section);
  section->sh_addralign = std::max(section->sh_addralign, Alignment());
}

void LinkCopiedBlock::Unmap() {
  Locatable::Unmap();
  address = 0;
  if (section->IsMapped())
    section->Unmap();
}

void LinkCopiedBlock::Print() const { std::printf("copy of block %s", name.c_str()); }

void LinkCopiedBlock::WriteContents(uint8_t *buffer) const {
  if (contents)
    std::memcpy(buffer, contents, Size());
  else
    std::memset(buffer, 0, Size());
}

} // namespace tanrek
