#include "placement/placement.h"

#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "placement/ordering.h"
#include "report/number_format.h"
#include "script/script_task.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace tanrek {

// ---------------------------------------------------------------------------
// First fit

namespace {

uint64_t AlignUp(uint64_t address, uint32_t alignment) {
  return alignment < 2 ? address : (address + alignment - 1) / alignment * alignment;
}

// First fit among the candidate ranges from index `first` on.
std::optional<AddressRange> FirstFit(const RangeList &candidates, size_t first, uint32_t size, uint32_t alignment) {
  for (size_t i = first; i < candidates.ranges.size(); ++i) {
    const AddressRange &range = candidates.ranges[i];
    if (range.size < size)
      continue;
    uint64_t start = AlignUp(range.start, alignment);
    if (start + size <= uint64_t(range.start) + range.size)
      return AddressRange{uint32_t(start), size};
  }
  return std::nullopt;
}

} // namespace

std::optional<AddressRange> FindSpace(const RangeList &candidates, uint32_t size, uint32_t alignment) {
  if (candidates.Empty())
    return std::nullopt;
  if (size == 0)
    return AddressRange{uint32_t(AlignUp(candidates.ranges.front().start, alignment)), 0};
  return FirstFit(candidates, 0, size, alignment);
}

// Size class k holds the sizes 2^(k-1)+1 ... 2^k; class 0 holds size 1.
static unsigned SizeClass(uint32_t size) { return size <= 1 ? 0 : unsigned(std::bit_width(size - 1)); }

std::optional<AddressRange> CandidateSpace::Find(uint32_t size, uint32_t alignment) {
  if (size == 0 || ranges.Empty())
    return FindSpace(ranges, size, alignment);
  unsigned sizeClass = SizeClass(size);
  uint32_t smallest = sizeClass == 0 ? 1 : (uint32_t(1) << (sizeClass - 1)) + 1;
  uint32_t &skip = skipBelow[sizeClass];
  auto &list = ranges.ranges;
  size_t first = std::lower_bound(list.begin(), list.end(), skip,
                                  [](const AddressRange &range, uint32_t address) { return range.start < address; }) -
                 list.begin();
  // Pieces of free memory only ever shrink, so a piece too small for the
  // whole class stays too small for it.
  while (first < list.size() && list[first].size < smallest) {
    skip = list[first].start + 1;
    ++first;
  }
  return FirstFit(ranges, first, size, alignment);
}

void CandidateSpace::Take(const AddressRange &range) { SubtractFromSeparate(ranges, range); }

uint32_t AutoAtAddress(std::string_view digits) {
  uint32_t base = 10;
  size_t at = 0;
  if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    at = 2;
  } else if (!digits.empty() && digits[0] == '0') {
    base = 8;
  }
  uint32_t value = 0;
  for (; at < digits.size(); ++at) {
    char c = digits[at];
    uint32_t digit = c >= '0' && c <= '9'   ? uint32_t(c - '0')
                     : c >= 'a' && c <= 'f' ? uint32_t(c - 'a' + 10)
                     : c >= 'A' && c <= 'F' ? uint32_t(c - 'A' + 10)
                                            : 16;
    if (digit >= base)
      break;
    value = value * base + digit;
  }
  return value;
}

namespace {

// Moves `range` from the free memory to the used memory.
void TakeMemory(BaseLinker &linker, const AddressRange &range) {
  SubtractFromSeparate(linker.memory->free, range);
  Union(linker.memory->used, range);
}

// ---------------------------------------------------------------------------
// Place in

void Allocate(BaseLinker &linker, CandidateSpace &candidates, Locatable &item) {
  if (item.IsMapped())
    return;
  if (item.state & StateDeferred) {
    LogLine("Deferring %s", item.Describe().c_str());
    return;
  }
  if (item.state & StateExceptionBlock)
    item.ProcessExceptionTables();
  std::optional<AddressRange> found = candidates.Find(item.Size(), item.Alignment());
  if (!found)
    return;
  candidates.Take(*found);
  TakeMemory(linker, *found);
  LogAllocation(found->start, item);
  item.Map(found->start);
}

// Allocates `items` in the statement's regions in order: what does not
// fit in one region is tried in the next.
void Execute(BaseLinker &linker, const PlaceInTask &task, const std::vector<Locatable *> &items,
             const AddressRange &exclusion, const char *prefix) {
  if (items.empty())
    return;
  for (const RangeList &region : task.regions) {
    Union(linker.placementRanges, region);
    RangeList free = linker.memory->free;
    Intersect(free, region);
    SubtractFromSeparate(free, exclusion);
    CandidateSpace candidates(std::move(free));
    LogLine("Executing place %sin %s (%u inputs selected)", prefix, LongText(candidates.Ranges()).c_str(),
            uint32_t(items.size()));
    LogLine("Candidate regions: %s", LongText(region).c_str());
    for (Locatable *item : items)
      Allocate(linker, candidates, *item);
  }
}

// The end of the highest placed item; 0 when none is placed.
uint32_t HighestEnd(const std::vector<Locatable *> &items) {
  uint32_t end = 0;
  for (const Locatable *item : items)
    if (item->IsMapped())
      end = std::max(end, item->Address() + item->Size());
  return end;
}

// The first or last items that this statement still holds; a stronger
// claim of another statement may have taken some of them away.
std::vector<Locatable *> HeldBy(const LinkBlock &block, const std::vector<Locatable *> &items) {
  std::vector<Locatable *> held;
  for (Locatable *item : items)
    if (item->selectedBy == &block)
      held.push_back(item);
  return held;
}

} // namespace

