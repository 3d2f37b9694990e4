// Pipeline phases owned by the map file (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::PrintMap() {}

} // namespace tanrek
