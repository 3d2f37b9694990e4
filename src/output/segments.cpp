// Program segments: the placed sections in address order, cut into
// segments, and each item's share of its segment's bytes and of the
// section header table.
//
// A segment holds the file bytes from its lowest member up to its last
// loaded member, gaps included as zeros, so a gap is only allowed where
// the bytes in between belong to the image anyway: less than 16 bytes, and
// inside memory that placement handed out. Items initialized at run time
// (zeroed or copied by start-up code) own no file bytes and never share a
// segment with loaded items, so such a segment has p_filesz 0.
#include "output/output_phases.h"

#include "driver/linker.h"
#include "driver/log.h"
#include "output/output_image.h"

#include <algorithm>

namespace tanrek {

namespace {

// The item's flags in its segment; SHF_ARM_NOREAD only survives when every
// member of an Arm image has it.
void JoinFlags(OutputSegment &segment, uint32_t flags) {
  segment.flags |= flags;
  if (!(flags & kShfArmNoread))
    segment.allNoRead = false;
  if (!segment.allNoRead && theLinker->GetPara(2) == EM_ARM)
    segment.flags &= ~kShfArmNoread;
}

// Records an output section that describes `item` inside its segment.
void BindOutputSection(Locatable &item, OutputSegment &segment, uint32_t type, uint32_t entrySize) {
  BaseLinker &linker = *theLinker;
  if (linker.sectionHeaderMode == 0 || item.outputSection)
    return;
  OutputSection *section = linker.image->AddNewSection(item.Name(), type, item.Flags());
  section->header.sh_entsize = entrySize;
  section->boundItem = &item;
  section->boundSegment = &segment;
  section->boundLoaded = !item.InitAtRuntime();
  item.outputSection = section;
}

// True for the blocks that get a header of their own with block section
// headers: those a define block statement named and placement mapped. The
// implicit blocks of placement statements only group their members.
bool HasBlockHeader(const LinkBlock &block) { return block.blockKind == BlockDefined && block.IsMapped(); }

// With block section headers, each block that holds the item gets its own
// header before the first of its members, outermost block first.
void BindEnclosingBlocks(Locatable &item, OutputSegment &segment) {
  if (theLinker->sectionHeaderMode != 2)
    return;
  std::vector<LinkBlock *> chain;
  for (LinkBlock *block = item.selectedBy; block && !block->outputSection; block = block->selectedBy)
    if (HasBlockHeader(*block))
      chain.push_back(block);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    LinkBlock &block = **it;
    if (!block.segment)
      block.segment = &segment;
    BindOutputSection(block, segment, block.members.empty() ? SHT_NOBITS : SHT_PROGBITS, 0);
  }
}

// Joins the item to the segment; an item loaded in place also appends
// zeros up to its address and then its bytes: those of `source` or
// `bytes`, zeros when it has neither.
void JoinSegment(Locatable &item, OutputSegment &segment, const LinkSection *source, const uint8_t *bytes) {
  uint32_t address = item.Address();
  uint32_t size = item.Size();
  if (segment.members.empty())
    segment.start = segment.end = segment.fileEnd = address;
  segment.members.push_back(&item);
  JoinFlags(segment, item.Flags());
  segment.alignment = std::max(segment.alignment, item.Alignment());
  segment.end = std::max(segment.end, address + size);
  if (item.InitAtRuntime() || address + size <= segment.fileEnd)
    return;
  OutputImage &image = *theLinker->image;
  if (address > segment.fileEnd)
    image.AddZeros(segment.contents, address - segment.fileEnd);
  // An item that overlaps the bytes already written only adds its tail.
  uint32_t skip = address < segment.fileEnd ? segment.fileEnd - address : 0;
  if (source)
    segment.contents.AddContents(*source, skip, size - skip);
  else if (bytes)
    segment.contents.Add(bytes + skip, size - skip);
  else
    image.AddZeros(segment.contents, size - skip);
  segment.fileEnd = address + size;
}

// The occupied memory as sorted ranges with touching and overlapping ones
// merged, so that a gap is checked with one search.
std::vector<AddressRange> MergedRanges(const RangeList &list) {
  std::vector<AddressRange> ranges = list.ranges;
  std::sort(ranges.begin(), ranges.end(),
            [](const AddressRange &a, const AddressRange &b) { return a.start < b.start; });
  std::vector<AddressRange> merged;
  for (const AddressRange &range : ranges) {
    if (!merged.empty()) {
      AddressRange &last = merged.back();
      uint64_t lastAfter = uint64_t(last.start) + last.size;
      if (range.start <= lastAfter) {
        uint64_t after = std::max(lastAfter, uint64_t(range.start) + range.size);
        last.size = uint32_t(std::min<uint64_t>(after - last.start, 0xFFFFFFFFu));
        continue;
      }
    }
    merged.push_back(range);
  }
  return merged;
}

bool Covers(const std::vector<AddressRange> &merged, uint32_t start, uint32_t after) {
  auto it = std::upper_bound(merged.begin(), merged.end(), start,
                             [](uint32_t address, const AddressRange &r) { return address < r.start; });
  if (it == merged.begin())
    return false;
  --it;
  return uint64_t(it->start) + it->size >= after;
}

// Every placed section except the absolute pseudo-section, by address;
// an empty section comes before a non-empty one at the same address.
std::vector<LinkSection *> PlacedSections(BaseLinker &linker) {
  std::vector<LinkSection *> placed;
  for (LinkSection *section : linker.sectionsToPlace)
    if (section->index != kIndexAbsolute && section->IsMapped())
      placed.push_back(section);
  std::stable_sort(placed.begin(), placed.end(), [](const LinkSection *a, const LinkSection *b) {
    if (a->Address() != b->Address())
      return a->Address() < b->Address();
    return a->Size() < b->Size();
  });
  return placed;
}

} // namespace

