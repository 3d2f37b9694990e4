// Padding of section sizes to their alignment (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::PadSections() {}

} // namespace tanrek
