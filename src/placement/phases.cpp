// Pipeline phases of the placement subsystem that later work fills in:
// the contents of linker-made items and the filling of requested ranges.
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::SyntheticSections() {}
void BaseLinker::FillRegions() {}

} // namespace tanrek
