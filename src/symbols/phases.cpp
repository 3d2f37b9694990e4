// Pipeline phases owned by the symbol subsystem (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::WrapSymbols() {}
void BaseLinker::FindSections() {}
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
