// The global symbol table. One definition per name; a later definition of
// the same name is settled by fixed precedence rules, taken in order:
// weak against weak (larger wins), weak against strong, common against
// common (larger wins), common against non-common (error), then where the
// definitions come from (named objects beat archive members, the later of
// two archive members wins), and finally two strong definitions (error).
// Conflicts reported over three lines count as one error, and the first
// definition stays so that the link can go on and find more problems.
#include "symbols/symbol_table.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "report/number_format.h"
#include "symbols/symbol.h"

namespace tanrek {

static const char *FileName(const Symbol *symbol) { return symbol->file ? symbol->file->name.c_str() : ""; }

static bool InDebugSection(const Symbol *symbol) {
  return symbol->section && symbol->section->name.starts_with(".debug_");
}

static bool IsCommon(const Symbol *symbol) { return symbol->section && symbol->section->madeForCommon; }

static bool FromArchive(const Symbol *symbol) { return symbol->file && symbol->file->fromArchive; }

// A problem reported over three lines counts as one error.
static void CountOnce(BaseLinker &linker) {
  uint32_t &errors = linker.diagnosticCounts[SeverityError];
  errors = errors >= 2 ? errors - 2 : 0;
}

static void ReportMultiplyDefined(BaseLinker &linker, Symbol *next, Symbol *existing) {
  Error(linker, "multiply defined global symbol %s", DisplayName(linker, *next).c_str());
  Error(linker, "  defined by %s", FileName(next));
  Error(linker, "  and     by %s", FileName(existing));
  CountOnce(linker);
}

// Settles a second definition of a name; true when `next` replaces
// `existing`.
static bool Supersedes(BaseLinker &linker, Symbol *next, Symbol *existing) {
  std::string name = DisplayName(linker, *next);
  bool existingWeak = existing->IsWeakDefinition(), nextWeak = next->IsWeakDefinition();
  if (existingWeak && nextWeak) {
    if (next->size <= existing->size)
      return false;
    LogLine("Replace existing weak symbol %s of size %s with one of size %s", std::string(next->name).c_str(),
            FormatSize(linker, existing->size).c_str(), FormatSize(linker, next->size).c_str());
    return true;
  }
  if (existingWeak) {
    LogLine("Weak symbol %s [%s] replaced by strong definition [%s]", name.c_str(), FileName(existing),
            FileName(next));
    return true;
  }
  if (nextWeak) {
    LogLine("Strong symbol %s [%s] kept after finding weak definition [%s]", name.c_str(), FileName(existing),
            FileName(next));
    return false;
  }
  if (IsCommon(existing) && IsCommon(next)) {
    uint32_t existingSize = existing->section->Size(), nextSize = next->section->Size();
    if (existingSize >= nextSize)
      return false;
    LogLine("Common symbol %s size increased from %s to %s", name.c_str(), FormatSize(linker, existingSize).c_str(),
            FormatSize(linker, nextSize).c_str());
    return true;
  }
  if (IsCommon(existing) != IsCommon(next)) {
    auto kind = [](const Symbol *s) { return IsCommon(s) ? "common" : "non-common"; };
    Error(linker, "conflicting common definition for global symbol %s", name.c_str());
    Error(linker, "  defined %s by %s", kind(next), FileName(next));
    Error(linker, "  and     %s by %s", kind(existing), FileName(existing));
    CountOnce(linker);
    return false;
  }
  if (FromArchive(existing) && FromArchive(next)) {
    LogLine("Two definitions of %s in input libraries, arbitrarily choosing definition in %s over definition in %s",
            name.c_str(), FileName(next), FileName(existing));
    return true;
  }
  if (!FromArchive(existing) && FromArchive(next)) {
    LogLine("Library definition of %s in %s ignored as it is defined by %s", name.c_str(), FileName(next),
            FileName(existing));
    return false;
  }
  if (FromArchive(existing) && !FromArchive(next)) {
    LogLine("Replacing library definition of %s in %s by definition in %s", name.c_str(), FileName(existing),
            FileName(next));
    return true;
  }
  ReportMultiplyDefined(linker, next, existing);
  return false;
}

// A definition satisfies a name that was undefined so far; the next "Find
// sections" pulls it in.
static void NoteDefined(BaseLinker &linker, std::string_view name) {
  auto undefined = linker.undefinedSymbols.find(name);
  if (undefined == linker.undefinedSymbols.end())
    return;
  linker.undefinedSymbols.erase(undefined);
  Require(linker, name);
}

void DefineGlobal(BaseLinker &linker, Symbol *symbol) {
  if (InDebugSection(symbol))
    return;
  if (linker.verbosity > 1)
    LogLine("Define symbol %s", std::string(symbol->name).c_str());
  auto [entry, inserted] = linker.globalSymbols.try_emplace(symbol->name, symbol);
  if (!inserted && Supersedes(linker, symbol, entry->second))
    entry->second = symbol;
  if (entry->second == symbol)
    linker.globalSymbolsGeneration++;
  NoteDefined(linker, symbol->name);
}

void RedefineLinkerSymbol(BaseLinker &linker, Symbol *symbol) {
  if (InDebugSection(symbol))
    return;
  if (linker.verbosity > 1)
    LogLine("Redefine linker symbol %s", std::string(symbol->name).c_str());
  auto [entry, inserted] = linker.globalSymbols.try_emplace(symbol->name, symbol);
  if (!inserted) {
    Symbol *existing = entry->second;
    if (existing->section == &linker.absoluteSection || existing->IsWeakDefinition()) {
      linker.imageSymbols.erase(existing);
      linker.imageSymbols.insert(symbol);
      entry->second = symbol;
    } else {
      ReportMultiplyDefined(linker, symbol, existing);
    }
  }
  if (entry->second == symbol)
    linker.globalSymbolsGeneration++;
  NoteDefined(linker, symbol->name);
}

Symbol *MakeLinkerSymbol(BaseLinker &linker, std::string_view name, uint32_t value) {
  auto symbol = std::make_unique<Symbol>();
  symbol->name = linker.SaveString(std::string(name));
  symbol->value = value;
  symbol->info = kStbGlobal << 4;
  symbol->file = linker.linkerInput.get();
  symbol->section = &linker.absoluteSection;
  symbol->sectionIndex = kIndexAbsolute;
  symbol->shndx16 = 0xFFF1;
  linker.linkerSymbols.push_back(std::move(symbol));
  return linker.linkerSymbols.back().get();
}

Symbol *MakeLinkerReference(BaseLinker &linker, std::string_view name) {
  Symbol *symbol = MakeLinkerSymbol(linker, name, 0);
  symbol->section = nullptr;
  symbol->sectionIndex = kIndexUndefined;
  symbol->shndx16 = 0;
  return symbol;
}

Symbol *DefineGlobalSymbol(BaseLinker &linker, std::string_view name, uint32_t value) {
  Symbol *symbol = MakeLinkerSymbol(linker, name, value);
  DefineGlobal(linker, symbol);
  linker.imageSymbols.insert(symbol);
  LogLine("Define global symbol %s = 0x%08x", std::string(name).c_str(), value);
  return symbol;
}

void DefineIfUndefined(BaseLinker &linker, std::string_view name, uint32_t value) {
  if (linker.undefinedSymbols.count(name))
    DefineGlobalSymbol(linker, name, value);
}

void Require(BaseLinker &linker, std::string_view name) { linker.requiredNames.emplace(name); }

Symbol *LookupGlobal(BaseLinker &linker, std::string_view name) {
  auto entry = linker.globalSymbols.find(name);
  if (entry != linker.globalSymbols.end())
    return entry->second;
  if (!linker.TestFlag(Flag::LazyLoadArchives))
    return nullptr;
  DemandLoad(linker, name);
  entry = linker.globalSymbols.find(name);
  return entry != linker.globalSymbols.end() ? entry->second : nullptr;
}

// Every relocation pass resolves the same few thousand names once per
// relocation; a reference keeps the definition it found until the table
// changes. The generation is read after the lookup, which may itself load
// an archive member and so change the table.
static Symbol *LookupReference(BaseLinker &linker, Symbol &reference) {
  if (reference.lookupGeneration != linker.globalSymbolsGeneration) {
    reference.lookupResult = LookupGlobal(linker, reference.name);
    reference.lookupGeneration = linker.globalSymbolsGeneration;
  }
  return reference.lookupResult;
}

void ResolveTarget(BaseLinker &linker, RelocationTarget &target) {
  Relocation &relocation = *target.relocation;
  Symbol *symbol = RelocationSymbol(*target.section, relocation);
  target.symbol = symbol;
  target.value = uint32_t(relocation.addend);
  target.unresolved = target.undefinedWeak = false;
  switch (symbol->Binding()) {
  case kStbLocal:
    target.value += symbol->Address();
    return;
  case kStbGlobal: {
    Symbol *definition = LookupReference(linker, *symbol);
    if (definition)
      target.symbol = definition;
    if (definition && definition->section && definition->section->IsMapped()) {
      target.value += definition->Address();
    } else {
      target.value = 0;
      target.unresolved = true;
    }
    return;
  }
  case kStbWeak: {
    Symbol *definition = LookupReference(linker, *symbol);
    if (definition) {
      target.symbol = definition;
      target.value += definition->Address();
    } else {
      target.value = 0;
      target.undefinedWeak = true;
    }
    return;
  }
  default:
    Fatal(linker, "cannot handle binding (%d)", symbol->Binding());
  }
}

} // namespace tanrek
