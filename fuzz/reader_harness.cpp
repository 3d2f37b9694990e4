#include "reader_harness.h"

#include "harness_support.h"

#include "arm/arm_linker.h"
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "input/input_file.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

#include <cstring>
#include <memory>

namespace tanrek::fuzz {

namespace {

void Configure(ArmLinker &linker, uint8_t options) {
  linker.SetDefaultFlags();
  if (options & OptionBigEndian)
    linker.SetFlag(Flag::BigEndian);
  if (options & OptionLazyArchives)
    linker.SetFlag(Flag::LazyLoadArchives);
  if (options & OptionNoUnwind)
    linker.ClearFlag(Flag::UnwindTables);
  if (options & OptionStackSizes)
    linker.mapContents |= 0x8000;
  static const int32_t kVerbosity[] = {1, 2, 3, 1};
  linker.verbosity = kVerbosity[(options & OptionVerbosity) >> 4];
  if (options & OptionPlainNames)
    linker.ClearFlag(Flag::PrettySymbolNames);
  targetBigEndian = linker.TestFlag(Flag::BigEndian);
}

// The readers' part of ingesting one file named on the command line.
void Ingest(ArmLinker &linker, const uint8_t *data, size_t size, Result &result) {
  auto owned = std::make_unique<FileData>();
  if (size)
    std::memcpy(owned->Allocate(uint32_t(size)), data, size);
  else
    owned->Allocate(0);
  result.elf = IsElf(owned->data(), owned->size);
  result.archive = IsArchive(owned->data(), owned->size);
  owned->name = result.archive ? "fuzz-input.a" : "fuzz-input.o";
  linker.totalInputBytes += owned->size;
  linker.files.push_back(std::move(owned));
  FileData &file = *linker.files.back();
  if (result.elf) {
    ++linker.commandLineObjectCount;
    LoadObject(linker, MakeElfImage(linker, file.data(), file.size, file.name), false);
  } else if (result.archive) {
    LoadArchive(linker, file);
  }
}

// The read-only questions later phases ask of every section.
void Inspect(ArmLinker &linker, LinkSection &section) {
  (void)section.Name();
  (void)section.DisplayName();
  (void)section.Describe();
  (void)section.InputName();
  (void)section.Alignment();
  (void)section.Kind();
  if (Symbol *primary = section.PrimarySymbol())
    (void)DisplayName(linker, *primary);
}

// Everything after loading: wrapping, the section walk from every name the
// input defines or indexes, every relocation resolved, the header rewrite
// and the allocation check.
void Walk(ArmLinker &linker, bool wrap) {
  if (wrap) {
    if (!linker.globalSymbols.empty())
      linker.wrappedSymbols.emplace(linker.globalSymbols.begin()->first);
    if (!linker.archiveIndex.empty())
      linker.wrappedSymbols.emplace(linker.archiveIndex.rbegin()->first);
    linker.wrappedSymbols.emplace("__tanrek_fuzz_absent");
    linker.WrapSymbols();
  }
  for (const auto &entry : linker.globalSymbols)
    Require(linker, entry.first);
  for (const auto &entry : linker.archiveIndex)
    Require(linker, entry.first);
  linker.FindSections();
  // Resolving may load archive members, which appends to the inputs.
  for (size_t i = 0; i < linker.inputs.size(); ++i) {
    InputFile &file = *linker.inputs[i];
    for (size_t s = 0; s < file.sections.size(); ++s) {
      LinkSection &section = *file.sections[s];
      Inspect(linker, section);
      for (Relocation &relocation : Relocations(linker, section)) {
        Symbol *symbol = RelocationSymbol(section, relocation);
        (void)DisplayName(linker, *symbol);
        (void)symbol->Address();
        RelocationTarget target;
        target.relocation = &relocation;
        target.section = &section;
        ResolveTarget(linker, target);
      }
    }
  }
  linker.RewriteHeaders();
  linker.CheckAllocatable();
}

} // namespace

Result RunReaders(const uint8_t *data, size_t size) {
  Result result;
  if (size >= 0xFFFFFFFFu)
    return result;
  uint8_t options = TakeOptionByte(data, size);
  std::optional<std::string> fatal = RunWithFreshLinker(options & OptionLog, [&](ArmLinker &linker) {
    Configure(linker, options);
    Ingest(linker, data, size, result);
    Walk(linker, (options & OptionVerbosity) == OptionVerbosity);
  });
  if (fatal) {
    result.outcome = IsDefect(*fatal) ? Outcome::Defect : Outcome::Fatal;
    result.message = *fatal;
  }
  return result;
}

} // namespace tanrek::fuzz
