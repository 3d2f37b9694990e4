// The two number formats of the map file and the log: addresses and sizes,
// each chosen by a bit set of the linker (--map-addr-format=,
// --map-size-format=).
#pragma once

#include <cstdint>
#include <string>

namespace tanrek {

class BaseLinker;

// Address format bits: 1 upper-case digits, 2 split form (high'low),
// 4 "0x" prefix, 8 fixed width.
std::string FormatAddress(uint32_t format, uint32_t value);
// Size format bits: 4 decimal, 1 grouping, 2 upper-case hexadecimal.
std::string FormatSize(uint32_t format, uint32_t value);

std::string FormatAddress(const BaseLinker &linker, uint32_t value);
std::string FormatSize(const BaseLinker &linker, uint32_t value);

} // namespace tanrek
