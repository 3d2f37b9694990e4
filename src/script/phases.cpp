// Pipeline phases owned by the script subsystem.
#include "driver/linker.h"
#include "driver/log.h"
#include "script/script_parser.h"
#include "script/script_task.h"

namespace tanrek {

// Option statements may change the byte order and the section header mode,
// which the output image's header and first sections depend on. Nothing has
// been added to the image yet, so it is prepared again with the settings
// the scripts leave.
void BaseLinker::ParseScript() {
  ParseScripts(*this);
  if (image)
    PrepareOutputImage();
}

// Definitions whose value is not known yet stay pending; each walk
// retries them.
void BaseLinker::DefineSymbols() {
  mainTask->Walk([this](ScriptTask &task) { task.DefineSymbols(*this); });
}

void BaseLinker::DumpScriptTasks() {
  if (!LogOpen())
    return;
  LogOutdent();
  LogLine("Internal linker script");
  LogIndent();
  mainTask->Walk([this](ScriptTask &task) { task.Dump(*this); });
}

void BaseLinker::RunAssertions() {
  mainTask->Walk([this](ScriptTask &task) { task.Check(*this); });
}

} // namespace tanrek