void PlaceInTask::PlaceIn(BaseLinker &linker) {
  std::vector<Locatable *> first = HeldBy(*block, block->placedFirst);
  std::vector<Locatable *> last = HeldBy(*block, block->placedLast);
  if (first.empty() && last.empty()) {
    Execute(linker, *this, block->members, AddressRange{}, "");
    return;
  }
  Execute(linker, *this, first, AddressRange{}, "first ");
  uint32_t end = HighestEnd(first);
  std::set<const Locatable *> edges(first.begin(), first.end());
  edges.insert(last.begin(), last.end());
  std::vector<Locatable *> rest;
  for (Locatable *member : block->members)
    if (!edges.count(member))
      rest.push_back(member);
  Execute(linker, *this, rest, AddressRange{0, end}, "");
  if (last.empty())
    return;
  // Above everything else of the statement, also when the rest is empty.
  end = std::max(end, HighestEnd(rest));
  Execute(linker, *this, last, AddressRange{0, end}, "last ");
}

// ---------------------------------------------------------------------------
// Place at

void PlaceAtTask::PlaceAt(BaseLinker &linker) {
  SortMembers(linker, block->members, block->order);
  uint32_t size = block->Size();
  AddressRange range{atEnd ? address - size : address, size};
  LogLine("Executing place at %s for %s (%u inputs selected)", LongText(range).c_str(), block->Describe().c_str(),
          uint32_t(block->members.size()));
  // A range that would run past the top of the address space (or start
  // below 0 for a block ending at its address) is not memory at all.
  bool wraps = atEnd ? size > address : uint64_t(range.start) + size > (uint64_t(1) << 32);
  if (wraps || !linker.memory->free.Contains(range))
    Fatal(linker, "can't place %s at %s", block->Describe().c_str(), LongText(range).c_str());
  Union(linker.placementRanges, range);
  TakeMemory(linker, range);
  block->Map(range.start);
}

void PlaceTask::Unplace(BaseLinker &) { block->Unmap(); }

// ---------------------------------------------------------------------------
// Auto-at sections

void BaseLinker::AutoAtSections() {
  if (!TestFlag(Flag::AutoAt))
    return;
  static constexpr std::string_view kPrefix = ".ARM.__at_";
  for (LinkSection *section : sectionsToPlace) {
    if (!section->name.starts_with(kPrefix))
      continue;
    LogLine("Creating 'place at' declaration for %s", section->Describe().c_str());
    std::string name(section->name);
    placementBlocks.push_back(std::make_unique<LinkBlock>(BlockPlaceAt, name));
    LinkBlock *block = placementBlocks.back().get();
    block->autoAt = 1;
    block->selector.sectionNames.push_back(name);
    mainTask->Add<PlaceAtTask>(block, AutoAtAddress(section->name.substr(kPrefix.size())), false);
  }
}

// ---------------------------------------------------------------------------
// The placement phase

void BaseLinker::Placement() {
  if (!memoryBeforePlacement && memory) {
    memoryBeforePlacement = std::make_unique<Memory>(*memory);
    placementRangesBefore = placementRanges;
  }
  placing = true;
  mainTask->Walk([this](ScriptTask &task) { task.PlaceAt(*this); });
  mainTask->Walk([this](ScriptTask &task) { task.PlaceIn(*this); });
  DefineSymbols();
  placing = false;
}

