// Linker-defined symbols (not built yet).
#include "driver/linker.h"

namespace tanrek {

// Block symbols, then every statement's define step, so that definitions
// that use block symbols see their values.
void BaseLinker::CreateBlockSymbols() {
  MakeBlockSymbols();
  DefineSymbols();
}

void BaseLinker::MakeBlockSymbols() {}
void BaseLinker::RegionSymbols() {}
void BaseLinker::ThreadLocalStorage() {}

} // namespace tanrek
