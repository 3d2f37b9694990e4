// Placeable items: everything the linker can give an address to. An input
// section, a section the linker makes, a block of sections from the script
// and the load image of a block initialized by copy are all Locatables;
// selection, ordering, placement, initialization, output and the map work
// on them through the virtual operations below.
//
// Sets of items are ordered by creation serial, never by pointer, so that
// every run on the same inputs makes the same decisions in the same order.
// Items are owned by the one linker object and reach its settings (minimum
// alignments, the reached-section and mapped-block sets) through
// theLinker.
#pragma once

#include "driver/flags.h"
#include "input/relocation.h"
#include "script/range_list.h"
#include "script/section_selector.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tanrek {

class InputFile;
class LinkBlock;
struct OutputSection;
struct OutputSegment;
struct Symbol;

// Every placeable item and symbol record takes a serial from one
// process-wide counter at construction.
struct Serialized {
  Serialized();
  uint32_t serial;
};

struct BySerial {
  bool operator()(const Serialized *a, const Serialized *b) const { return a->serial < b->serial; }
};

// The state bits of a Locatable.
enum LocatableState : uint32_t {
  StateQueued = 1,
  StateDeferred = 4,
  StateMapped = 8,
  StateLinkOrdered = 16,
  StateExceptionIndex = 32,
  StateExceptionBlock = 64,
  StateSynthesized = 128,
  StateLinkTarget = 256,
};

enum InitMethod : uint32_t {
  InitCopy = 0,
  InitLzss = 1,
  InitPackbits = 2,
  InitZpak = 3,
  InitZero = 4,
  InitNone = 5, // do not initialize
  InitManual = 6,
  InitCall = 7,
  InitAuto = 8,
  InitImplicit = 9,
};

// "copy", "lzss", ... "implicit"; "-- unknown --" for other values.
const char *InitMethodName(uint32_t method);
// "none", "attribute or mask", "wildcard", "name"; "<unknown>" otherwise.
const char *SelectStrengthName(uint32_t strength);

// Special section indexes.
constexpr uint32_t kIndexUndefined = 0;
constexpr uint32_t kIndexAbsolute = 0xFFFFFFF1;
constexpr uint32_t kIndexCommon = 0xFFFFFFF2;
constexpr uint32_t kIndexLinker = 0xFFFFFFFE;

// ELF section types and flags the item model needs.
constexpr uint32_t kShtNull = 0, kShtProgbits = 1, kShtNobits = 8;
constexpr uint32_t kShtArmExidx = 0x70000001;
constexpr uint32_t kShfWrite = 1, kShfAlloc = 2, kShfExecinstr = 4;

// The name of the pseudo input that holds every linker-made section.
constexpr const char *kLinkerInputName = "[ Linker created ]";

class Locatable : public Serialized {
public:
  Locatable();
  virtual ~Locatable() = default;
  Locatable(const Locatable &) = delete;
  Locatable &operator=(const Locatable &) = delete;

  virtual std::string Name() const = 0;
  virtual std::string DisplayName() const { return Name(); }
  virtual uint32_t Address() const = 0;
  virtual uint32_t Size() const = 0;
  virtual uint32_t Alignment() const = 0;
  virtual uint32_t Flags() const = 0;
  virtual tanrek::Kind Kind() const { return KindOther; }
  virtual std::string Describe() const = 0;
  virtual std::string InputName() const { return kLinkerInputName; }
  virtual Symbol *PrimarySymbol() { return nullptr; }
  virtual void Map(uint32_t address) = 0;
  virtual void Print() const = 0;
  // Joins the item to a program segment of the output (defined with the
  // image writer).
  virtual void AddToSegment(OutputSegment *segment) = 0;
  // Writes Size() bytes of the item's image into `buffer`.
  virtual void WriteContents(uint8_t *buffer) const = 0;
  virtual void Unmap() { state &= ~StateMapped; }
  virtual void SetInitMethod(uint32_t method) { initMethod = method; }
  virtual void ProcessExceptionTables() {}
  virtual void Synthesize() {}

  bool IsMapped() const { return state & StateMapped; }
  // Sets `bit`; false when it was already set.
  bool TestAndSet(uint32_t bit) {
    if (state & bit)
      return false;
    state |= bit;
    return true;
  }
  // True when the item has no contents at its execution address because
  // start-up code initializes it.
  bool InitAtRuntime() const;

