// One relocation entry of an input section, as read from its REL or RELA
// section. Entries are loaded on first use and kept for the whole run.
#pragma once

#include <cstdint>

namespace tanrek {

struct Symbol;

struct Relocation {
  uint32_t symbolIndex = 0; // r_info >> 8
  uint32_t type = 0;        // r_info & 0xFF
  uint32_t offset = 0;      // may be moved by transformations
  int32_t addend = 0;       // r_addend for RELA; REL addends stay in the contents
  uint32_t offsetAsRead = 0; // r_offset as read, never changed
  // When set, the relocation refers to this symbol instead of the file's
  // symbol at symbolIndex.
  Symbol *symbolOverride = nullptr;
};

} // namespace tanrek
