// Pipeline phases owned by start-up initialization (not built yet).
#include "driver/linker.h"

namespace tanrek {

void BaseLinker::AssignInitMethods() {}
void BaseLinker::MakeInittab() {}

} // namespace tanrek
