// The symbol record: one per symbol read from an object, and one per symbol
// the linker makes. Records are Serialized so that sets of symbols order by
// creation, which keeps every report and the output symbol table in the
// same order from run to run.
#pragma once

#include "placement/locatable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tanrek {

class BaseLinker;
class InputFile;
class LinkSection;

// Symbol bindings and types of st_info.
constexpr uint8_t kStbLocal = 0, kStbGlobal = 1, kStbWeak = 2;
constexpr uint8_t kSttNotype = 0, kSttObject = 1, kSttFunc = 2, kSttSection = 3, kSttFile = 4;
constexpr uint8_t kSttCommon = 5, kSttTls = 6;

struct Symbol : Serialized {
  uint32_t nameOffset = 0;
  uint32_t value = 0;
  uint32_t size = 0;
  uint8_t info = 0;
  uint8_t other = 0;
  uint16_t shndx16 = 0;
  InputFile *file = nullptr;
  LinkSection *section = nullptr;
  uint32_t index = 0;
  uint32_t valueAsRead = 0xFFFFFFFF;
  // Points into the file's string table, or at text the linker owns.
  std::string_view name;
  std::string prettyName;
  uint32_t sectionIndex = 0;
  uint32_t stackSize = 0;
  uint8_t hasStackSize = 0;
  // For a global or weak reference: the definition that the name had in
  // the global symbol table at generation lookupGeneration.
  Symbol *lookupResult = nullptr;
  uint32_t lookupGeneration = 0;

  uint8_t Binding() const { return info >> 4; }
  uint8_t Type() const { return info & 15; }
  bool IsWeakDefinition() const { return Binding() == kStbWeak && sectionIndex != 0; }
  bool IsGlobalDefinition() const { return Binding() == kStbGlobal && sectionIndex != 0; }
  bool IsGlobalUndefined() const { return Binding() == kStbGlobal && sectionIndex == 0; }
  // The section's address plus the value; the value alone without a section.
  uint32_t Address() const;
};

// The name as a person reads it: demangled when PrettySymbolNames is set
// and the name demangles, otherwise the name itself.
std::string DisplayName(const BaseLinker &linker, std::string_view name);
// The same for a record; the demangled name is cached in the record.
std::string DisplayName(const BaseLinker &linker, Symbol &symbol);

// "STB_LOCAL", "STB_GLOBAL", "STB_WEAK", else "unknown".
const char *BindingName(uint8_t binding);
// "STT_NOTYPE" ... "STT_TLS", else "unknown: %d".
std::string SymbolTypeName(uint8_t type);

} // namespace tanrek
