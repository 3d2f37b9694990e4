// Pipeline phases owned by the script subsystem.
#include "driver/diagnostics.h"
#include "driver/linker.h"

namespace tanrek {

// Turns the loaded scripts into statements. The statement parser is not
// built yet: a link needs at least one script, which is checked here.
void BaseLinker::ParseScript() {
  if (scriptFiles.empty())
    Fatal(*this, "no linker script");
}

void BaseLinker::DefineSymbols() {}
void BaseLinker::DumpScriptTasks() {}
void BaseLinker::RunAssertions() {}

} // namespace tanrek
