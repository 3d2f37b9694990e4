// Pipeline phases owned by the script subsystem.
#include "driver/linker.h"
#include "driver/log.h"
#include "script/script_parser.h"
#include "script/script_task.h"

namespace tanrek {

void BaseLinker::ParseScript() { ParseScripts(*this); }

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
