// Pipeline phases owned by the image writer (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::PrepareOutputImage() {}
void BaseLinker::RelocateImage() {}
void BaseLinker::CombineDebug() {}
void BaseLinker::WriteImage() {}

} // namespace tanrek
