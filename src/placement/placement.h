// Placement: every selected item gets an address. Place-at statements put
// their block at a fixed address; place-in statements allocate their items
// one at a time, first fit, from the free memory of their regions in the
// order written.
#pragma once

#include "script/range_list.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tanrek {

class LinkSection;

// The first range of `candidates` (sorted by start) that holds `size`
// bytes at `alignment`. Only the returned range is taken; the bytes that
// alignment skips stay free for later items.
std::optional<AddressRange> FindSpace(const RangeList &candidates, uint32_t size, uint32_t alignment);

// The free part of a statement's region while its items are allocated:
// FindSpace, with a memory of the pieces that are too small for each class
// of sizes, so that a region full of alignment gaps is not walked again
// for every item.
class CandidateSpace {
public:
  explicit CandidateSpace(RangeList free) : ranges(std::move(free)) {}
  std::optional<AddressRange> Find(uint32_t size, uint32_t alignment);
  // Removes an allocated range.
  void Take(const AddressRange &range);
  const RangeList &Ranges() const { return ranges; }

private:
  RangeList ranges;
  // Per size class: every piece starting below this address is too small.
  std::array<uint32_t, 33> skipBelow = {};
};

// The address written after ".ARM.__at_" in a section name: 0x for
// hexadecimal, a leading 0 for octal, decimal otherwise, up to the first
// character that is not a digit of the base.
uint32_t AutoAtAddress(std::string_view digits);

// Grows a section to `newSize` bytes; the new bytes are 0. The section's
// pristine contents become replacement contents that grow in place.
void GrowSection(LinkSection &section, uint32_t newSize);
// Pads the section's size to a multiple of its alignment, using at most 16
// as the unit, with the padding log line.
void PadSection(LinkSection &section);

} // namespace tanrek
