// Pipeline phases owned by the image writer: relocation of every placed
// section, the debug sections and the output file.
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::PrepareOutputImage() {}

// Every pass starts from the unrelocated contents, so that each one gives
// the same bytes for the same layout and the last one wins.
void BaseLinker::RelocateImage() {
  for (LinkSection *section : sectionsToPlace)
    RelocateSection(*section, RelocationApply);
}

void BaseLinker::CombineDebug() {}
void BaseLinker::WriteImage() {}

} // namespace tanrek
