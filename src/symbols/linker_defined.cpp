// Linker-defined symbols: block bounds, region bounds and the thread
// pointer.
//
// Block symbols are defined only when something refers to them, so a name
// that an object or the script defines is never replaced, and a name
// nobody uses never appears in the image. The phase runs several times as
// addresses settle; the first run that finds a name undefined fixes it.
// Region symbols and the thread pointer are always defined, once, late in
// the link when every address is final.
#include "symbols/linker_defined.h"

#include "driver/linker.h"
#include "driver/log.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace tanrek {

namespace {

constexpr uint32_t kShfTls = 0x400;

struct Bounds {
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t size = 0;
};

// The stem of a block's symbol names: the name without a leading '.'.
// Blocks without a name of their own (empty, or generated names that
// begin with '<') get no symbols.
std::optional<std::string> SymbolStem(const std::string &blockName) {
  std::string stem = blockName.starts_with('.') ? blockName.substr(1) : blockName;
  if (stem.empty() || stem.starts_with('<'))
    return std::nullopt;
  return stem;
}

void DefineArmBlockSymbols(BaseLinker &linker, const std::string &stem, const Bounds &bounds) {
  DefineIfUndefined(linker, stem + "$$Base", bounds.start);
  DefineIfUndefined(linker, stem + "$$Limit", bounds.end);
  DefineIfUndefined(linker, stem + "$$Length", bounds.size);
}

// Both spellings, with and without the trailing "__", are in use.
void DefineEsBlockSymbols(BaseLinker &linker, const std::string &stem, const Bounds &bounds) {
  for (const char *tail : {"__", ""}) {
    DefineIfUndefined(linker, "__" + stem + "_start" + tail, bounds.start);
    DefineIfUndefined(linker, "__" + stem + "_end" + tail, bounds.end);
    DefineIfUndefined(linker, "__" + stem + "_size" + tail, bounds.size);
  }
}

// The lowest address, the end of the last range and the distance between
// them; all 0 for an empty list.
Bounds RangeBounds(const RangeList &list) { return {list.Lowest(), list.After(), list.Span()}; }

// Region symbols are entered whether or not anything refers to them, so an
// object that defines one as well is a conflict like any other.
void DefineRegionSymbol(BaseLinker &linker, const std::string &name, uint32_t value) {
  Symbol *symbol = MakeLinkerSymbol(linker, name, value);
  DefineGlobal(linker, symbol);
  linker.imageSymbols.insert(symbol);
}

void DefineRegionFamily(BaseLinker &linker, const std::string &prefix, const Bounds &bounds) {
  DefineRegionSymbol(linker, prefix + "start__", bounds.start);
  DefineRegionSymbol(linker, prefix + "end__", bounds.end);
  DefineRegionSymbol(linker, prefix + "size__", bounds.size);
}

// The part of a region that placement has occupied. When nothing in the
// region is used, the used part is empty and sits at the region's start.
Bounds UsedBounds(const BaseLinker &linker, const RangeList &region) {
  RangeList used = region;
  if (linker.memory)
    Intersect(used, linker.memory->used);
  else
    used.ranges.clear();
  if (used.Empty())
    return {region.Lowest(), region.Lowest(), 0};
  return RangeBounds(used);
}

void DefineRegionSymbols(BaseLinker &linker, const std::string &name, const RangeList &region) {
  LogLine("Define region symbols for %s", name.c_str());
  DefineRegionFamily(linker, "__" + name + "_segment_", RangeBounds(region));
  DefineRegionFamily(linker, "__" + name + "_segment_used_", UsedBounds(linker, region));
}

// The lowest address of the TLS sections and their total size. The start
// is meaningful only when the total is not 0.
struct TlsExtent {
  uint32_t start = UINT32_MAX;
  uint32_t size = 0;
};

// Logs the TLS sections and gives their extent.
TlsExtent CollectTlsSections(BaseLinker &linker) {
  TlsExtent tls;
  LogLine("TLS sections:");
  LogIndent();
  for (const LinkSection *section : linker.sectionsToPlace) {
    if (!(section->Flags() & kShfTls))
      continue;
    LogLine("%s, addr=%08x, size=%u", section->DisplayName().c_str(), section->Address(), section->Size());
    tls.start = std::min(tls.start, section->Address());
    tls.size += section->Size();
  }
  LogOutdent();
  return tls;
}

// A TLS symbol outside a TLS section is a fault of its object; it is only
// noted, since the symbol keeps its ordinary address.
void NoteMisplacedTlsSymbols(BaseLinker &linker) {
  for (Symbol *symbol : linker.imageSymbols) {
    if (symbol->Type() != kSttTls || !symbol->section || (symbol->section->Flags() & kShfTls))
      continue;
    LogLine("%s is TLS but section is not marked TLS", DisplayName(linker, *symbol).c_str());
  }
}

} // namespace

void CreateBlockSymbols(BaseLinker &linker, const LinkBlock &block) {
  std::optional<std::string> stem = SymbolStem(block.name);
  if (!stem)
    return;
  LogLine("Creating symbols for %s", block.Describe().c_str());
  LogIndent();
  Bounds bounds{block.Address(), block.Address() + block.Size(), block.Size()};
  if (linker.TestFlag(Flag::AutoArmSymbols))
    DefineArmBlockSymbols(linker, *stem, bounds);
  if (linker.TestFlag(Flag::AutoEsBlockSymbols))
    DefineEsBlockSymbols(linker, *stem, bounds);
  LogOutdent();
}

// Both block-symbol phases do the same: once addresses change, the script
// definitions that read block symbols must see them too.
void BaseLinker::CreateBlockSymbols() { MakeBlockSymbols(); }

void BaseLinker::MakeBlockSymbols() {
  for (const LinkBlock *block : mappedBlocks)
    tanrek::CreateBlockSymbols(*this, *block);
  DefineSymbols();
}

void BaseLinker::RegionSymbols() {
  if (!TestFlag(Flag::AutoEsRegionSymbols))
    return;
  for (const auto &[name, region] : regionTable)
    DefineRegionSymbols(*this, name, region);
}

void BaseLinker::ThreadLocalStorage() {
  TlsExtent tls = CollectTlsSections(*this);
  NoteMisplacedTlsSymbols(*this);
  LogLine("Total size (excluding padding and alignment): %u bytes", tls.size);
  uint32_t threadPointer = 0;
  if (tls.size != 0) {
    LogLine("Placing thread-local storage at 0x%08x", tls.start);
    threadPointer = tls.start;
  }
  tlsStart = threadPointer;
  DefineGlobalSymbol(*this, "__thread_pointer$", threadPointer);
}

} // namespace tanrek
