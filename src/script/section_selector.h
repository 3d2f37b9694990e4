// The contents of a pair of braces in a script statement: which input
// sections, symbols and blocks the statement is about.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {

class LinkBlock;
class LinkCopiedBlock;
class LinkICVSection;

// Bits of SelectorMasks::kindMask.
constexpr uint32_t kSelectReadexec = 1, kSelectReadonly = 2, kSelectReadwrite = 4, kSelectZeroinit = 8;
// Bits of SelectorMasks::specialMask and unwindMask.
constexpr uint32_t kSelectInitArray = 0x4000, kSelectFiniArray = 0x8000;
constexpr uint32_t kSelectUnwindable = 0x100;

// What a selector or its except clause names by pattern and attribute.
struct SelectorMasks {
  std::vector<std::string> sectionNames;
  std::vector<std::string> symbolNames;
  uint32_t kindMask = 0;
  uint32_t specialMask = 0;
  uint32_t unwindMask = 0;
};

struct SectionSelector : SelectorMasks {
  SelectorMasks except;
  // Names that must come first or last; each also stands in sectionNames
  // or symbolNames.
  std::vector<std::string> firstSections;
  std::vector<std::string> firstSymbols;
  std::vector<std::string> lastSections;
  std::vector<std::string> lastSymbols;
  // Blocks named or defined inline, in order.
  std::vector<LinkBlock *> blocks;
  std::vector<LinkCopiedBlock *> copiedBlocks;
  std::vector<LinkICVSection *> checks;
};

} // namespace tanrek
