// Pipeline phases owned by selection and placement (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::KeepInputs() {}
void BaseLinker::ReferenceCounting() {}
void BaseLinker::AutoAtSections() {}
void BaseLinker::SelectInputs() {}
void BaseLinker::PadSections() {}
void BaseLinker::SortInputs() {}
void BaseLinker::SizeAndAlignment() {}
void BaseLinker::Placement() {}
void BaseLinker::UnplacedSections() {}
void BaseLinker::SyntheticSections() {}
void BaseLinker::FillRegions() {}
void BaseLinker::EmptySelects() {}

} // namespace tanrek
