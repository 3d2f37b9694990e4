// Pipeline phases owned by image optimisation (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::MergeSections() {}
void BaseLinker::MergeStrings() {}
void BaseLinker::DedupeCode() {}
void BaseLinker::DedupeData() {}

} // namespace tanrek
