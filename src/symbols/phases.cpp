// Pipeline phases owned by the symbol subsystem (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::WrapSymbols() {}
void BaseLinker::FindSections() {}
void BaseLinker::CreateBlockSymbols() {}
void BaseLinker::MakeBlockSymbols() {}
void BaseLinker::RegionSymbols() {}
void BaseLinker::ThreadLocalStorage() {}

} // namespace tanrek
