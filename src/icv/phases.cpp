// Registration of the integrity-check algorithms (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::RegisterIntegrityAlgorithms() {}

} // namespace tanrek
