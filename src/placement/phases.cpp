// Pipeline phases owned by selection and placement (not built yet).
#include "driver/linker.h"
#include "script/script_task.h"

namespace tanrek {

void DefineBlockTask::SelectInputs(BaseLinker &) {}
void PlaceTask::SelectInputs(BaseLinker &) {}
void PlaceTask::Unplace(BaseLinker &) {}
void PlaceInTask::PlaceIn(BaseLinker &) {}
void PlaceInTask::ExplainUnplaced(BaseLinker &, Locatable &) {}
void PlaceAtTask::PlaceAt(BaseLinker &) {}
void KeepTask::ApplyKeep(BaseLinker &) {}

void BaseLinker::KeepInputs() {}
void BaseLinker::AutoAtSections() {}
void BaseLinker::SelectInputs() {}
void BaseLinker::Placement() {}
void BaseLinker::UnplacedSections() {}
void BaseLinker::SyntheticSections() {}
void BaseLinker::FillRegions() {}
void BaseLinker::EmptySelects() {}

} // namespace tanrek