  OutputSegment *segment = nullptr;
  // The output section that describes the item in the section header
  // table, once it is part of a segment.
  OutputSection *outputSection = nullptr;
  uint32_t state = 0;
  uint32_t initMethod = InitImplicit;
  uint32_t selectStrength = 0;
  LinkBlock *selectedBy = nullptr;
};

// An input section, or a section the linker makes itself.
class LinkSection : public Locatable {
public:
  // A section with no file and no contents, such as the absolute
  // pseudo-section.
  LinkSection(std::string ownName, uint32_t index);
  // A linker-made section: zero-filled contents of `size` bytes. The
  // caller appends it to the linker input (see MakeLinkerSection).
  LinkSection(std::string ownName, uint32_t type, uint32_t flags, uint32_t size, uint32_t alignment);
  // An input section: header words, file and contents are filled by the
  // object reader.
  LinkSection() = default;

  std::string Name() const override;
  std::string DisplayName() const override;
  uint32_t Address() const override { return isNullSection ? 0 : sh_addr; }
  uint32_t Size() const override { return sh_size; }
  uint32_t Alignment() const override;
  uint32_t Flags() const override { return sh_flags; }
  tanrek::Kind Kind() const override;
  std::string Describe() const override;
  std::string InputName() const override;
  Symbol *PrimarySymbol() override;
  void Map(uint32_t address) override;
  void Print() const override;
  void AddToSegment(OutputSegment *segment) override;
  void WriteContents(uint8_t *buffer) const override;
  void Unmap() override;

  // The contents: the working copy if there is one, else the replacement,
  // else the bytes in the file. Null for sections without contents.
  const uint8_t *Contents() const;
  // The contents before relocation: the replacement (a transformation's
  // result, or the file's bytes extended by veneers) else the file's bytes.
  const uint8_t *PristineContents() const { return hasReplacement ? replacementContents.data() : fileContents; }
  // The working copy, made on first use from the current contents.
  uint8_t *MutableContents();
  void SetReplacementContents(std::vector<uint8_t> bytes);
  // Sets the section's name (for sections made or renamed by the linker).
  void SetOwnedName(std::string text);

  uint32_t sh_name = 0, sh_type = 0, sh_flags = 0, sh_addr = 0, sh_offset = 0;
  uint32_t sh_size = 0, sh_link = 0, sh_info = 0, sh_addralign = 0, sh_entsize = 0;
  uint32_t index = 0;
  InputFile *file = nullptr;
  LinkSection *linkedTo = nullptr;
  const uint8_t *fileContents = nullptr;
  std::vector<uint8_t> replacementContents;
  std::vector<uint8_t> workingCopy;
  std::string_view name;
  std::vector<Symbol *> symbols;
  std::string ownedName;
  // Equal to `name` unless the name holds bytes outside printable ASCII;
  // escaped names are interned.
  std::string_view displayName;
  std::vector<Relocation> linkerRelocations;
  Symbol *primarySymbolCache = nullptr;

  // The relocations of an input section, loaded on first use.
  std::vector<Relocation> relocations;
  bool relocationsLoaded = false;
  bool hasReplacement = false;
  bool hasWorkingCopy = false;
  // The null section of the linker: its address is always 0.
  bool isNullSection = false;
  // Made by the reader for a common symbol.
  bool madeForCommon = false;
  // The exception index section that is link-ordered against this one.
  LinkSection *linkedIndexSection = nullptr;
  // References from code sections, counted by "Reference counting".
  uint32_t referenceCount = 0;
  // What a section the linker made is for, as the map describes it.
  const char *description = nullptr;
  // Set on an exception index section that the index optimisation took out
  // of its table (kRemovedByIndexOptimization).
  const char *removalNote = nullptr;
};

// A section holding an integrity check value.
class LinkICVSection : public LinkSection {
public:
  LinkICVSection(std::string ownName, std::string algorithmName, uint32_t resultSize);
  uint32_t Size() const override { return resultSize; }

  RangeList ranges;
  uint8_t fillByte = 0;
  std::string algorithmName;
  void *algorithm = nullptr;
  uint32_t resultSize;
};

// An exception index entry that marks the code from `start` for `size`
// bytes as not unwindable: word 0 holds `start` until the entry has an
// address, word 1 is EXIDX_CANTUNWIND. Named
// ".ARM.exidx.nounwind.START-LAST" by the range it covers.
class LinkCantUnwindSection : public LinkSection {
public:
  LinkCantUnwindSection(uint32_t start, uint32_t size);
  void Map(uint32_t address) override;

