// Range list arithmetic.
//
// The operations keep the exact shapes that placement and the map file
// depend on: nothing is merged, a split cuts one range, and a union may
// leave overlapping ranges behind. Binary searches only narrow down where
// an operation acts; they never change what it does.
//
// Ranges that run past the top of the address space (start + size above
// 2^32, so that the last byte is below the start) are not pieces of memory;
// the arithmetic compares their wrapped last byte like any other and gives
// no meaningful result for them. A range that ends exactly at 0xFFFFFFFF is
// fine: its address-after is 0, and every operation allows for that.
#include "script/range_list.h"

#include "driver/format.h"

#include <algorithm>
#include <cstddef>

namespace tanrek {

namespace {

// The first index for which `below` is false, by bisection. When `below`
// holds for a prefix of the ranges and for none after it, that is the end
// of the prefix. Unlike std::partition_point this is well-defined for any
// order: it ends at an index i where `below` is false for range i (or i is
// the size) and true for range i - 1 (or i is 0).
template <typename Below>
size_t FirstNot(const std::vector<AddressRange> &ranges, Below below) {
  size_t low = 0;
  size_t high = ranges.size();
  while (low < high) {
    size_t middle = low + (high - low) / 2;
    if (below(ranges[middle]))
      low = middle + 1;
    else
      high = middle;
  }
  return low;
}

// The first index whose range starts above `address`; every range before
// it starts at or below `address`.
size_t FirstStartAbove(const std::vector<AddressRange> &ranges, uint32_t address) {
  return FirstNot(ranges, [address](const AddressRange &r) { return r.start <= address; });
}

// The first index whose range starts at or above `address`.
size_t FirstStartNotBelow(const std::vector<AddressRange> &ranges, uint32_t address) {
  return FirstNot(ranges, [address](const AddressRange &r) { return r.start < address; });
}

} // namespace

uint32_t RangeList::Lowest() const { return ranges.empty() ? 0 : ranges.front().start; }

uint32_t RangeList::After() const { return ranges.empty() ? 0 : ranges.back().After(); }

uint32_t RangeList::Span() const { return After() - Lowest(); }

// Any range may hold the address, also one that lies far below it inside
// a longer overlapping range, so after the last range starting at or below
// the address the walk goes on downwards until one holds it. In a list of
// separate pieces the first range looked at decides a true answer; a false
// answer costs one step per range starting below the address.
bool RangeList::Contains(uint32_t address) const {
  for (size_t i = FirstStartAbove(ranges, address); i > 0; --i) {
    if (ranges[i - 1].Last() >= address)
      return true;
  }
  return false;
}

// Only the first range whose last byte is not below the range's start is
// asked. In a list where no range ends before an earlier one (every list
// of separate pieces is such a list) bisection finds exactly that range.
// A union can build a list whose last bytes do not rise ([0, 0x10F] |
// [0x50, 0x2FF] | [0x100, 0x1FF] keeps all three, in that order); the
// bisection then stops at one range whose last byte is not below the start
// while its predecessor's is, and that range decides. The answer is
// deterministic and nothing is read out of bounds; std::partition_point
// would make such a list undefined behaviour.
bool RangeList::Contains(const AddressRange &range) const {
  if (range.Empty())
    return Contains(range.start);
  size_t i = FirstNot(ranges, [&range](const AddressRange &r) { return r.Last() < range.start; });
  if (i == ranges.size())
    return false;
  return ranges[i].start <= range.start && ranges[i].Last() >= range.Last();
}

void Union(RangeList &list, const AddressRange &range) {
  if (range.Empty() || list.Contains(range))
    return;
  std::vector<AddressRange> &ranges = list.ranges;
  size_t at = FirstStartNotBelow(ranges, range.start);
  ranges.insert(ranges.begin() + static_cast<std::ptrdiff_t>(at), range);
  // The ranges that follow and end within the new one are swallowed; the
  // first that ends beyond it stops the sweep, even when later ones would
  // end within it again.
  size_t end = at + 1;
  while (end < ranges.size() && ranges[end].Last() <= range.Last())
    ++end;
  ranges.erase(ranges.begin() + static_cast<std::ptrdiff_t>(at + 1),
               ranges.begin() + static_cast<std::ptrdiff_t>(end));
}

void Union(RangeList &list, const RangeList &other) {
  if (&list == &other) {
    RangeList copy = other;
    Union(list, copy);
    return;
  }
  for (const AddressRange &range : other.ranges)
    Union(list, range);
}

// The walk goes from the last range towards the first and acts on the first
// range that matters for the address: one starting or ending exactly there
// leaves the list as it is, one holding the address inside it is cut, and
// either ends the walk. In a list of separate pieces no range below the
// one that ends the walk could be cut, so stopping there is the same as
// going on. In an overlapping list an earlier range may also hold the
// address; it is left whole. The upper piece of a cut range goes through
// Union like any other range, with its containment test and its sweep of
// the ranges that follow.
//
// Ranges starting above the address can never matter (their address-after
// is above it too, or 0 for one ending at 0xFFFFFFFF, and nothing is cut at
// 0), so the walk begins at the last range starting at or below the
// address. Below that it goes on past ranges that end under the address,
// which in an overlapping list may be all of them. In a list of separate
// pieces (`separate`) every earlier range ends before the first one looked
// at begins, so the walk can stop there with the same result.
static void SplitAt(RangeList &list, uint32_t address, bool separate) {
  // Nothing starts below 0: the walk would stop or do nothing.
  if (address == 0)
    return;
  std::vector<AddressRange> &ranges = list.ranges;
  for (size_t i = FirstStartAbove(ranges, address); i > 0; --i) {
    AddressRange &range = ranges[i - 1];
    if (range.start == address || range.After() == address)
      return;
    if (range.Last() >= address) {
      AddressRange upper{address, range.After() - address};
      range.size = address - range.start;
      Union(list, upper);
      return;
    }
    if (separate)
      return;
  }
}

void SplitAt(RangeList &list, uint32_t address) { SplitAt(list, address, false); }

// True when every range ends before the next one begins. Cutting a range
// and removing ranges keep a list so, which lets the operations on whole
// lists test it once.
static bool Separate(const RangeList &list) {
  const std::vector<AddressRange> &ranges = list.ranges;
  for (size_t i = 1; i < ranges.size(); ++i)
    if (uint64_t(ranges[i - 1].start) + ranges[i - 1].size > ranges[i].start)
      return false;
  return true;
}

// Subtracting nothing leaves the list as it is; splitting at the start of
// an empty range would cut a range for no reason.
static void Subtract(RangeList &list, const AddressRange &range, bool separate) {
  if (range.Empty())
    return;
  SplitAt(list, range.start, separate);
  SplitAt(list, range.After(), separate);
  // A range within `range` starts between its start and last byte.
  std::vector<AddressRange> &ranges = list.ranges;
  auto from = ranges.begin() + static_cast<std::ptrdiff_t>(FirstStartNotBelow(ranges, range.start));
  auto to = ranges.begin() + static_cast<std::ptrdiff_t>(FirstStartAbove(ranges, range.Last()));
  if (to <= from)
    return;
  auto kept = std::remove_if(from, to, [&range](const AddressRange &r) {
    return r.Last() <= range.Last();
  });
  ranges.erase(kept, to);
}

void Subtract(RangeList &list, const AddressRange &range) { Subtract(list, range, false); }

void SubtractFromSeparate(RangeList &list, const AddressRange &range) { Subtract(list, range, true); }

void Subtract(RangeList &list, const RangeList &other) {
  if (&list == &other) {
    RangeList copy = other;
    Subtract(list, copy);
    return;
  }
  bool separate = Separate(list);
  for (const AddressRange &range : other.ranges)
    Subtract(list, range, separate);
}

void Intersect(RangeList &list, const RangeList &other) {
  if (&list == &other) {
    RangeList copy = other;
    Intersect(list, copy);
    return;
  }
  bool separate = Separate(list);
  for (const AddressRange &range : other.ranges) {
    SplitAt(list, range.start, separate);
    SplitAt(list, range.After(), separate);
  }
  std::erase_if(list.ranges, [&other](const AddressRange &r) { return !other.Contains(r); });
}

std::string LongText(const AddressRange &range) {
  if (range.Empty())
    return Format("[0x%08x size 0]", range.start);
  return Format("[0x%08x to 0x%08x]", range.start, range.Last());
}

std::string LongText(const RangeList &list) {
  if (list.Empty())
    return "[]";
  std::string text;
  for (const AddressRange &range : list.ranges) {
    if (!text.empty())
      text += " + ";
    text += LongText(range);
  }
  return text;
}

std::string ShortText(const RangeList &list) {
  if (list.Empty())
    return "[]";
  std::string text;
  for (const AddressRange &range : list.ranges) {
    if (range.Empty())
      continue;
    if (!text.empty())
      text += "+";
    text += Format("%08x-%08x", range.start, range.Last());
  }
  return text;
}

Memory::Memory() { free.ranges.push_back(AddressRange{0, 0xFFFFFFFF}); }

} // namespace tanrek
