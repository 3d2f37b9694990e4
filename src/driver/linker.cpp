#include "driver/linker.h"

namespace tanrek {

BaseLinker *theLinker = nullptr;

BaseLinker::BaseLinker() : absoluteSection("[ Linker absolute ]") {}

BaseLinker::~BaseLinker() = default;

void BaseLinker::SetDefaultFlags() {
  for (Flag flag : {Flag::MapListingXref, Flag::AutoAt, Flag::PrettySymbolNames, Flag::PrettySectionNames,
                    Flag::OptimizeExceptionIndex, Flag::AutoEsBlockSymbols, Flag::AutoEsRegionSymbols,
                    Flag::AutoArmSymbols, Flag::UnwindTables, Flag::EnableLzss, Flag::EnableZpak,
                    Flag::EnablePackbits, Flag::MergeSections, Flag::MergeStrings})
    SetFlag(flag);
  if (Supports(Feature::Relaxation))
    SetFlag(Flag::Relax);
  if (Supports(Feature::SpringboardCalls))
    SetFlag(Flag::Springboard);
}

} // namespace tanrek
