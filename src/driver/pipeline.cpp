// The link pipeline: a fixed sequence of named phases. Each phase may be
// gated by an option flag, a target feature or the test that placement is
// incomplete; once a phase sets StopLink every later phase is skipped.
//
// The gates of the "incomplete" groups are evaluated one by one, so each
// group either runs completely (the link then stops with a map that shows
// why) or not at all.
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"

#include <algorithm>

namespace tanrek {

void BaseLinker::RunPhase(Phase operation, const char *name) {
  if (TestFlag(Flag::StopLink))
    return;
  if (!name) {
    (this->*operation)();
    return;
  }
  LogLine("%s", name);
  LogIndent();
  (this->*operation)();
  LogOutdent();
}

void BaseLinker::RunPhaseIf(bool condition, Phase operation, const char *name) {
  if (condition)
    RunPhase(operation, name);
}

void BaseLinker::RunPhaseIfFlag(Flag flag, Phase operation, const char *name) {
  RunPhaseIf(TestFlag(flag), operation, name);
}

void BaseLinker::RunPhaseIfFeature(Feature feature, Phase operation, const char *name) {
  RunPhaseIf(Supports(feature), operation, name);
}

bool BaseLinker::PlacementIncomplete() const {
  auto unmapped = [](const Locatable *item) { return !item->IsMapped(); };
  return std::any_of(sectionsToPlace.begin(), sectionsToPlace.end(), unmapped) ||
         std::any_of(mappedBlocks.begin(), mappedBlocks.end(), unmapped);
}

void BaseLinker::StopLinking() { SetFlag(Flag::StopLink); }

void BaseLinker::ReportLateVeneer() {
  Error(*this, "Veneer required after laying out image!");
  SetFlag(Flag::StopLink);
}

void BaseLinker::Link() {
  RegisterIntegrityAlgorithms();
  RunPhase(&BaseLinker::ParseScript, "Parse script");                                     // 1
  RunPhase(&BaseLinker::Ingest, "Ingest");                                                // 2
  RunPhase(&BaseLinker::WrapSymbols, "Wrap symbols");                                     // 3
  RunPhase(&BaseLinker::FindSections, "Find sections");                                   // 4
  RunPhase(&BaseLinker::KeepInputs, "Keep inputs");                                       // 5
  RunPhase(&BaseLinker::DefineSymbols, "Define symbols");                                 // 6
  RunPhase(&BaseLinker::FindSections, "Find sections");                                   // 7
  RunPhase(&BaseLinker::RewriteHeaders, "Rewrite headers");                               // 8
  RunPhaseIfFeature(Feature::BaseRegisterReservation, &BaseLinker::ReserveBaseRegisters,
                    "Reserve base registers");                                            // 9
  RunPhase(&BaseLinker::CheckAllocatable, "Check allocatable");                           // 10
  RunPhaseIfFlag(Flag::MergeSections, &BaseLinker::MergeSections, "Merge sections");      // 11
  RunPhaseIfFlag(Flag::MergeStrings, &BaseLinker::MergeStrings, "Merge strings");         // 12
  RunPhaseIfFlag(Flag::DedupeCode, &BaseLinker::DedupeCode, "Dedupe code");               // 13
  RunPhaseIfFlag(Flag::DedupeData, &BaseLinker::DedupeData, "Dedupe data");               // 14
  RunPhaseIfFeature(Feature::BuildAttributes, &BaseLinker::AnalyzeAttributes,
                    "Analyze attributes");                                                // 15
  RunPhase(&BaseLinker::ReferenceCounting, "Reference counting");                         // 16
  RunPhaseIfFlag(Flag::Inline, &BaseLinker::FunctionInlining, "Function inlining");       // 17
  RunPhaseIfFlag(Flag::Outline, &BaseLinker::Outlining, "Outlining");                     // 18
  RunPhase(&BaseLinker::AutoAtSections, "Auto-at sections");                              // 19
  RunPhase(&BaseLinker::SelectInputs, "Select inputs");                                   // 20
  RunPhase(&BaseLinker::PadSections, "Pad sections");                                     // 21
  RunPhase(&BaseLinker::AssignInitMethods, "Assign init methods");                        // 22
  RunPhase(&BaseLinker::SortInputs, "Sort inputs");                                       // 23
  RunPhase(&BaseLinker::SizeAndAlignment, "Size and alignment");                          // 24
  RunPhase(&BaseLinker::DumpScriptTasks, "Dump Script tasks");                            // 25
  RunPhase(&BaseLinker::Placement, "Placement");                                          // 26
  RunPhase(&BaseLinker::NormalizeRelocations, "Normalize relocations");                   // 27
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::CreateBlockSymbols, "Create block symbols"); // 28
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::RegionSymbols, "Region symbols");        // 29
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::UnplacedSections, "Unplaced sections");  // 30
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::PrintMap, "Print map");                  // 31
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::StopLinking, nullptr);                   // 32
  RunPhaseIfFeature(Feature::Veneers, &BaseLinker::ConstructVeneers, "Construct veneers"); // 33
  RunPhase(&BaseLinker::RelocateImage, "Relocate image");                                 // 34
  RunPhase(&BaseLinker::SyntheticSections, "Synthetic sections");                         // 35
  RunPhase(&BaseLinker::RelocateImage, "Relocate image");                                 // 36
  RunPhaseIfFlag(Flag::Springboard, &BaseLinker::SpringboardCalls, "Springboard calls");  // 37
  RunPhaseIfFlag(Flag::Relax, &BaseLinker::Relaxation, "Relaxation");                     // 38
  RunPhaseIfFlag(Flag::ExpandImage, &BaseLinker::ExpandImage, "Expand image");            // 39
  RunPhase(&BaseLinker::CreateBlockSymbols, "Create block symbols");                      // 40
  RunPhase(&BaseLinker::ThreadLocalStorage, "Thread-local storage");                      // 41
  RunPhase(&BaseLinker::RelocateImage, "Relocate image");                                 // 42
  RunPhaseIfFlag(Flag::VeneerNeeded, &BaseLinker::ReportLateVeneer, nullptr);             // 43
  RunPhase(&BaseLinker::WarnUnintendedDouble, "Warn unintended double");                  // 44
  RunPhase(&BaseLinker::MakeInittab, "Make inittab");                                     // 45
  RunPhase(&BaseLinker::MakeBlockSymbols, "Make block symbols");                          // 46
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::RegionSymbols, "Region symbols");        // 47
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::UnplacedSections, "Unplaced sections");  // 48
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::PrintMap, "Print map");                  // 49
  RunPhaseIf(PlacementIncomplete(), &BaseLinker::StopLinking, nullptr);                   // 50
  RunPhase(&BaseLinker::RelocateImage, "Relocate image");                                 // 51
  RunPhase(&BaseLinker::RegionSymbols, "Region symbols");                                 // 52
  RunPhase(&BaseLinker::RelocateImage, "Relocate image");                                 // 53
  RunPhaseIfFlag(Flag::VeneerNeeded, &BaseLinker::ReportLateVeneer, nullptr);             // 54
  RunPhase(&BaseLinker::FillRegions, "Fill regions");                                     // 55
  RunPhase(&BaseLinker::CombineDebug, "Combine debug");                                   // 56
  RunPhaseIfFeature(Feature::BuildAttributes, &BaseLinker::CreateAttributes,
                    "Create attributes");                                                 // 57
  RunPhaseIfFlag(Flag::CompressSections, &BaseLinker::CompressSections, "Compress sections"); // 58
  RunPhase(&BaseLinker::PrintMap, "Print map");                                           // 59
  RunPhase(&BaseLinker::RunAssertions, "Run assertions");                                 // 60
  RunPhase(&BaseLinker::WriteImage, "Write image");                                       // 61
  RunPhase(&BaseLinker::EmptySelects, "Empty selects");                                   // 62
}

