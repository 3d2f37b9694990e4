// Address ranges and range lists: the regions of the script and the free
// and used space of the memory.
//
// A range list is kept sorted by start and is never normalised: adjacent
// ranges stay separate, and a union can leave overlapping ranges in the
// list. Every consumer treats each range as a separate piece of memory, so
// the list operations must keep exactly these shapes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {

struct AddressRange {
  uint32_t start = 0;
  uint32_t size = 0;

  bool Empty() const { return size == 0; }
  // The last byte and the address after it; both wrap at 32 bits.
  uint32_t Last() const { return start + size - 1; }
  uint32_t After() const { return start + size; }
};

struct RangeList {
  // Non-empty ranges, sorted by start.
  std::vector<AddressRange> ranges;

  bool Empty() const { return ranges.empty(); }
  // The first range's start; 0 for an empty list.
  uint32_t Lowest() const;
  // The last range's start plus size; 0 for an empty list.
  uint32_t After() const;
  // After() - Lowest(), holes included; 0 for an empty list.
  uint32_t Span() const;
  bool Contains(uint32_t address) const;
  // An empty range is contained when some range contains its start.
  bool Contains(const AddressRange &range) const;
};

void Union(RangeList &list, const AddressRange &range);
void Union(RangeList &list, const RangeList &other);
// Cuts the range that holds `address` (not at its start) in two.
void SplitAt(RangeList &list, uint32_t address);
void Subtract(RangeList &list, const AddressRange &range);
void Subtract(RangeList &list, const RangeList &other);
// Subtract from a list made of separate pieces, such as the free memory:
// the same result, without looking past the piece the range falls in.
void SubtractFromSeparate(RangeList &list, const AddressRange &range);
void Intersect(RangeList &list, const RangeList &other);

// "[0x%08x to 0x%08x]" (start, last byte), or "[0x%08x size 0]" for an
// empty range.
std::string LongText(const AddressRange &range);
// LongText of each range joined by " + "; "[]" for an empty list.
std::string LongText(const RangeList &list);
// "%08x-%08x" per non-empty range joined by "+"; "[]" when empty.
std::string ShortText(const RangeList &list);

// The one address space of the link.
struct Memory {
  Memory();
  std::string name = "mem";
  // Initially the single range from 0 of size 0xFFFFFFFF.
  RangeList free;
  RangeList used;
};

} // namespace tanrek
