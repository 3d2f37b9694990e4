#include "symbols/symbol.h"

#include "driver/linker.h"

#include <cstdlib>
#include <cxxabi.h>

namespace tanrek {

std::string DisplayName(const BaseLinker &linker, const std::string &name) {
  if (!linker.TestFlag(Flag::PrettySymbolNames))
    return name;
  int status = 0;
  char *demangled = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status);
  if (status != 0 || !demangled)
    return name;
  std::string result(demangled);
  std::free(demangled);
  return result;
}

} // namespace tanrek