// Warns about every double-precision run-time routine in the image. In
// mode 2 the float/double conversions count too.
void BaseLinker::WarnUnintendedDouble() {
  if (doubleWarningMode == 0)
    return;
  static const std::set<std::string, std::less<>> kDoubleRoutines = {
      "__aeabi_dadd",    "__aeabi_dsub",    "__aeabi_drsub",   "__aeabi_dmul",    "__aeabi_ddiv",
      "__aeabi_dcmpeq",  "__aeabi_dcmpne",  "__aeabi_dcmplt",  "__aeabi_dcmple",  "__aeabi_dcmpge",
      "__aeabi_dcmpun",  "__aeabi_cdcmpeq", "__aeabi_cdcmple", "__aeabi_cdrcmple", "__aeabi_d2iz",
      "__aeabi_d2uiz",   "__aeabi_d2lz",    "__aeabi_d2ulz",   "__aeabi_i2d",     "__aeabi_ui2d",
      "__aeabi_l2d",     "__aeabi_ul2d"};
  static const std::set<std::string, std::less<>> kConversions = {"__aeabi_d2f", "__aeabi_f2d"};
  const char *option = doubleWarningMode == 2 ? "--warn-any-double" : "--warn-unintended-double";
  for (const Symbol *symbol : imageSymbols) {
    bool listed = kDoubleRoutines.count(symbol->name) ||
                  (doubleWarningMode == 2 && kConversions.count(symbol->name));
    if (listed)
      Warning(*this, "'double' runtime function '%s' is required [%s]", std::string(symbol->name).c_str(), option);
  }
}

void BaseLinker::CompressSections() {}

} // namespace tanrek
