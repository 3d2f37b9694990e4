#include "symbols/symbol.h"

#include "driver/format.h"
#include "driver/linker.h"

#include <cstdlib>
#include <cxxabi.h>

namespace tanrek {

uint32_t Symbol::Address() const { return section ? section->Address() + value : value; }

std::string DisplayName(const BaseLinker &linker, std::string_view name) {
  std::string text(name);
  // Only mangled entity names are demangled: the demangler also reads bare
  // type codes, and would show a symbol named "f" as "float".
  if (!linker.TestFlag(Flag::PrettySymbolNames) || !name.starts_with("_Z"))
    return text;
  int status = 0;
  char *demangled = abi::__cxa_demangle(text.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !demangled)
    return text;
  std::string result(demangled);
  std::free(demangled);
  return result;
}

std::string DisplayName(const BaseLinker &linker, Symbol &symbol) {
  if (!linker.TestFlag(Flag::PrettySymbolNames))
    return std::string(symbol.name);
  if (symbol.prettyName.empty())
    symbol.prettyName = DisplayName(linker, symbol.name);
  return symbol.prettyName;
}

const char *BindingName(uint8_t binding) {
  static const char *const kNames[] = {"STB_LOCAL", "STB_GLOBAL", "STB_WEAK"};
  return binding < 3 ? kNames[binding] : "unknown";
}

std::string SymbolTypeName(uint8_t type) {
  switch (type) {
  case kSttNotype:
    return "STT_NOTYPE";
  case kSttObject:
    return "STT_OBJECT";
  case kSttFunc:
    return "STT_FUNC";
  case kSttSection:
    return "STT_SECTION";
  case kSttFile:
    return "STT_FILE";
  case kSttCommon:
    return "STT_COMMON";
  case kSttTls:
    return "STT_TLS";
  default:
    return Format("unknown: %d", type);
  }
}

} // namespace tanrek