// Statements unmap their blocks and with them every member; a section
// that some statement placed on its own is unmapped here too.
void BaseLinker::UndoPlacement() {
  mainTask->Walk([this](ScriptTask &task) { task.Unplace(*this); });
  for (LinkSection *section : sectionsToPlace)
    if (section->IsMapped())
      section->Unmap();
  mappedBlocks.clear();
  if (memoryBeforePlacement) {
    *memory = *memoryBeforePlacement;
    placementRanges = placementRangesBefore;
  }
}

// ---------------------------------------------------------------------------
// Unplaced sections

namespace {

// The largest piece of free memory in `region`. Memory does not change
// while unplaced items are explained, so each region is measured once.
uint32_t LargestFreePiece(BaseLinker &linker, const RangeList &region) {
  auto [entry, fresh] = linker.largestFreePiece.emplace(&region, 0);
  if (!fresh)
    return entry->second;
  RangeList space = linker.memory->free;
  Intersect(space, region);
  for (const AddressRange &range : space.ranges)
    entry->second = std::max(entry->second, range.size);
  return entry->second;
}

} // namespace

// Only the statement that holds the item explains it.
void PlaceInTask::ExplainUnplaced(BaseLinker &linker, Locatable &item) {
  if (item.selectedBy != block)
    return;
  for (const RangeList &region : regions) {
    uint32_t largest = LargestFreePiece(linker, region);
    std::string where = LongText(region);
    if (largest == 0) {
      Error(linker, "  place in %s: region is full", where.c_str());
      continue;
    }
    uint32_t more = item.Size() > largest ? item.Size() - largest : 0;
    Error(linker, "  place in %s: largest free block is %u bytes, need %u bytes more", where.c_str(), largest,
          more);
  }
  Error(linker, "  try using a different sort order or place the most constrained objects before any others");
}

namespace {

void Explain(BaseLinker &linker, Locatable &item) {
  linker.mainTask->Walk([&linker, &item](ScriptTask &task) { task.ExplainUnplaced(linker, item); });
}

constexpr uint32_t kUnplacedErrorLimit = 20;

void ReportEachUnplaced(BaseLinker &linker, const std::vector<LinkSection *> &sections,
                        const std::vector<LinkBlock *> &blocks) {
  uint32_t reported = 0;
  for (LinkSection *section : sections) {
    if (reported == kUnplacedErrorLimit)
      break;
    ++reported;
    Error(linker, "unplaced section: %s (%s), symbol %s, size=%s, align=%u", section->DisplayName().c_str(),
          section->InputName().c_str(), PrimaryName(*section).c_str(),
          FormatSize(linker, section->Size()).c_str(), section->Alignment());
    Explain(linker, *section);
  }
  if (sections.size() > kUnplacedErrorLimit)
    Error(linker, "suppressed %u additional unplaced section errors", uint32_t(sections.size()) - kUnplacedErrorLimit);
  for (LinkBlock *block : blocks) {
    Error(linker, "unplaced block: %s [%s], size=%s, align=%u", block->Name().c_str(), block->InputName().c_str(),
          FormatSize(linker, block->Size()).c_str(), block->Alignment());
    Explain(linker, *block);
  }
}

void ListUnplaced(BaseLinker &linker, const std::vector<LinkSection *> &sections,
                  const std::vector<LinkBlock *> &blocks) {
  Error(linker, "not all sections placed: refer to unplaced section list");
  std::printf("\nUnplaced sections:\n");
  for (LinkSection *section : sections) {
    std::printf("  %s [%s]\n", section->Name().c_str(), section->InputName().c_str());
    Explain(linker, *section);
  }
  std::printf("\nUnplaced blocks:\n");
  for (LinkBlock *block : blocks) {
    std::printf("  %s [%s]\n", block->Name().c_str(), block->InputName().c_str());
    Explain(linker, *block);
  }
  std::fflush(stdout);
}

} // namespace

void BaseLinker::UnplacedSections() {
  largestFreePiece.clear();
  std::vector<LinkSection *> sections;
  for (LinkSection *section : sectionsToPlace)
    if (!section->IsMapped())
      sections.push_back(section);
  std::vector<LinkBlock *> blocks;
  for (LinkBlock *block : mappedBlocks)
    if (!block->IsMapped())
      blocks.push_back(block);
  if (TestFlag(Flag::ListAllUndefineds))
    ReportEachUnplaced(*this, sections, blocks);
  else
    ListUnplaced(*this, sections, blocks);
}

} // namespace tanrek