  uint32_t start;
  uint32_t coveredSize;
};

// What the map says about an index entry that the index optimisation took
// out of the table.
constexpr const char *kRemovedByIndexOptimization = "[ Removed by index optimization ]";

enum BlockKind : uint32_t {
  BlockDefined = 0,
  BlockPlaceIn = 1,
  BlockPlaceAt = 2,
  BlockPlaceAtEnd = 3,
  BlockPlaceAtStart = 4,
  BlockPlaceAfter = 5,
  BlockInline = 6,
};

// A block of the script, or the implicit block of a placement statement.
class LinkBlock : public Locatable {
public:
  explicit LinkBlock(BlockKind kind, std::string name = {});

  std::string Name() const override { return name; }
  uint32_t Address() const override { return address; }
  uint32_t Size() const override { return size; }
  uint32_t Alignment() const override { return alignment ? alignment : 1; }
  uint32_t Flags() const override;
  tanrek::Kind Kind() const override;
  std::string Describe() const override;
  void Map(uint32_t address) override;
  void Print() const override;
  void AddToSegment(OutputSegment *segment) override;
  void WriteContents(uint8_t *buffer) const override;
  void Unmap() override;
  void SetInitMethod(uint32_t method) override;
  // Completes an exception index table (defined in exception_index.cpp).
  void ProcessExceptionTables() override;

  std::string name;
  // What the statement that made the block selects.
  SectionSelector selector;
  std::vector<LinkBlock *> nestedBlocks;
  std::vector<Locatable *> members;
  // Members that the selector's first and last items chose, in order.
  std::vector<Locatable *> placedFirst;
  std::vector<Locatable *> placedLast;
  uint32_t order = 18;
  uint8_t mpu = 0;
  uint8_t autoAt = 0;
  uint8_t fixedSize = 0;
  uint32_t size = 0;
  uint32_t alignment = 0;
  uint8_t kept = 0;
  uint8_t hasFill = 0;
  uint8_t fillByte = 0;
  uint32_t blockFlags = kShfAlloc;
  BlockKind blockKind;
  uint32_t address = 0;
  // Exception blocks: the index sections the table is built from, as the
  // last table completion found them, and those of them that the index
  // optimisation took out (restored when the table is built again).
  std::vector<Locatable *> indexInputs;
  std::vector<LinkSection *> removedIndexEntries;
};

// The load image of a block initialized by copy.
class LinkCopiedBlock : public Locatable {
public:
  LinkCopiedBlock(LinkBlock *block, LinkSection *section);

  std::string Name() const override { return name; }
  uint32_t Address() const override { return address; }
  uint32_t Size() const override { return block->Size(); }
  uint32_t Alignment() const override { return block->Alignment(); }
  uint32_t Flags() const override { return block->Flags() & ~kShfWrite; }
  std::string Describe() const override;
  void Map(uint32_t address) override;
  void Unmap() override;
  void Print() const override;
  void AddToSegment(OutputSegment *segment) override;
  void WriteContents(uint8_t *buffer) const override;
  void Synthesize() override;
  // Takes the block's contents again (they are final only after the last
  // relocation pass).
  void Refresh();

  std::string name;
  const uint8_t *contents = nullptr;
  LinkBlock *block;
  LinkSection *section;
  uint32_t address = 0;
};

// The blocks that must receive an address, ordered by serial.
using MappedBlockSet = std::set<LinkBlock *, BySerial>;

// The name with every byte outside printable ASCII written as <XX>.
std::string EscapeSectionName(std::string_view name);
// EscapeSectionName, interned: equal names share one stored copy. Returns
// `name` itself when nothing needs escaping.
std::string_view InternDisplayName(std::string_view name);

// Logs "Allocate FIRST-LAST to ITEM from INPUT" for an item given the
// address `start`; a zero-size item shows its address twice.
void LogAllocation(uint32_t start, const Locatable &item);

// The name of the item's primary symbol, or the item's own name when it
// has none: how logs and reports name what an item holds.
std::string PrimaryName(Locatable &item);

// Orders items by "with linked order": link-ordered sections by the address
// of the section they follow, anything else by name. Stable.
void SortByLinkedOrder(std::vector<Locatable *> &items);

} // namespace tanrek
