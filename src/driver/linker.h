// The linker object. One instance per process holds every option setting,
// the collected diagnostics and the link state of every subsystem, and runs
// the fixed pipeline of link phases. Generic code reaches the target only
// through the virtual operations declared here; the Arm back-end in arm/
// overrides them.
#pragma once

#include "driver/flags.h"
#include "init/init_table.h"
#include "placement/locatable.h"
#include "report/report_writer.h"
#include "script/script_text.h"
#include "symbols/symbol.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tanrek {

// The two modes of RelocateSection.
enum RelocationMode : uint32_t {
  RelocationVeneerScan = 0,
  RelocationApply = 1,
};

class AsmOptions;
class InputFile;
struct OutputImage;
class ScriptTask;
class SectionUniverse;
struct FillRequest;
struct ElfImage;
struct FileData;

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

  // --- Target queries, in the back-end's slot order -----------------------
  // Mapping symbols: 2 Arm code, 3 Thumb code, 1 data, 0 not one.
  virtual uint32_t ClassifyMappingSymbol(std::string_view) const { return 0; }
  // SupportsFeature(0..7): see Feature. GetPara(0..3): target parameters
  // (0 the relocation section type, 1 the absolute word relocation type,
  // 2 the ELF machine number, 3 the ELF header flags word).
  virtual bool SupportsFeature(unsigned n) const = 0;
  virtual uint32_t GetPara(unsigned n) const = 0;
  bool Supports(Feature feature) const { return SupportsFeature(static_cast<unsigned>(feature)); }
  // The printed name of a relocation type.
  virtual std::string RelocationName(uint32_t type) const;
  // False for relocation types that refer to no symbol and change nothing.
  virtual bool IsRelocationApplied(uint32_t) const { return true; }
  // The same question, always asked through IsRelocationApplied so that an
  // override of that one takes effect everywhere.
  virtual bool IsRelocationAppliedChecked(uint32_t type) const { return IsRelocationApplied(type); }
  // True for the relocation types of call instructions.
  virtual bool IsCallRelocation(uint32_t) const { return false; }
  // The code size of the start-up routine of a packing method (0..4).
  virtual uint32_t InitRoutineCodeSize(uint32_t) const { return 0; }
  // Relocates a placed section: RelocationVeneerScan only decides which
  // branches need veneers, RelocationApply writes the working copy.
  virtual void RelocateSection(LinkSection &, uint32_t /*mode*/) {}
  // Resolves the relocations of a debug section laid out by "Combine debug".
  virtual void RelocateDebugSection(LinkSection &) {}

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
  // Takes every address placement gave back: items are unmapped and the
  // memory is free again as it was before the first placement.
  void UndoPlacement();
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
  // Gives the initialization data and the copied blocks the final contents
  // of what they copy; called by "Write image" after the last relocation.
  void FinalizeInitializationData();

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
  // A deque: positions in a script point at its file name, which must not
  // move when an option statement names another script.
  std::deque<ScriptText> scriptFiles;
  std::vector<std::string> symbolDefinitions;
  std::vector<std::string> regionDefinitions;
  std::set<std::string, std::less<>> wrappedSymbols;
  std::set<std::string, std::less<>> keptSymbols;
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

  // The section whose address is always 0.
  LinkSection nullSection;

  // Inputs: the bytes of every file read, the ELF views, and the loaded
  // objects in load order. The linker input holds linker-made sections.
  std::vector<std::unique_ptr<FileData>> files;
  std::vector<std::unique_ptr<ElfImage>> elfImages;
  std::vector<std::unique_ptr<InputFile>> inputs;
  std::unique_ptr<InputFile> linkerInput;
  uint32_t commandLineObjectCount = 0;
  uint32_t elfImageCount = 0;
  uint32_t archiveCount = 0;
  uint64_t totalInputBytes = 0;
  // Every PROGBITS, NOBITS and init/fini array section of every object: the
  // pool that keep and initialize statements match against.
  std::set<LinkSection *, BySerial> contentSections;
  // With --lazy-load-archives: the member that provides each name.
  std::map<std::string_view, ElfImage *, std::less<>> archiveIndex;

  // Symbols. Names order by bytes, records and items by serial.
  std::map<std::string_view, Symbol *, std::less<>> globalSymbols;
  // Counts the changes of globalSymbols, so that a reference can keep the
  // definition it found until the table changes (see ResolveTarget).
  uint32_t globalSymbolsGeneration = 1;
  std::set<std::string, std::less<>> requiredNames;
  std::set<std::string, std::less<>> undefinedSymbols;
  std::set<std::string, std::less<>> weakReferences;
  std::set<std::string, std::less<>> resolvedNames;
  std::set<Symbol *, BySerial> imageSymbols;
  std::set<LinkSection *, BySerial> sectionsToPlace;
  std::deque<LinkSection *> sectionWorklist;
  MappedBlockSet mappedBlocks;
  // The blocks of the script by name; the table owns them.
  std::map<std::string, std::unique_ptr<LinkBlock>, std::less<>> blockTable;
  // Symbols the linker makes.
  std::vector<std::unique_ptr<Symbol>> linkerSymbols;

  // The script: the statement tree (the main list), the place-at and
  // place-in lists until they join the main list, regions, the memory,
  // and what statements create while they are parsed.
  std::unique_ptr<ScriptTask> mainTask;
  std::unique_ptr<ScriptTask> placeAtTasks;
  std::unique_ptr<ScriptTask> placeInTasks;
  std::map<std::string, RangeList, std::less<>> regionTable;
  std::set<std::string, std::less<>> memoryTable;
  std::unique_ptr<Memory> memory;
  std::vector<LinkSection *> rootSections;
  std::set<LinkICVSection *, BySerial> icvSections;
  std::vector<std::unique_ptr<LinkCopiedBlock>> copiedBlocks;
  // The implicit blocks of placement statements.
  std::vector<std::unique_ptr<LinkBlock>> placementBlocks;
  RangeList filledRanges;
  std::vector<FillRequest> fills;

  // Selection and placement: the sections kept by the script or the
  // command line, the items already reported as conflicting, whether the
  // "Empty selects" pass is running, and every range a placement
  // statement named.
  std::set<LinkSection *, BySerial> keptSections;
  std::set<Locatable *, BySerial> reportedConflicts;
  bool warnEmptySelects = false;
  // Whether the "Placement" phase is running.
  bool placing = false;
  // The sections that selectors match, with their names worked out once
  // per phase: the reached sections while "Select inputs" runs, every
  // content section while "Keep inputs" runs.
  const SectionUniverse *selectionUniverse = nullptr;
  RangeList placementRanges;
  // The memory and placement ranges as they were before the first
  // placement, for UndoPlacement.
  std::unique_ptr<Memory> memoryBeforePlacement;
  RangeList placementRangesBefore;
  // While unplaced items are explained: the largest free piece of each
  // region already looked at.
  std::map<const RangeList *, uint32_t> largestFreePiece;

  // Start-up initialization: the entries of the initialization table, in
  // table order, and the two sections that hold the table and its data.
  std::vector<InitEntry> initEntries;
  LinkSection *initTable = nullptr;
  LinkSection *initData = nullptr;

  // Relocation: the undefined weak names that relocations referred to, and
  // the start of the thread-local storage area.
  std::set<std::string, std::less<>> referencedUndefinedWeaks;
  uint32_t tlsStart = 0;

  // The output image: prepared before the pipeline, filled and written
  // once by "Write image".
  std::unique_ptr<OutputImage> image;

  // Keeps text alive for the whole run (names of renamed and linker-made
  // symbols, keys of the symbol tables).
  std::string_view SaveString(std::string text);

private:
  std::deque<std::string> savedStrings;
};

// The one linker object of the process, used by Fatal, Assert and the
// script lexer where no linker is passed.
extern BaseLinker *theLinker;

} // namespace tanrek
