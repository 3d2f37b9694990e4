// The statement classes: what each one does for the define, dump and
// assertion walks. Selection, ordering, placement and initialization of
// the statements live with the subsystems that run those phases.
#include "script/script_task.h"

#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

namespace tanrek {

void ScriptTask::Adopt(std::unique_ptr<ScriptTask> child) {
  child->parent = this;
  children.push_back(std::move(child));
}

// ---------------------------------------------------------------------------
// define symbol

DefineSymbolTask::DefineSymbolTask(std::string name, ExprPtr expr, bool exported)
    : name(std::move(name)), expr(std::move(expr)), exported(exported) {}

// The new symbol shares the target's section and value, so it follows the
// target wherever placement puts it.
static void DefineAlias(BaseLinker &linker, const std::string &name, const Symbol &target) {
  Symbol *alias = MakeLinkerSymbol(linker, name, target.value);
  alias->section = target.section;
  alias->sectionIndex = target.sectionIndex;
  alias->shndx16 = target.shndx16;
  alias->size = target.size;
  alias->info = uint8_t(kStbGlobal << 4 | target.Type());
  RedefineLinkerSymbol(linker, alias);
}

// A plain symbol name makes an alias as soon as the symbol exists; any
// other expression defines an absolute symbol once its value is defined.
// Until then the task stays pending and the next define walk retries it.
void DefineSymbolTask::DefineSymbols(BaseLinker &linker) {
  if (done)
    return;
  if (const auto *reference = dynamic_cast<const LinkerSymbol *>(expr.get())) {
    Symbol *target = LookupGlobal(linker, reference->name);
    if (!target)
      return;
    DefineAlias(linker, name, *target);
    done = 1;
    return;
  }
  ExprValue value = Evaluate(linker, *expr);
  if (!value.defined)
    return;
  RedefineLinkerSymbol(linker, MakeLinkerSymbol(linker, name, value.value));
  done = 1;
  dependsOnPlacement = linker.placing;
}

void DefineSymbolTask::Unplace(BaseLinker &) {
  if (dependsOnPlacement)
    done = 0;
}

// ---------------------------------------------------------------------------
// Dump

void DefineSymbolTask::Dump(BaseLinker &) const { LogLine("define symbol %s", name.c_str()); }

DefineRegionTask::DefineRegionTask(std::string name, RangeList ranges)
    : name(std::move(name)), ranges(std::move(ranges)) {}

void DefineRegionTask::Dump(BaseLinker &) const {
  LogLine("define region %s = %s", name.c_str(), LongText(ranges).c_str());
}

// One line per section the block holds.
static void DumpInputs(const LinkBlock &block) {
  for (const Locatable *member : block.members)
    if (dynamic_cast<const LinkSection *>(member))
      LogLine("input %s from %s, size %u, align %u", member->Name().c_str(), member->InputName().c_str(),
              member->Size(), member->Alignment());
}

void DefineBlockTask::Dump(BaseLinker &) const {
  LogLine("define %s", block->name.c_str());
  LogIndent();
  if (block->fixedSize)
    LogLine("with fixed size %#x", block->size);
  DumpInputs(*block);
  for (const LinkBlock *nested : block->selector.blocks)
    LogLine("%s", nested->name.c_str());
  for (const LinkCopiedBlock *copy : block->selector.copiedBlocks)
    LogLine("copy of %s", copy->name.c_str());
  for (const LinkICVSection *check : block->selector.checks)
    LogLine("%s", check->Name().c_str());
  LogOutdent();
}

void PlaceAtTask::Dump(BaseLinker &) const {
  LogLine("place at 0x%08x", address);
  LogIndent();
  DumpInputs(*block);
  LogOutdent();
}

void PlaceInTask::Dump(BaseLinker &) const {
  std::string text;
  for (const RangeList &region : regions)
    text += (text.empty() ? "" : " then ") + LongText(region);
  LogLine("place in %s %s", text.c_str(), OrderName(block->order));
  LogIndent();
  DumpInputs(*block);
  LogOutdent();
}

// The selector as one line: "<prefix>{init_array,section .data,BLOCK,}",
// with "} except {section ...," before the closing brace when the except
// clause names sections.
static void DumpSelector(const std::string &prefix, const SectionSelector &selector) {
  std::string text = prefix + "{";
  if (selector.specialMask & kSelectInitArray)
    text += "init_array,";
  if (selector.specialMask & kSelectFiniArray)
    text += "fini_array,";
  for (const std::string &pattern : selector.sectionNames)
    text += Format("section %s,", pattern.c_str());
  for (const LinkBlock *block : selector.blocks)
    text += block->name + ",";
  for (const LinkCopiedBlock *copy : selector.copiedBlocks)
    text += copy->name + ",";
  for (const LinkICVSection *check : selector.checks)
    text += check->Name() + ",";
  if (!selector.except.sectionNames.empty()) {
    text += "} except {";
    for (const std::string &pattern : selector.except.sectionNames)
      text += Format("section %s,", pattern.c_str());
  }
  LogLine("%s}", text.c_str());
}

void KeepTask::Dump(BaseLinker &) const { DumpSelector("keep ", selector); }

void InitializeTask::Dump(BaseLinker &) const {
  if (method == InitNone)
    DumpSelector("do not initialize ", selector);
  else
    DumpSelector(Format("initialize by %s ", InitMethodName(method)), selector);
}

void InitializeCallingTask::Dump(BaseLinker &) const {
  DumpSelector(Format("initialize by calling %s ", std::string(function->name).c_str()), selector);
}

void AssertTask::Dump(BaseLinker &) const {
  if (message.empty())
    LogLine("assert at line %u, col %u", where.line, where.column);
  else
    LogLine("assert at line %u, col %u with %s \"%s\"", where.line, where.column, SeverityName(severity),
            message.c_str());
}

// ---------------------------------------------------------------------------
// assert

void AssertTask::Check(BaseLinker &linker) {
  ExprValue value = Evaluate(linker, *expr);
  if (!value.defined)
    DiagnoseAt(linker, where, severity, "user assertion value is undefined, assert failed");
  else if (value.value != 0)
    return;
  else if (message.empty())
    DiagnoseAt(linker, where, severity, "user assertion failed");
  else
    DiagnoseAt(linker, where, severity, "user assertion failed: %s", message.c_str());
}

const char *OrderName(uint32_t order) {
  static const char *const kNames[] = {
      "with any order",
      "with fixed order",
      "with linked order",
      "with alphabetical order",
      "with reverse alphabetical order",
      "with alignment order",
      "with alignment then size order",
      "with alignment then alphabetical order",
      "with size order",
      "with size then alignment order",
      "with reverse size order",
      "with access then size order",
      "with maximum packing",
      "with locality order",
      "with reference count order",
      "with exception order",
      "with unknown order",
      "with random order",
      "with auto order",
      "with address order",
  };
  return order < std::size(kNames) ? kNames[order] : "with unknown order";
}

} // namespace tanrek
