// The initialization table: the list that start-up code walks to zero RAM,
// copy (optionally packed) data into it and call initialization routines.
//
// Each entry covers one contiguous run of sections that share a method.
// The table holds, per entry, the address of the run-time routine for the
// method and that routine's parameter words; the packed or plain source
// images go to a second section, the initialization data.
#pragma once

#include "placement/locatable.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {

class BaseLinker;
struct Symbol;

struct InitEntry {
  std::vector<Locatable *> sections;
  uint32_t method = InitCopy;
  Symbol *routine = nullptr;
  // The plain contents of the run, built when first needed.
  std::vector<uint8_t> image;
  // What the initialization data holds for the entry.
  std::vector<uint8_t> packed;
  uint32_t packedSize = 0;
  // The offset of `packed` in the initialization data; once that is
  // placed, its address.
  uint32_t dataOffset = 0;

  uint32_t Start() const { return sections.front()->Address(); }
  uint32_t Size() const {
    const Locatable *last = sections.back();
    return last->Address() + last->Size() - Start();
  }
};

// Groups `sections` (each with the same method) into entries of
// contiguous runs: sorted by address, sections of size 0 left out, a new
// entry wherever a section does not start at the end of the previous one.
std::vector<InitEntry> GroupIntoRuns(std::vector<Locatable *> sections, uint32_t method);

// The reached sections by initialization method (one list per method, in
// serial order), from one walk over them.
using MethodBuckets = std::array<std::vector<Locatable *>, InitImplicit + 1>;
MethodBuckets SectionsByMethod(BaseLinker &linker);

} // namespace tanrek
