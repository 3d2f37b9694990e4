// Placement: every selected item gets an address. Place-at statements put
// their block at a fixed address; place-in statements allocate their items
// one at a time, first fit, from the free memory of their regions in the
// order written.
#pragma once

#include "script/range_list.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tanrek {

// The first range of `candidates` (sorted by start) that holds `size`
// bytes at `alignment`. Only the returned range is taken; the bytes that
// alignment skips stay free for later items.
std::optional<AddressRange> FindSpace(const RangeList &candidates, uint32_t size, uint32_t alignment);

// The address written after ".ARM.__at_" in a section name: 0x for
// hexadecimal, a leading 0 for octal, decimal otherwise, up to the first
// character that is not a digit of the base.
uint32_t AutoAtAddress(std::string_view digits);

} // namespace tanrek
