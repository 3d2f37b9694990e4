#include "driver/linker.h"

#include "driver/format.h"
#include "input/input_file.h"
#include "output/output_image.h"
#include "script/script_task.h"

namespace tanrek {

BaseLinker *theLinker = nullptr;

BaseLinker::BaseLinker()
    : absoluteSection("[ Linker absolute ]", kIndexAbsolute), nullSection("", kIndexUndefined),
      linkerInput(std::make_unique<InputFile>(nullptr, kLinkerInputName, false)) {
  nullSection.isNullSection = true;
  absoluteSection.Map(0);
  absoluteSection.state |= StateQueued;
}

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

std::string BaseLinker::RelocationName(uint32_t type) const { return Format("unknown (%d)", int(type)); }

std::string_view BaseLinker::SaveString(std::string text) { return savedStrings.emplace_back(std::move(text)); }

} // namespace tanrek
