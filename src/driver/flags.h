// The option flags of the linker object: one 64-bit set addressed by bit
// number. Most are set by options before the link starts; StopLink,
// VeneerNeeded, NeedSymtabShndx and BannerShown change during the run.
#pragma once

namespace tanrek {

enum class Flag : unsigned {
  StopLink = 0,
  VeneerNeeded = 1,
  NeedSymtabShndx = 2,
  BannerShown = 3,
  ExpandImage = 4,
  BigEndian = 5,
  CompressSections = 6,
  AutoAt = 7,
  OptimizeExceptionIndex = 8,
  UndefinedWeakIsZero = 9,
  LazyLoadArchives = 10,
  MergeStrings = 11,
  MergeSections = 12,
  DedupeCode = 13,
  DedupeData = 14,
  NoDebug = 15,
  NoSymbols = 16,
  Inline = 17,
  Outline = 18,
  Time = 19,
  ForceOutput = 20,
  EnableLzss = 21,
  EnableZpak = 22,
  EnablePackbits = 23,
  MapListingXref = 24,
  PrettySymbolNames = 25,
  PrettySectionNames = 26,
  WarnDeprecated = 27,
  AutoArmSymbols = 28,
  UnwindTables = 29,
  AutoEsBlockSymbols = 30,
  AutoEsRegionSymbols = 31,
  WarnEmptySelects = 32,
  MapRevealIndirectUse = 33,
  ListAllUndefineds = 34,
  // Bit 35 is not used.
  Springboard = 36,
  Relax = 37,
};

// Numbered target features that the back-end answers in SupportsFeature().
enum class Feature : unsigned {
  Veneers = 0,
  BuildAttributes = 1,
  SpringboardCalls = 2,
  Relaxation = 3,
  Inlining = 4,
  Feature5 = 5,
  BaseRegisterReservation = 6,
  Outlining = 7,
};

// Diagnostic kinds and severities share one numbering.
enum Severity : unsigned {
  SeverityNone = 0,
  SeverityRemark = 1,
  SeverityWarning = 2,
  SeverityError = 3,
  SeverityFatal = 4,
};

// The kinds of placeable contents, used to index the pad and minimum
// alignment tables.
enum Kind : unsigned {
  KindCode = 0,
  KindReadOnly = 1,
  KindReadWrite = 2,
  KindZeroInit = 3,
  KindOther = 4,
  KindCount = 5,
};

} // namespace tanrek