void LinkSection::AddToSegment(OutputSegment *newSegment) {
  segment = newSegment;
  BindEnclosingBlocks(*this, *newSegment);
  bool hasBytes = sh_type != SHT_NOBITS && Contents();
  JoinSegment(*this, *newSegment, hasBytes ? this : nullptr, nullptr);
  BindOutputSection(*this, *newSegment, sh_type, sh_entsize);
}

void LinkBlock::AddToSegment(OutputSegment *newSegment) {
  segment = newSegment;
  BindEnclosingBlocks(*this, *newSegment);
  if (theLinker->sectionHeaderMode == 2 && HasBlockHeader(*this))
    BindOutputSection(*this, *newSegment, members.empty() ? SHT_NOBITS : SHT_PROGBITS, 0);
  for (Locatable *member : members) {
    member->AddToSegment(newSegment);
    member->segment = newSegment;
  }
}

void LinkCopiedBlock::AddToSegment(OutputSegment *newSegment) {
  segment = newSegment;
  std::vector<uint8_t> bytes(Size());
  WriteContents(bytes.data());
  JoinSegment(*this, *newSegment, nullptr, theLinker->image->Keep(std::move(bytes)));
  BindOutputSection(*this, *newSegment, SHT_PROGBITS, 0);
}

void CreateProgramSections(BaseLinker &linker) {
  LogLine("Create program sections");
  LogIndent();
  std::vector<AddressRange> occupied;
  if (linker.memory)
    occupied = MergedRanges(linker.memory->used);
  OutputSegment *segment = nullptr;
  const LinkSection *previous = nullptr;
  for (LinkSection *section : PlacedSections(linker)) {
    uint32_t address = section->Address();
    bool split = !segment || address < segment->end || address - segment->end >= 16 ||
                 (address > segment->end && !Covers(occupied, segment->end, address)) ||
                 section->InitAtRuntime() != previous->InitAtRuntime();
    if (split) {
      LogLine("Start program header at 0x%08x", address);
      segment = linker.image->AddSegment();
    }
    section->AddToSegment(segment);
    previous = section;
  }
  LogOutdent();
}

} // namespace tanrek
