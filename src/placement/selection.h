// Selection: which statement of the script receives each reached section.
// Every statement matches its selectors against the reached sections; a
// section claimed by several statements goes to the strongest claim (an
// exact name beats a wildcard, which beats an attribute or mask), and two
// equally strong name or wildcard claims are an error.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "placement/locatable.h"

namespace tanrek {

class BaseLinker;
class InputFile;
struct SelectorMasks;

// Selection strengths, weakest first.
enum SelectStrength : uint32_t {
  StrengthNone = 0,
  StrengthMask = 1,
  StrengthWildcard = 2,
  StrengthName = 3,
};

// What one selector set found: every match in the order found, and the
// same items split by the kind of selector that matched them.
struct SelectionResult {
  std::vector<Locatable *> all;
  std::vector<Locatable *> byName;
  std::vector<Locatable *> byWildcard;
  std::vector<Locatable *> byMask;
};

// The sections a selector may match, with their names worked out once:
// in serial order for scans, and sorted by name so that a pattern with a
// literal prefix only looks at the sections whose names start with it.
class SectionUniverse {
public:
  explicit SectionUniverse(const std::set<LinkSection *, BySerial> &sections);

  struct Entry {
    std::string name;
    LinkSection *section;
  };
  std::vector<Entry> bySerial;
  std::vector<const Entry *> byName;
  std::set<const LinkSection *> members;
};

// Whole-name match: '*' any run of characters, '?' one character, '^'
// nothing; every other character matches itself.
bool MatchPattern(std::string_view pattern, std::string_view name);
bool IsWildcardPattern(std::string_view pattern);

void MatchSelectors(BaseLinker &linker, SelectionResult &result, const SectionUniverse &universe,
                    const SelectorMasks &selector);
// Gives `item` to `block` unless an earlier, at least as strong claim holds
// it.
void Select(BaseLinker &linker, LinkBlock &block, Locatable &item, uint32_t strength);
// The select step of a block or placement statement.
void SelectBlockInputs(BaseLinker &linker, LinkBlock &block);

// What the selector of a keep or initialize statement names: the sections
// of `pool` it matches (or, while a phase has set selectionUniverse, of that
// universe) and the items it names directly, without the excepted ones.
std::vector<Locatable *> MatchStatement(BaseLinker &linker, const SectionSelector &selector,
                                       const std::set<LinkSection *, BySerial> &pool);

// The inputs that contributed no reached section, in load order.
std::vector<const InputFile *> UnusedInputs(const BaseLinker &linker);

} // namespace tanrek
