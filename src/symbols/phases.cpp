// Pipeline phases owned by the symbol subsystem: wrapping, the
// reachability walk, and the linker-defined symbols.
//
// The walk resolves the required names one at a time in byte order and
// drains the section worklist completely after each name, so the order in
// which sections are reached does not depend on the order of relocations
// across names.
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

namespace tanrek {

// ---------------------------------------------------------------------------
// Wrap symbols

// References to a wrapped name go to "__wrap_<name>"; its definition is
// renamed "__real_<name>". Only global references are redirected, so weak
// references to a wrapped name stay undefined.
void BaseLinker::WrapSymbols() {
  if (wrappedSymbols.empty())
    return;
  LogLine("Wrapping symbols:");
  LogIndent();
  std::set<std::string, std::less<>> unwrapped(wrappedSymbols.begin(), wrappedSymbols.end());
  for (const auto &file : inputs) {
    bool announced = false;
    for (Symbol &symbol : file->symbols) {
      if (symbol.Binding() == kStbLocal || !wrappedSymbols.count(symbol.name))
        continue;
      bool reference = symbol.IsGlobalUndefined();
      bool definition = symbol.IsGlobalDefinition() || symbol.IsWeakDefinition();
      if (!reference && !definition)
        continue;
      if (!announced) {
        LogLine("In %s:", file->name.c_str());
        LogIndent();
        announced = true;
      }
      std::string name(symbol.name);
      if (reference) {
        LogLine("Wrapping reference of %s to be __wrap_%s", name.c_str(), name.c_str());
        symbol.name = SaveString("__wrap_" + name);
        globalSymbolsGeneration++;
        continue;
      }
      LogLine("Wrapping definition of %s to be __real_%s", name.c_str(), name.c_str());
      symbol.name = SaveString("__real_" + name);
      globalSymbols.erase(name);
      globalSymbols[symbol.name] = &symbol;
      globalSymbolsGeneration++;
      unwrapped.erase(name);
    }
    if (announced)
      LogOutdent();
  }
  LogOutdent();
  if (unwrapped.empty())
    return;
  LogLine("Unresolved wrap symbols:");
  LogIndent();
  for (const std::string &name : unwrapped) {
    LogLine("%s", name.c_str());
    Warning(*this, "wrapping requested for symbol '%s' but no definition of that symbol was found", name.c_str());
  }
  LogOutdent();
}

// ---------------------------------------------------------------------------
// Find sections

namespace {

class SectionWalk {
public:
  explicit SectionWalk(BaseLinker &linker) : linker(linker) {}

  void Run() {
    while (!linker.requiredNames.empty() || !linker.sectionWorklist.empty()) {
      if (!linker.requiredNames.empty()) {
        auto first = linker.requiredNames.begin();
        std::string name = *first;
        linker.requiredNames.erase(first);
        ResolveName(name);
      }
      Drain();
    }
  }

private:
  void Push(LinkSection *section) { linker.sectionWorklist.push_back(section); }

  void ResolveName(const std::string &name) {
    Symbol *definition = LookupGlobal(linker, name);
    if (!definition) {
      if (!linker.weakReferences.count(name))
        linker.undefinedSymbols.insert(name);
      return;
    }
    linker.resolvedNames.insert(name);
    linker.imageSymbols.insert(definition);
    LogLine("%s", "");
    LogLine("Selecting %s to define %s", definition->file->name.c_str(),
            DisplayName(linker, *definition).c_str());
    LogIndent();
    LogLine("Definition:     %s", DisplayName(linker, *definition).c_str());
    LinkSection *section = definition->section;
    if (section->TestAndSet(StateQueued)) {
      LogLine("Pushing section %s to worklist [originates from symbol %s]", section->Name().c_str(),
              DisplayName(linker, *definition).c_str());
      Push(section);
    }
    LogOutdent();
  }

  void Drain() {
    while (!linker.sectionWorklist.empty()) {
      LinkSection *section = linker.sectionWorklist.front();
      linker.sectionWorklist.pop_front();
      Process(*section);
    }
  }

  // The initialization and termination arrays of every file that
  // contributes a section come along, once.
  void PullInitArrays(InputFile *file) {
    if (!file)
      return;
    for (LinkSection *array : file->initArraySections)
      if (array->TestAndSet(StateQueued))
        Push(array);
    file->initArraySections.clear();
  }

  void Process(LinkSection &section) {
    if (section.state & StateDeferred)
      return;
    linker.sectionsToPlace.insert(&section);
    PullInitArrays(section.file);
    for (Symbol *symbol : section.symbols)
      linker.imageSymbols.insert(symbol);
    if (LogOpen()) {
      LogLine("%s", "");
      LogLine("Processing section: %s from %s", section.DisplayName().c_str(), section.InputName().c_str());
    }
    LogIndent();
    if (LinkSection *index = section.linkedIndexSection; index && index->TestAndSet(StateQueued)) {
      LogLine("Pushing corresponding exception index section %s to worklist", index->Name().c_str());
      Push(index);
    }
    for (const Relocation &relocation : Relocations(linker, section))
      Follow(section, relocation);
    LogOutdent();
  }

  void Follow(LinkSection &section, const Relocation &relocation) {
    if (!linker.IsRelocationAppliedChecked(relocation.type))
      return;
    Symbol *symbol = RelocationSymbol(section, relocation);
    switch (symbol->Binding()) {
    case kStbGlobal:
      if (Pending(symbol->name))
        return;
      if (LogOpen())
        LogLine("Reference:      %s", DisplayName(linker, *symbol).c_str());
      Require(linker, symbol->name);
      return;
    case kStbWeak:
      if (Pending(symbol->name))
        return;
      linker.weakReferences.emplace(symbol->name);
      if (LogOpen())
        LogLine("Weak reference: %s", DisplayName(linker, *symbol).c_str());
      Require(linker, symbol->name);
      return;
    case kStbLocal: {
      LinkSection *target = symbol->section;
      if (target->TestAndSet(StateQueued)) {
        Push(target);
        if (LogOpen())
          LogLine("Local section:  %s from %s using relocation %s", target->Name().c_str(),
                target->InputName().c_str(), linker.RelocationName(relocation.type).c_str());
      }
      linker.imageSymbols.insert(symbol);
      return;
    }
    default:
      return;
    }
  }

  bool Pending(std::string_view name) const {
    return linker.resolvedNames.count(name) || linker.requiredNames.count(name);
  }

  BaseLinker &linker;
};

} // namespace

// A block whose start, end or size symbol is referenced is placed even if
// nothing else refers to its contents.
static void SelectEsBlocks(BaseLinker &linker) {
  LogLine("Defining any required ES block symbols");
  LogIndent();
  for (const auto &[name, block] : linker.blockTable) {
    for (const char *suffix : {"_start__", "_end__", "_size__"}) {
      if (!linker.undefinedSymbols.count("__" + name + suffix))
        continue;
      if (linker.mappedBlocks.insert(block.get()).second)
        LogLine("Selecting %s to define __%s%s", block->Describe().c_str(), name.c_str(), suffix);
    }
  }
  LogOutdent();
}

void BaseLinker::FindSections() {
  if (TestFlag(Flag::AutoEsBlockSymbols))
    SelectEsBlocks(*this);
  SectionWalk(*this).Run();
  if (verbosity >= 2) {
    LogLine("%s", "");
    LogLine("Mapped sections:");
    LogIndent();
    for (const LinkSection *section : sectionsToPlace)
      LogLine("%s", section->Name().c_str());
    LogOutdent();
  }
}

} // namespace tanrek
