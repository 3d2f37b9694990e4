// Exception index tables. The unwinder binary-searches one table of 8-byte
// entries sorted by function address, and each entry covers the code up to
// the next entry. An exception block holds the index sections of the
// objects; when placement is about to place it, and the code is already
// placed, the block is turned into such a table:
//   1. cannot-unwind entries of an earlier placement pass are discarded and
//      entries that an earlier optimisation took out come back, so that
//      every pass starts from the input sections alone;
//   2. the index sections are sorted by the address of their code;
//   3. every gap between two pieces of code gets a cannot-unwind entry, so
//      that an address in the gap is not taken for the function before it;
//   4. a final cannot-unwind entry covers everything after the last code;
//   5. optionally, an entry whose unwinding repeats its predecessor's is
//      taken out (the predecessor then covers its code as well);
//   6. the block is measured again.
//
// An entry taken out must leave the table for good: it is not a member of
// the block (so it takes no room and is not written) and not a section to
// place (so it is not reported as unplaced). The block remembers it, with
// its removal note, for the map and for the next pass.
#include "placement/exception_index.h"

#include "driver/byte_order.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "placement/locatable.h"
#include "placement/ordering.h"
#include "placement/selection.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace tanrek {

namespace {

constexpr uint32_t kCantUnwind = 1; // EXIDX_CANTUNWIND
constexpr uint32_t kEntrySize = 8;

// "%08x-%08x" of the first and the last address of a range.
std::string RangeText(uint32_t start, uint32_t size) { return Format("%08x-%08x", start, start + size - 1); }

// ---------------------------------------------------------------------------
// 1. Start from the input sections

// Takes the cannot-unwind entries of an earlier pass out of the block, the
// sections to place, the content sections and the linker input. They are
// never freed: the linker input still owns them.
void DiscardCantUnwindEntries(BaseLinker &linker, LinkBlock &block) {
  LogLine("Remove any existing nounwind sections");
  LogIndent();
  std::unordered_set<const LinkSection *> discarded;
  auto discard = [&](Locatable *item) {
    auto *entry = dynamic_cast<LinkCantUnwindSection *>(item);
    if (!entry)
      return;
    LogLine("Discard %s", entry->Describe().c_str());
    linker.sectionsToPlace.erase(entry);
    linker.contentSections.erase(entry);
    discarded.insert(entry);
  };
  for (Locatable *member : block.members)
    discard(member);
  for (LinkSection *removed : block.removedIndexEntries)
    discard(removed);
  LogOutdent();
  if (discarded.empty())
    return;
  std::erase_if(block.members, [&](Locatable *item) { return discarded.count(dynamic_cast<LinkSection *>(item)); });
  std::erase_if(block.removedIndexEntries, [&](LinkSection *item) { return discarded.count(item); });
  std::erase_if(linker.linkerInput->sections, [&](LinkSection *item) { return discarded.count(item); });
}

// Puts the input sections that the last optimisation took out back where
// they were, or remembers the inputs of this pass.
void RestoreIndexInputs(BaseLinker &linker, LinkBlock &block) {
  if (block.removedIndexEntries.empty()) {
    block.indexInputs = block.members;
    return;
  }
  for (LinkSection *entry : block.removedIndexEntries) {
    entry->removalNote = nullptr;
    linker.sectionsToPlace.insert(entry);
  }
  block.removedIndexEntries.clear();
  block.members = block.indexInputs;
}

// ---------------------------------------------------------------------------
// 2-4. Cannot-unwind entries for the gaps and the end

// The code section that an index section describes, when it is placed.
const LinkSection *PlacedCode(const Locatable *member) {
  auto *section = dynamic_cast<const LinkSection *>(member);
  if (!section || !section->linkedTo || !section->linkedTo->IsMapped())
    return nullptr;
  return section->linkedTo;
}

// The entry belongs to its block as firmly as a section selected by name:
// selection, which runs again once the initialization table exists, must
// neither move it to the end of the block nor give it to another block.
LinkCantUnwindSection *AddCantUnwindEntry(BaseLinker &linker, LinkBlock &block, uint32_t start, uint32_t size) {
  LinkCantUnwindSection *entry = MakeCantUnwindSection(linker, start, size);
  entry->selectedBy = &block;
  entry->selectStrength = StrengthName;
  entry->initMethod = block.initMethod;
  linker.sectionsToPlace.insert(entry);
  return entry;
}

// Sorts the index sections by the address of their code and inserts the
// cannot-unwind entries. A gap is filled only when the next code starts
// above the end of the previous one: two index sections of the same code
// would otherwise give an entry for a range that wraps round, out of order.
void InsertCantUnwindEntries(BaseLinker &linker, LinkBlock &block) {
  LogLine("Process exception table %s to insert nounwind entries", block.Describe().c_str());
  LogIndent();
  SortByLinkedOrder(block.members);
  std::vector<Locatable *> table;
  table.reserve(2 * block.members.size() + 1);
  const LinkSection *previous = nullptr;
  uint32_t count = 0;
  for (Locatable *member : block.members) {
    const LinkSection *code = PlacedCode(member);
    if (!code) {
      LogLine("%s linked section isn't mapped", member->Name().c_str());
      table.push_back(member);
      continue;
    }
    uint32_t end = previous ? previous->Address() + previous->Size() : 0;
    if (previous && code->Address() > end) {
      uint32_t size = code->Address() - end;
      LinkCantUnwindSection *gap = AddCantUnwindEntry(linker, block, end, size);
      table.push_back(gap);
      LogLine("#%-5u %s -> %s", ++count, RangeText(end, size).c_str(), gap->Name().c_str());
    }
    LogLine("#%-5u %s -> %s", ++count, RangeText(code->Address(), code->Size()).c_str(), member->Name().c_str());
    table.push_back(member);
    previous = code;
  }
  // Up to the end of the address space: 2^32 - end bytes.
  uint32_t end = previous ? previous->Address() + previous->Size() : 0;
  table.push_back(AddCantUnwindEntry(linker, block, end, previous ? 0 - end : 0));
  block.members = std::move(table);
  LogOutdent();
}

// ---------------------------------------------------------------------------
// 5. Index optimisation

// The second words of a section's entries as far as the optimisation is
// concerned. An entry whose second word is relocated points to unwind data
// in .ARM.extab and is never equal to anything.
struct UnwindWords {
  // The word every entry shares, when all of them are EXIDX_CANTUNWIND or
  // the same inline compact model.
  std::optional<uint32_t> shared;
  // The word of the last entry, the one the next section's code follows.
  std::optional<uint32_t> last;
};

bool IsFoldable(uint32_t word) { return word == kCantUnwind || (word & 0x80000000); }

UnwindWords ReadUnwindWords(BaseLinker &linker, LinkSection &section) {
  const uint8_t *bytes = section.Contents();
  uint32_t entries = section.Size() / kEntrySize;
  if (!bytes || section.sh_type == kShtNobits || entries == 0)
    return {};
  std::vector<bool> relocated(entries, false);
  for (const Relocation &relocation : Relocations(linker, section))
    if (relocation.type != 0 && relocation.offset % kEntrySize == 4 && relocation.offset / kEntrySize < entries)
      relocated[relocation.offset / kEntrySize] = true;
  auto word = [&](uint32_t entry) -> std::optional<uint32_t> {
    uint32_t value = ReadU32(bytes + entry * kEntrySize + 4);
    if (relocated[entry] || !IsFoldable(value))
      return std::nullopt;
    return value;
  };
  UnwindWords words;
  words.last = word(entries - 1);
  words.shared = word(0);
  for (uint32_t entry = 1; entry < entries && words.shared; ++entry)
    if (word(entry) != words.shared)
      words.shared.reset();
  return words;
}

// Whether the code that an entry covers has an address. Entries of code
// without one are not next to anything known, so they are neither taken
// out nor let others be taken out against them. The linker's own entries
// cover known ranges.
bool CoversPlacedCode(const LinkSection &section) {
  return !section.linkedTo || section.linkedTo->IsMapped();
}

// A section is taken out when all its entries unwind exactly as the entry
// just before it; a run of equal entries collapses onto its first. A
// section of several entries that differ stays whole.
void OptimizeIndex(BaseLinker &linker, LinkBlock &block) {
  LogLine("Optimize exception index to remove consecutive identical-unwind sections");
  LogIndent();
  std::vector<Locatable *> kept;
  kept.reserve(block.members.size());
  const Locatable *predecessor = nullptr;
  std::optional<uint32_t> predecessorWord;
  for (Locatable *member : block.members) {
    auto *section = dynamic_cast<LinkSection *>(member);
    UnwindWords words =
        section && CoversPlacedCode(*section) ? ReadUnwindWords(linker, *section) : UnwindWords{};
    if (predecessorWord && words.shared == predecessorWord) {
      LogLine("Remove %s as predecessor %s has identical compact unwinding 0x%08X", member->Name().c_str(),
              predecessor->Name().c_str(), *predecessorWord);
      section->removalNote = kRemovedByIndexOptimization;
      linker.sectionsToPlace.erase(section);
      block.removedIndexEntries.push_back(section);
      continue;
    }
    kept.push_back(member);
    predecessor = member;
    predecessorWord = words.last;
  }
  block.members = std::move(kept);
  LogOutdent();
}

} // namespace

LinkCantUnwindSection *MakeCantUnwindSection(BaseLinker &linker, uint32_t start, uint32_t size) {
  auto owned = std::make_unique<LinkCantUnwindSection>(start, size);
  owned->file = linker.linkerInput.get();
  auto *entry = static_cast<LinkCantUnwindSection *>(linker.linkerInput->AddSection(std::move(owned)));
  linker.contentSections.insert(entry);
  return entry;
}

void CompleteExceptionTable(BaseLinker &linker, LinkBlock &block) {
  DiscardCantUnwindEntries(linker, block);
  RestoreIndexInputs(linker, block);
  InsertCantUnwindEntries(linker, block);
  if (linker.TestFlag(Flag::OptimizeExceptionIndex))
    OptimizeIndex(linker, block);
  LogLine("Rerun size and alignment constraints");
  LogIndent();
  SizeAndAlignBlock(linker, block);
  LogOutdent();
}

void LinkBlock::ProcessExceptionTables() {
  if (theLinker && (state & StateExceptionBlock))
    CompleteExceptionTable(*theLinker, *this);
}

} // namespace tanrek
