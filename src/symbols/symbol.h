// The symbol record. Records are Serialized so that sets of symbols order
// by creation, which keeps every report and the output symbol table in the
// same order from run to run.
#pragma once

#include "placement/locatable.h"

#include <cstdint>
#include <string>

namespace tanrek {

class BaseLinker;

struct Symbol : Serialized {
  explicit Symbol(std::string name) : name(std::move(name)) {}
  std::string name;
};

// The name as a person reads it: demangled when PrettySymbolNames is set
// and the name demangles, otherwise the name itself.
std::string DisplayName(const BaseLinker &linker, const std::string &name);

} // namespace tanrek
