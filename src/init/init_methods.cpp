// Initialization methods: how each section in RAM gets its contents at
// start-up. Every reached section first gets the default of its kind (code
// and constants are loaded in place, initialized data is copied, zero-
// initialized data is zeroed); the initialize statements of the script
// then override that, later statements over earlier ones.
#include "driver/linker.h"
#include "driver/log.h"
#include "placement/selection.h"
#include "report/number_format.h"
#include "script/script_task.h"
#include "symbols/symbol.h"

#include <cstring>

namespace tanrek {

namespace {

uint32_t DefaultMethod(tanrek::Kind kind) {
  switch (kind) {
  case KindReadWrite:
    return InitCopy;
  case KindZeroInit:
    return InitZero;
  default:
    return InitImplicit;
  }
}

const char *DefaultMethodText(uint32_t method) {
  switch (method) {
  case InitCopy:
    return "Copy with packing=none initialization for %s from %s";
  case InitZero:
    return "Zero initialization for %s from %s";
  default:
    return "Implicit initialization for %s from %s";
  }
}

void ApplyDefaultMethods(BaseLinker &linker) {
  LogLine("Applying default initialization methods for mapped sections");
  bool verbose = linker.verbosity >= 2 && LogOpen();
  LogIndent();
  for (LinkSection *section : linker.sectionsToPlace) {
    uint32_t method = DefaultMethod(section->Kind());
    if (verbose)
      LogLine(DefaultMethodText(method), PrimaryName(*section).c_str(), section->InputName().c_str());
    section->SetInitMethod(method);
  }
  LogOutdent();
}

} // namespace

void BaseLinker::AssignInitMethods() {
  ApplyDefaultMethods(*this);
  SectionUniverse universe(contentSections);
  selectionUniverse = &universe;
  mainTask->Walk([this](ScriptTask &task) { task.ApplyInitialization(*this); });
  selectionUniverse = nullptr;
}

void InitializeTask::ApplyInitialization(BaseLinker &linker) {
  std::vector<Locatable *> items = MatchStatement(linker, selector, linker.contentSections);
  LogLine("Applying user initialization '%s': (%u inputs)", InitMethodName(method), uint32_t(items.size()));
  LogIndent();
  for (Locatable *item : items) {
    if (item->Size() != 0)
      LogLine("%s from %s", PrimaryName(*item).c_str(), item->InputName().c_str());
    item->SetInitMethod(method);
  }
  LogOutdent();
}

// A call is only worth making when there is something for it to
// initialize: one of the selected items has a size.
void InitializeCallingTask::AddInitCalls(BaseLinker &linker) {
  std::vector<Locatable *> items = MatchStatement(linker, selector, linker.sectionsToPlace);
  LogLine("Testing input sections to see if nonzero selected size");
  LogIndent();
  bool nonzero = false;
  for (Locatable *item : items) {
    LogLine("Locatable %s has size %s", item->Describe().c_str(), FormatSize(linker, item->Size()).c_str());
    if (item->Size() != 0) {
      nonzero = true;
      break;
    }
  }
  if (!nonzero)
    LogLine("All inputs (if any) have zero size");
  LogOutdent();
  std::string name(function->name);
  if (!nonzero) {
    LogLine("Excluding call to %s from initialization table as selectors have zero size", name.c_str());
    return;
  }
  LogLine("Including call to %s in initialization table as selectors have nonzero size", name.c_str());
  InitEntry call;
  call.method = InitCall;
  call.routine = function;
  linker.initEntries.push_back(std::move(call));
}

// ---------------------------------------------------------------------------
// Copied blocks

void LinkCopiedBlock::Synthesize() {
  if (!TestAndSet(StateSynthesized))
    return;
  LogLine("Create copy of block %s:", name.c_str());
  Refresh();
}

void LinkCopiedBlock::Refresh() {
  std::vector<uint8_t> bytes(Size());
  block->WriteContents(bytes.data());
  section->SetReplacementContents(std::move(bytes));
  section->sh_size = Size();
  contents = section->replacementContents.data();
}

} // namespace tanrek
