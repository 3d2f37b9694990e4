// Pipeline phases owned by the object and archive readers (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::Ingest() {}
void BaseLinker::RewriteHeaders() {}
void BaseLinker::CheckAllocatable() {}

} // namespace tanrek
