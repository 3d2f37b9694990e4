// Pipeline phases of the placement subsystem that work on placed items:
// the contents of linker-made items and the filling of requested ranges.
#include "driver/linker.h"

namespace tanrek {

// Blocks make their fills and placeholders, copied blocks their images;
// both happen once per item, whatever the number of passes.
void BaseLinker::SyntheticSections() {
  for (LinkBlock *block : mappedBlocks)
    block->Synthesize();
  for (const std::unique_ptr<LinkCopiedBlock> &copy : copiedBlocks)
    copy->Synthesize();
}

void BaseLinker::FillRegions() {}

} // namespace tanrek
