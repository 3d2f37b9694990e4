// The linker object. One instance per process holds every option setting,
// the collected diagnostics and the link state of every subsystem, and runs
// the fixed pipeline of link phases. Generic code reaches the target only
// through the virtual operations declared here; the Arm back-end in arm/
// overrides them.
#pragma once

#include "driver/flags.h"
#include "placement/locatable.h"
#include "report/report_writer.h"
#include "script/script_text.h"
#include "symbols/symbol.h"

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tanrek {

class AsmOptions;

class BaseLinker {
public:
  BaseLinker();
  virtual ~BaseLinker();
  BaseLinker(const BaseLinker &) = delete;
  BaseLinker &operator=(const BaseLinker &) = delete;

  // --- Option flags -------------------------------------------------------
  bool TestFlag(Flag flag) const { return (optionFlags >> static_cast<unsigned>(flag)) & 1; }
  void SetFlag(Flag flag) { optionFlags |= uint64_t(1) << static_cast<unsigned>(flag); }
  void ClearFlag(Flag flag) { optionFlags &= ~(uint64_t(1) << static_cast<unsigned>(flag)); }

  // The flags that are on before any option is read.
  void SetDefaultFlags();

  // --- Target queries -----------------------------------------------------
  // GetPara(0..3): target parameters (2 is the ELF machine number, 3 the
  // ELF header flags word). SupportsFeature(0..7): see Feature.
  virtual uint32_t GetPara(unsigned n) const = 0;
  virtual bool SupportsFeature(unsigned n) const = 0;
  bool Supports(Feature feature) const { return SupportsFeature(static_cast<unsigned>(feature)); }

  // --- Command line -------------------------------------------------------
  // Walks the arguments of the cursor and stores every option's effect.
  void ParseOptions(AsmOptions &cursor);
  // The target's own options; true when it consumed the current argument.
  virtual bool ParseTargetOption(AsmOptions &cursor) = 0;

  // --- The pipeline -------------------------------------------------------
  // Runs the fixed sequence of link phases.
  void Link();
  using Phase = void (BaseLinker::*)();
  void RunPhase(Phase operation, const char *name);
  void RunPhaseIf(bool condition, Phase operation, const char *name);
  void RunPhaseIfFlag(Flag flag, Phase operation, const char *name);
  void RunPhaseIfFeature(Feature feature, Phase operation, const char *name);
  // True while some section to place or some block to map has no address.
  bool PlacementIncomplete() const;

  // Generic phases, in pipeline order. Each subsystem defines its own.
  void RegisterIntegrityAlgorithms();
  void ParseScript();
  void Ingest();
  void WrapSymbols();
  void FindSections();
  void KeepInputs();
  void DefineSymbols();
  void RewriteHeaders();
  void CheckAllocatable();
  void MergeSections();
  void MergeStrings();
  void DedupeCode();
  void DedupeData();
  void ReferenceCounting();
  void AutoAtSections();
  void SelectInputs();
  void PadSections();
  void AssignInitMethods();
  void SortInputs();
  void SizeAndAlignment();
  void DumpScriptTasks();
  void Placement();
  void CreateBlockSymbols();
  void RegionSymbols();
  void UnplacedSections();
  void PrintMap();
  void StopLinking();
  void RelocateImage();
  void SyntheticSections();
  void ReportLateVeneer();
  void WarnUnintendedDouble();
  void MakeInittab();
  void MakeBlockSymbols();
  void FillRegions();
  void CombineDebug();
  void CompressSections();
  void RunAssertions();
  void WriteImage();
  void EmptySelects();

  // Back-end phases, in the order of their virtual slots. The base class
  // does nothing in each except ThreadLocalStorage.
  virtual void ConstructVeneers() {}
  virtual void PrintVeneerMap() {}
  virtual void Relaxation() {}
  virtual void Outlining() {}
  virtual void SpringboardCalls() {}
  virtual void ExpandImage() {}
  virtual void AnalyzeAttributes() {}
  virtual void CreateAttributes() {}
  virtual void NormalizeRelocations() {}
  virtual void FunctionInlining() {}
  virtual void ReserveBaseRegisters() {}
  virtual void ThreadLocalStorage();

  // Prepares the output image before the pipeline runs.
  void PrepareOutputImage();

  // --- Option fields ------------------------------------------------------
  uint64_t optionFlags = 0;
  int32_t verbosity = 1;
  std::vector<std::string> inputFiles;
  std::vector<ScriptText> scriptFiles;
  std::vector<std::string> symbolDefinitions;
  std::vector<std::string> regionDefinitions;
  std::set<std::string> wrappedSymbols;
  std::set<std::string> keptSymbols;
  std::optional<std::string> mapFileName;
  std::optional<std::string> logFileName;
  std::string outputFileName = "a.elf";
  uint32_t mapContents = 0x1114;
  uint32_t mapAddressFormat = 13;
  uint32_t mapSizeFormat = 5;

  // Settings that are process-wide in nature; there is one linker per
  // process, so they live here.
  std::array<uint32_t, 5> severityTable = {0, 1, 2, 3, 4};
  std::optional<std::string> entrySymbolName = "Reset_Handler";
  uint32_t sectionHeaderMode = 1; // 0 none, 1 minimal, 2 block, 3 full
  uint32_t doubleWarningMode = 0; // 0 off, 1 unintended double, 2 any double
  std::array<uint8_t, KindCount> padByKind = {};
  std::array<uint32_t, KindCount> minAlignByKind = {1, 1, 1, 1, 1};
  float mapWidthFactor = 1.0f;
  uint32_t listingWithData = 0;

  // --- Diagnostics --------------------------------------------------------
  std::array<uint32_t, 5> diagnosticCounts = {};
  std::vector<std::string> diagnostics;
  uint32_t ErrorCount() const { return diagnosticCounts[SeverityError]; }

  // --- Link state ---------------------------------------------------------
  // The report writer: the map file, and the link summary on stdout.
  ReportWriter report;
  // The pseudo-section of absolute symbols.
  LinkSection absoluteSection;

  // Symbol sets. Names order by bytes, records and items by serial.
  std::set<std::string> requiredNames;
  std::set<std::string> undefinedSymbols;
  std::set<Symbol *, BySerial> imageSymbols;
  std::set<LinkSection *, BySerial> sectionsToPlace;
  MappedBlockSet mappedBlocks;
};

// The one linker object of the process, used by Fatal, Assert and the
// script lexer where no linker is passed.
extern BaseLinker *theLinker;

} // namespace tanrek
