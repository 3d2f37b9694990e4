// "Make inittab": builds the initialization table and its data once the
// image is laid out, then finds and places the two sections and the
// run-time routines the table refers to like any other input.
//
// The table is a list of 32-bit words. Each entry is the address of the
// routine that handles it followed by that routine's parameters:
//
//   zero      routine, destination, size
//   copy      routine, destination, source, size
//   lzss      routine, destination, source           (the stream ends itself)
//   packbits  routine, destination, source           (the stream ends itself)
//   zpak      routine, destination, source, size
//   call      the function
//   end       __TANREK_init_done when the start-up code defines it, else 0
//
// Every address word is an absolute relocation the linker makes, so the
// table follows wherever its targets and the data are placed; a routine is
// only referenced when an entry uses it.
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "init/packing.h"
#include "input/input_file.h"
#include "script/range_list.h"
#include "script/script_task.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

#include <algorithm>

namespace tanrek {

namespace {

// The run-time routine of each method that has table entries of its own,
// indexed by method (copy, lzss, packbits, zpak, zero).
constexpr const char *kRoutineNames[] = {
    "__TANREK_init_copy", "__TANREK_init_lzss", "__TANREK_init_pack", "__TANREK_init_zpak", "__TANREK_init_zero",
};
constexpr const char *kFillRoutineName = "__TANREK_init_fill";
// The order of the entries in the table.
constexpr uint32_t kTableOrder[] = {InitZero, InitCopy, InitLzss, InitPackbits, InitZpak};

struct InittabSymbols {
  Symbol *routines[5] = {};
  Symbol *data = nullptr;
};

LinkSection *MakeDeferredSection(BaseLinker &linker, const char *name) {
  LinkSection *section = MakeLinkerSection(linker, name, kShtProgbits, kShfAlloc, 0, 4);
  section->description = "Initialization table";
  section->state |= StateDeferred;
  section->relocationsLoaded = true;
  return section;
}

// A global symbol of the linker input at offset 0 of `section`.
Symbol *DefineSectionStart(BaseLinker &linker, const char *name, LinkSection &section) {
  Symbol *symbol = MakeLinkerSymbol(linker, name, 0);
  symbol->section = &section;
  symbol->sectionIndex = section.index;
  DefineGlobal(linker, symbol);
  linker.imageSymbols.insert(symbol);
  return symbol;
}

// A nameless local symbol at the start of a section: what a destination
// word is relocated against. It never reaches the output symbol table.
Symbol *SectionAnchor(BaseLinker &linker, Locatable &item) {
  auto *section = dynamic_cast<LinkSection *>(&item);
  if (!section)
    InternalError("initialization entry for %s is not a section", item.Describe().c_str());
  Symbol *anchor = MakeLinkerSymbol(linker, "", 0);
  anchor->info = 0;
  anchor->section = section;
  anchor->sectionIndex = section->index;
  return anchor;
}

InittabSymbols CreateInittabSections(BaseLinker &linker) {
  InittabSymbols symbols;
  for (uint32_t method = 0; method < std::size(kRoutineNames); ++method)
    symbols.routines[method] = MakeLinkerReference(linker, kRoutineNames[method]);
  MakeLinkerReference(linker, kFillRoutineName);
  linker.initTable = MakeDeferredSection(linker, ".tanrek.init.table");
  linker.initData = MakeDeferredSection(linker, ".tanrek.init.data");
  DefineSectionStart(linker, "__TANREK_init_table__", *linker.initTable);
  symbols.data = DefineSectionStart(linker, "__TANREK_init_data__", *linker.initData);
  return symbols;
}

// Turns every run of "auto" sections into a candidate, lets the selection
// choose its method and sets that method on the run's sections.
void ChoosePacking(BaseLinker &linker) {
  std::vector<PackingCandidate> candidates;
  for (InitEntry &run : GroupIntoRuns(std::move(SectionsByMethod(linker)[InitAuto]), InitAuto)) {
    PackingCandidate candidate;
    candidate.start = run.Start();
    candidate.size = run.Size();
    candidate.sections = std::move(run.sections);
    candidates.push_back(std::move(candidate));
  }
  SelectPacking(linker, candidates);
}

void LogMethodSections(uint32_t method, const std::vector<Locatable *> &sections) {
  if (sections.empty() || !LogOpen())
    return;
  LogLine("Initialize by %s:", InitMethodName(method));
  LogIndent();
  for (Locatable *section : sections)
    LogLine("%s %s [from %s]", LongText(AddressRange{section->Address(), section->Size()}).c_str(),
            section->Name().c_str(), section->InputName().c_str());
  LogOutdent();
}

std::vector<InitEntry> CollectEntries(BaseLinker &linker, const InittabSymbols &symbols) {
  std::vector<InitEntry> entries;
  MethodBuckets buckets = SectionsByMethod(linker);
  for (uint32_t method : kTableOrder) {
    std::vector<Locatable *> &sections = buckets[method];
    std::stable_sort(sections.begin(), sections.end(),
                     [](const Locatable *a, const Locatable *b) { return a->Address() < b->Address(); });
    LogMethodSections(method, sections);
    for (InitEntry &entry : GroupIntoRuns(std::move(sections), method)) {
      entry.routine = symbols.routines[method];
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

void EncodeEntry(BaseLinker &linker, InitEntry &entry) {
  if (entry.method > InitZero)
    Fatal(linker, "bad pack algorithm");
  if (entry.method == InitZero)
    return;
  if (entry.image.empty())
    entry.image = BuildImage(entry.sections, entry.Start(), entry.Size());
  if (entry.method == InitCopy) {
    entry.packed = entry.image;
    entry.packedSize = entry.Size();
    return;
  }
  entry.packedSize = EncodeImage(entry.method, entry.image, entry.packed);
}

// Appends words to the table; an address word carries its addend and a
// relocation against its symbol.
class TableWriter {
public:
  TableWriter(BaseLinker &linker, LinkSection &table) : linker(linker), table(table) {}

  void Word(uint32_t value) {
    size_t offset = words.size();
    words.resize(offset + 4);
    WriteU32(words.data() + offset, value);
  }

  void Address(Symbol *symbol, uint32_t addend) {
    Relocation relocation;
    relocation.type = linker.GetPara(1);
    relocation.offset = relocation.offsetAsRead = uint32_t(words.size());
    relocation.symbolOverride = symbol;
    table.relocations.push_back(relocation);
    Word(addend);
  }

  void Finish() {
    table.sh_size = uint32_t(words.size());
    table.SetReplacementContents(std::move(words));
  }

private:
  BaseLinker &linker;
  LinkSection &table;
  std::vector<uint8_t> words;
};

void WriteEntry(BaseLinker &linker, TableWriter &table, const InittabSymbols &symbols, InitEntry &entry,
                std::vector<uint8_t> &data) {
  entry.dataOffset = uint32_t(data.size());
  table.Address(entry.routine, 0);
  table.Address(SectionAnchor(linker, *entry.sections.front()), 0);
  if (entry.method == InitZero) {
    table.Word(entry.Size());
    return;
  }
  table.Address(symbols.data, entry.dataOffset);
  if (entry.method == InitCopy || entry.method == InitZpak)
    table.Word(entry.Size());
  data.insert(data.end(), entry.packed.begin(), entry.packed.begin() + entry.packedSize);
}

// Only start-up code that is already part of the link counts: looking the
// name up in an archive would load a table walker nobody calls.
void EndTable(BaseLinker &linker, TableWriter &table) {
  if (linker.globalSymbols.count("__TANREK_init_done")) {
    LogLine("Short-circuit initialization table is supported by startup code");
    table.Address(MakeLinkerReference(linker, "__TANREK_init_done"), 0);
  } else {
    LogLine("Short-circuit initialization table not supported by startup code");
    table.Word(0);
  }
}

// The table and its data were built after placement: reach them (and the
// routines they refer to) and place them like any other input.
void PlaceInittab(BaseLinker &linker) {
  linker.initTable->state &= ~StateDeferred;
  linker.initData->state &= ~StateDeferred;
  Require(linker, "__TANREK_init_table__");
  LogLine("Find and place additional sections required by initialization table");
  linker.FindSections();
  linker.FindSections();
  linker.SelectInputs();
  linker.mainTask->Walk([&linker](ScriptTask &task) { task.PlaceIn(linker); });
}

} // namespace

MethodBuckets SectionsByMethod(BaseLinker &linker) {
  MethodBuckets buckets;
  for (LinkSection *section : linker.sectionsToPlace)
    if (section->initMethod < buckets.size())
      buckets[section->initMethod].push_back(section);
  return buckets;
}

std::vector<InitEntry> GroupIntoRuns(std::vector<Locatable *> sections, uint32_t method) {
  std::stable_sort(sections.begin(), sections.end(),
                   [](const Locatable *a, const Locatable *b) { return a->Address() < b->Address(); });
  std::vector<InitEntry> runs;
  uint32_t end = 0;
  for (Locatable *section : sections) {
    if (section->Size() == 0)
      continue;
    if (runs.empty() || section->Address() != end) {
      runs.emplace_back();
      runs.back().method = method;
    }
    runs.back().sections.push_back(section);
    end = section->Address() + section->Size();
  }
  return runs;
}

void BaseLinker::MakeInittab() {
  InittabSymbols symbols = CreateInittabSections(*this);
  AssignInitMethods();
  ChoosePacking(*this);
  initEntries = CollectEntries(*this, symbols);
  for (InitEntry &entry : initEntries)
    EncodeEntry(*this, entry);

  TableWriter table(*this, *initTable);
  std::vector<uint8_t> data;
  for (InitEntry &entry : initEntries)
    WriteEntry(*this, table, symbols, entry, data);
  // Calls come after the entries of every method, in statement order.
  size_t firstCall = initEntries.size();
  mainTask->Walk([this](ScriptTask &task) { task.AddInitCalls(*this); });
  for (size_t i = firstCall; i < initEntries.size(); ++i)
    table.Address(initEntries[i].routine, 0);
  EndTable(*this, table);
  table.Finish();
  initData->sh_size = uint32_t(data.size());
  initData->SetReplacementContents(std::move(data));

  PlaceInittab(*this);
  if (initData->IsMapped())
    for (InitEntry &entry : initEntries)
      if (entry.method != InitCall && entry.method != InitZero)
        entry.dataOffset += initData->Address();
}

// The table was built from the contents as "Make inittab" found them, but
// the relocation passes after it can still change what a section holds (a
// pointer to a symbol defined later). The copies are taken again from the
// final contents; a packed stream that got shorter leaves zeros after its
// end. One that grew cannot move any more (everything around it is
// placed), so that is an error that says how to avoid it.
void BaseLinker::FinalizeInitializationData() {
  for (const std::unique_ptr<LinkCopiedBlock> &copy : copiedBlocks)
    if (copy->state & StateSynthesized)
      copy->Refresh();
  if (!initData || !initData->IsMapped())
    return;
  std::vector<uint8_t> data = initData->replacementContents;
  uint32_t offset = 0;
  for (InitEntry &entry : initEntries) {
    if (entry.method == InitCall || entry.method == InitZero)
      continue;
    std::vector<uint8_t> image = BuildImage(entry.sections, entry.Start(), entry.Size());
    if (image == entry.image) {
      offset += entry.packedSize;
      continue;
    }
    std::vector<uint8_t> packed = image;
    uint32_t size = entry.Size();
    if (entry.method != InitCopy)
      size = EncodeImage(entry.method, image, packed);
    if (size > entry.packedSize) {
      Error(*this,
            "initialization data for %s changed after it was packed and no longer fits: it refers to a symbol "
            "that only has its value after the initialization table is placed (the table's own symbols or a "
            "region symbol); initialize it with packing = none",
            LongText(AddressRange{entry.Start(), entry.Size()}).c_str());
      return;
    }
    std::fill_n(data.begin() + offset, entry.packedSize, 0);
    std::copy_n(packed.begin(), size, data.begin() + offset);
    offset += entry.packedSize;
  }
  initData->SetReplacementContents(std::move(data));
}

} // namespace tanrek
