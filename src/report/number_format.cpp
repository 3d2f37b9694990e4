#include "report/number_format.h"

#include "driver/format.h"
#include "driver/linker.h"

namespace tanrek {

std::string FormatAddress(uint32_t format, uint32_t value) {
  bool upper = format & 1, split = format & 2, prefix = format & 4, fixed = format & 8;
  std::string text = prefix ? "0x" : "";
  if (split && (value > 0xFFFF || fixed)) {
    if (fixed)
      return text + Format(upper ? "%04X'%04X" : "%04x'%04x", value >> 16, value & 0xFFFF);
    return text + Format(upper ? "%X'%04X" : "%x'%04x", value >> 16, value & 0xFFFF);
  }
  if (fixed)
    return text + Format(upper ? "%08X" : "%08x", value);
  return text + Format(upper ? "%X" : "%x", value);
}

// Thousands groups separated by single blanks.
static std::string GroupedDecimal(uint32_t value) {
  if (value < 1000)
    return Format("%u", value);
  if (value < 1000000)
    return Format("%u %03u", value / 1000, value % 1000);
  if (value < 1000000000)
    return Format("%u %03u %03u", value / 1000000, value / 1000 % 1000, value % 1000);
  return Format("%u %03u %03u %03u", value / 1000000000, value / 1000000 % 1000, value / 1000 % 1000,
                value % 1000);
}

std::string FormatSize(uint32_t format, uint32_t value) {
  bool grouping = format & 1, upper = format & 2, decimal = format & 4;
  if (decimal)
    return grouping ? GroupedDecimal(value) : Format("%u", value);
  if (grouping && value >= 0x10000)
    return Format(upper ? "0x%X'%04X" : "0x%x'%04x", value >> 16, value & 0xFFFF);
  return Format(upper ? "0x%X" : "0x%x", value);
}

std::string FormatAddress(const BaseLinker &linker, uint32_t value) {
  return FormatAddress(linker.mapAddressFormat, value);
}

std::string FormatSize(const BaseLinker &linker, uint32_t value) { return FormatSize(linker.mapSizeFormat, value); }

} // namespace tanrek
