// Pipeline phases owned by the object and archive readers.
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"

#include <algorithm>

namespace tanrek {

static void LogGlobalSymbols(BaseLinker &linker) {
  for (bool weak : {false, true}) {
    LogLine("%s", "");
    LogLine(weak ? "Weak symbols:" : "Global symbols:");
    LogIndent();
    for (const auto &[name, symbol] : linker.globalSymbols)
      if (symbol->IsWeakDefinition() == weak)
        LogLine("%s", std::string(name).c_str());
    LogOutdent();
  }
}

// Reads every input named on the command line: objects are loaded,
// archives are loaded or indexed, anything else is skipped.
void BaseLinker::Ingest() {
  for (const std::string &path : inputFiles) {
    FileData *file = LoadFile(*this, path, true);
    if (IsElf(file->data(), file->size)) {
      ++commandLineObjectCount;
      LoadObject(*this, MakeElfImage(*this, file->data(), file->size, file->name), false);
    } else if (IsArchive(file->data(), file->size)) {
      LoadArchive(*this, *file);
    }
  }
  if (verbosity >= 2)
    LogGlobalSymbols(*this);
}

// Every reached section must be allocatable; one that is not is taken as
// allocatable with a warning.
void BaseLinker::CheckAllocatable() {
  for (LinkSection *section : sectionsToPlace) {
    if (section->sh_flags & kShfAlloc)
      continue;
    Warning(*this, "section %s (%s) is required but is not allocatable (SHF_ALLOC flag not set)",
            section->Name().c_str(), section->InputName().c_str());
    Remark(*this, "Assuming allocatable and proceeding with linkage");
    section->sh_flags |= kShfAlloc;
  }
}

static bool AllZero(const LinkSection &section) {
  const uint8_t *contents = section.Contents();
  return !contents || std::all_of(contents, contents + section.Size(), [](uint8_t b) { return b == 0; });
}

// Code gets at least halfword alignment; writable data that is all zero and
// has nothing to relocate becomes zero-initialized and takes no image space.
void BaseLinker::RewriteHeaders() {
  for (LinkSection *section : sectionsToPlace) {
    if (section->sh_type != kShtProgbits)
      continue;
    if ((section->sh_flags & kShfExecinstr) && section->Alignment() < 2) {
      Remark(*this, "increasing alignment of %s from %u to 2 because it contains executable instructions",
             section->Describe().c_str(), section->Alignment());
      section->sh_addralign = 2;
    }
    if ((section->sh_flags & kShfWrite) && !HasRelocations(*this, *section) && AllZero(*section)) {
      section->sh_type = kShtNobits;
      LogLine("Section %s from %s:", section->Name().c_str(), section->InputName().c_str());
      LogIndent();
      LogLine("Transformed to zeroinit, saves %u initialized data bytes", section->Size());
      LogOutdent();
    }
  }
}

} // namespace tanrek
