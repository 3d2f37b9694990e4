// Section ordering (not built yet).
#include "placement/ordering.h"

#include "driver/linker.h"
#include "script/script_task.h"

namespace tanrek {

void SortMembers(BaseLinker &, std::vector<Locatable *> &, uint32_t) {}
void SizeAndAlignBlock(BaseLinker &, LinkBlock &) {}

void DefineBlockTask::SortInputs(BaseLinker &) {}
void PlaceInTask::SortInputs(BaseLinker &) {}
void PlaceAtTask::SortInputs(BaseLinker &) {}
void DefineBlockTask::SizeAndAlign(BaseLinker &) {}
void PlaceAtTask::SizeAndAlign(BaseLinker &) {}

void BaseLinker::ReferenceCounting() {}
void BaseLinker::SortInputs() {}
void BaseLinker::SizeAndAlignment() {}

} // namespace tanrek
