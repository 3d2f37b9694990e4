#include "placement/selection.h"

#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "placement/ordering.h"
#include "script/script_task.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

#include <algorithm>
#include <memory>

namespace tanrek {

// ---------------------------------------------------------------------------
// Patterns

bool IsWildcardPattern(std::string_view pattern) {
  return pattern.find_first_of("*?^") != std::string_view::npos;
}

// One back-tracking point: after a mismatch the match restarts one
// character further into the name, from the character after the last '*'.
bool MatchPattern(std::string_view pattern, std::string_view name) {
  constexpr size_t kNone = std::string_view::npos;
  size_t p = 0, n = 0;
  size_t starPattern = kNone, starName = 0;
  for (;;) {
    if (p < pattern.size() && pattern[p] == '^') {
      ++p;
      continue;
    }
    if (p < pattern.size() && pattern[p] == '*') {
      ++p;
      if (p == pattern.size())
        return true;
      starPattern = p;
      starName = n;
      continue;
    }
    if (n == name.size() && p == pattern.size())
      return true;
    if (n < name.size() && p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++p;
      ++n;
      continue;
    }
    if (starPattern == kNone || starName >= name.size())
      return false;
    n = ++starName;
    p = starPattern;
  }
}

// ---------------------------------------------------------------------------
// The universe of a selection

SectionUniverse::SectionUniverse(const std::set<LinkSection *, BySerial> &sections) {
  bySerial.reserve(sections.size());
  for (LinkSection *section : sections)
    if (!section->isNullSection)
      bySerial.push_back(Entry{section->Name(), section});
  byName.reserve(bySerial.size());
  for (const Entry &entry : bySerial) {
    byName.push_back(&entry);
    members.insert(entry.section);
  }
  std::stable_sort(byName.begin(), byName.end(),
                   [](const Entry *a, const Entry *b) { return a->name < b->name; });
}

namespace {

// The sections whose names match `pattern`, in serial order. A pattern
// that starts with literal characters only looks at the names that start
// with them.
std::vector<LinkSection *> SectionsMatching(const SectionUniverse &universe, std::string_view pattern) {
  std::vector<LinkSection *> found;
  size_t literal = std::min(pattern.find_first_of("*?^"), pattern.size());
  if (literal == 0) {
    for (const auto &entry : universe.bySerial)
      if (MatchPattern(pattern, entry.name))
        found.push_back(entry.section);
    return found;
  }
  std::string_view prefix = pattern.substr(0, literal);
  auto first = std::lower_bound(universe.byName.begin(), universe.byName.end(), prefix,
                                [](const SectionUniverse::Entry *entry, std::string_view text) {
                                  return std::string_view(entry->name) < text;
                                });
  for (auto it = first; it != universe.byName.end() && (*it)->name.starts_with(prefix); ++it)
    if (MatchPattern(pattern, (*it)->name))
      found.push_back((*it)->section);
  std::sort(found.begin(), found.end(), BySerial());
  return found;
}

void AddMatch(std::vector<Locatable *> &list, std::vector<Locatable *> &all, Locatable *item) {
  list.push_back(item);
  all.push_back(item);
}

void MatchMasks(SelectionResult &result, const SectionUniverse &universe, const SelectorMasks &selector) {
  if (selector.kindMask)
    for (const auto &entry : universe.bySerial)
      if (selector.kindMask & (1u << entry.section->Kind()))
        AddMatch(result.byMask, result.all, entry.section);
  if (selector.specialMask)
    for (const auto &entry : universe.bySerial)
      if (selector.specialMask & (1u << (entry.section->sh_type & 31)))
        AddMatch(result.byMask, result.all, entry.section);
  if (selector.unwindMask)
    for (const auto &entry : universe.bySerial)
      if (selector.unwindMask & entry.section->state)
        AddMatch(result.byMask, result.all, entry.section);
}

} // namespace

void MatchSelectors(BaseLinker &linker, SelectionResult &result, const SectionUniverse &universe,
                    const SelectorMasks &selector) {
  MatchMasks(result, universe, selector);
  for (const std::string &pattern : selector.sectionNames) {
    bool wildcard = IsWildcardPattern(pattern);
    std::vector<LinkSection *> found = SectionsMatching(universe, pattern);
    for (LinkSection *section : found)
      AddMatch(wildcard ? result.byWildcard : result.byName, result.all, section);
    if (found.empty() && !wildcard && linker.warnEmptySelects)
      Warning(linker, "exact section selection 'section \"%s\"' finds no matching sections", pattern.c_str());
  }
  // Only reached sections can be selected, whatever symbol lies in them.
  for (const std::string &name : selector.symbolNames) {
    auto entry = linker.globalSymbols.find(name);
    if (entry == linker.globalSymbols.end())
      continue;
    LinkSection *section = entry->second->section;
    if (section && !section->isNullSection && universe.members.count(section))
      AddMatch(result.byName, result.all, section);
  }
}

// ---------------------------------------------------------------------------
// Select

namespace {

void ReportConflict(BaseLinker &linker, LinkBlock &block, Locatable &item, uint32_t strength) {
  if (!linker.reportedConflicts.insert(&item).second)
    return;
  std::string text = Format("%s has conflicting placement: selected by %s into %s and into %s",
                            item.Describe().c_str(), SelectStrengthName(strength),
                            item.selectedBy ? item.selectedBy->Describe().c_str() : "",
                            block.Describe().c_str());
  LogLine("%s", text.c_str());
  Error(linker, "%s", text.c_str());
}

} // namespace

void Select(BaseLinker &linker, LinkBlock &block, Locatable &item, uint32_t strength) {
  if (item.selectStrength == strength && strength >= StrengthWildcard) {
    if (item.selectedBy != &block)
      ReportConflict(linker, block, item, strength);
    return;
  }
  if (item.selectStrength >= strength)
    return;
  if (LinkBlock *previous = item.selectedBy) {
    if (previous != &block)
      LogLine("Remove %s from %s using %s as following placement takes precedence", item.Describe().c_str(),
              previous->Describe().c_str(), SelectStrengthName(strength));
    std::erase(previous->members, &item);
  }
  item.selectStrength = strength;
  item.selectedBy = &block;
  block.members.push_back(&item);
  if (LogOpen())
    LogLine("Select %s (%s) from %s%s using %s", item.Describe().c_str(), PrimaryName(item).c_str(),
            item.InputName().c_str(), (item.state & StateExceptionIndex) ? " [exception table]" : "",
            SelectStrengthName(strength));
}

namespace {

// The selector set of the first or the last items of a selector.
SelectorMasks EdgeSelector(const std::vector<std::string> &sections, const std::vector<std::string> &symbols) {
  SelectorMasks edge;
  edge.sectionNames = sections;
  edge.symbolNames = symbols;
  return edge;
}

void RemoveExcepted(SelectionResult &result, const SelectionResult &except) {
  if (except.all.empty())
    return;
  std::set<const Locatable *> excepted(except.all.begin(), except.all.end());
  for (auto *list : {&result.all, &result.byName, &result.byWildcard, &result.byMask})
    std::erase_if(*list, [&excepted](const Locatable *item) { return excepted.count(item) != 0; });
}

void SelectResults(BaseLinker &linker, LinkBlock &block, const SelectionResult &result) {
  for (Locatable *item : result.byWildcard)
    Select(linker, block, *item, StrengthWildcard);
  for (Locatable *item : result.byMask)
    Select(linker, block, *item, StrengthMask);
  for (Locatable *item : result.byName)
    Select(linker, block, *item, StrengthName);
}

void SelectDirectItems(BaseLinker &linker, LinkBlock &block) {
  const SectionSelector &selector = block.selector;
  for (LinkBlock *item : selector.blocks)
    Select(linker, block, *item, StrengthName);
  for (LinkCopiedBlock *item : selector.copiedBlocks)
    Select(linker, block, *item, StrengthName);
  for (LinkICVSection *item : selector.checks)
    Select(linker, block, *item, StrengthName);
}

// A block holds either exception index sections only or none at all.
void CheckExceptionTables(BaseLinker &linker, LinkBlock &block) {
  bool index = false, plain = false;
  for (const Locatable *member : block.members) {
    (member->state & StateExceptionIndex ? index : plain) = true;
    if (index && plain)
      break;
  }
  if (!index)
    return;
  if (plain) {
    LogLine("Exception table sections and plain sections cannot be mixed");
    Error(linker, "Exception table sections and plain sections cannot be mixed");
  }
  block.state |= StateExceptionBlock;
}

} // namespace

// The universe of the running phase, or one made for `sections` when no
// phase provides it.
static const SectionUniverse *UniverseOf(const BaseLinker &linker, const std::set<LinkSection *, BySerial> &sections,
                                         std::unique_ptr<SectionUniverse> &own) {
  if (linker.selectionUniverse)
    return linker.selectionUniverse;
  own = std::make_unique<SectionUniverse>(sections);
  return own.get();
}

void SelectBlockInputs(BaseLinker &linker, LinkBlock &block) {
  LogLine("Select inputs for %s", block.Describe().c_str());
  LogIndent();
  std::unique_ptr<SectionUniverse> own;
  const SectionUniverse *universe = UniverseOf(linker, linker.sectionsToPlace, own);
  const SectionSelector &selector = block.selector;
  SelectionResult main, except, first, last;
  MatchSelectors(linker, main, *universe, selector);
  MatchSelectors(linker, except, *universe, selector.except);
  MatchSelectors(linker, first, *universe, EdgeSelector(selector.firstSections, selector.firstSymbols));
  MatchSelectors(linker, last, *universe, EdgeSelector(selector.lastSections, selector.lastSymbols));
  RemoveExcepted(main, except);
  RemoveExcepted(first, except);
  RemoveExcepted(last, except);

  SelectDirectItems(linker, block);
  SelectResults(linker, block, main);
  SelectResults(linker, block, first);
  SelectResults(linker, block, last);

  // A repeated selection pass must not list the edge items twice.
  block.placedFirst.clear();
  block.placedLast.clear();
  for (Locatable *item : first.all) {
    block.placedFirst.push_back(item);
    LogLine("NOTE: %s is placed first", item->Describe().c_str());
  }
  for (Locatable *item : last.all) {
    block.placedLast.push_back(item);
    LogLine("NOTE: %s is placed last", item->Describe().c_str());
  }
  CheckExceptionTables(linker, block);
  SortMembers(linker, block.members, block.order);
  LogOutdent();
}

void DefineBlockTask::SelectInputs(BaseLinker &linker) { SelectBlockInputs(linker, *block); }
void PlaceTask::SelectInputs(BaseLinker &linker) { SelectBlockInputs(linker, *block); }

void BaseLinker::SelectInputs() {
  SectionUniverse universe(sectionsToPlace);
  selectionUniverse = &universe;
  mainTask->Walk([this](ScriptTask &task) { task.SelectInputs(*this); });
  selectionUniverse = nullptr;
}

// Only reports exact patterns that match nothing: every item is already
// held by its block with the same strength, so selecting again changes
// nothing.
void BaseLinker::EmptySelects() {
  if (!TestFlag(Flag::WarnEmptySelects))
    return;
  warnEmptySelects = true;
  SelectInputs();
}

// ---------------------------------------------------------------------------
// Keep

namespace {

// A kept section becomes a root of the reachability walk.
void KeepSection(BaseLinker &linker, LinkSection &section) {
  linker.keptSections.insert(&section);
  if (section.TestAndSet(StateQueued))
    linker.sectionWorklist.push_back(&section);
}

void KeepItem(BaseLinker &linker, Locatable &item) {
  if (auto *section = dynamic_cast<LinkSection *>(&item)) {
    LogLine("Keeping %s", item.Describe().c_str());
    KeepSection(linker, *section);
  } else if (auto *block = dynamic_cast<LinkBlock *>(&item)) {
    LogLine("Keeping %s", item.Describe().c_str());
    block->kept = 1;
    linker.mappedBlocks.insert(block);
  }
}

void KeepCommandLineSymbols(BaseLinker &linker) {
  if (linker.keptSymbols.empty())
    return;
  LogLine("Keeping symbols set on the command line:");
  LogIndent();
  for (const std::string &name : linker.keptSymbols) {
    LogLine("%s", name.c_str());
    Symbol *symbol = LookupGlobal(linker, name);
    if (!symbol) {
      Require(linker, name);
      continue;
    }
    LinkSection *section = symbol->section;
    if (section && !section->isNullSection && section->index != kIndexAbsolute)
      KeepSection(linker, *section);
  }
  LogOutdent();
}

} // namespace

std::vector<Locatable *> MatchStatement(BaseLinker &linker, const SectionSelector &selector,
                                       const std::set<LinkSection *, BySerial> &pool) {
  std::unique_ptr<SectionUniverse> own;
  const SectionUniverse *universe = UniverseOf(linker, pool, own);
  SelectionResult matched, except;
  MatchSelectors(linker, matched, *universe, selector);
  MatchSelectors(linker, except, *universe, selector.except);
  for (LinkBlock *block : selector.blocks)
    matched.all.push_back(block);
  for (LinkCopiedBlock *copy : selector.copiedBlocks)
    matched.all.push_back(copy);
  for (LinkICVSection *check : selector.checks)
    matched.all.push_back(check);
  RemoveExcepted(matched, except);
  return std::move(matched.all);
}

// Keep statements see every loaded content section, reached or not.
void KeepTask::ApplyKeep(BaseLinker &linker) {
  std::vector<Locatable *> kept = MatchStatement(linker, selector, linker.contentSections);
  LogLine("Applying keep");
  LogIndent();
  for (Locatable *item : kept)
    KeepItem(linker, *item);
  LogOutdent();
}

void BaseLinker::KeepInputs() {
  // Naming every loaded section costs time; only keep statements need it.
  bool anyKeep = false;
  mainTask->Walk([&anyKeep](ScriptTask &task) { anyKeep |= dynamic_cast<KeepTask *>(&task) != nullptr; });
  if (anyKeep) {
    SectionUniverse universe(contentSections);
    selectionUniverse = &universe;
    mainTask->Walk([this](ScriptTask &task) { task.ApplyKeep(*this); });
    selectionUniverse = nullptr;
  }
  if (!keptSections.empty()) {
    LogLine("Sections that are explicitly kept by the script:");
    LogIndent();
    for (const LinkSection *section : keptSections)
      LogLine("%s", section->Name().c_str());
    LogOutdent();
  }
  KeepCommandLineSymbols(*this);
}

// ---------------------------------------------------------------------------
// Unused inputs

std::vector<const InputFile *> UnusedInputs(const BaseLinker &linker) {
  std::set<const InputFile *> used;
  for (const LinkSection *section : linker.sectionsToPlace)
    used.insert(section->file);
  std::vector<const InputFile *> unused;
  for (const auto &file : linker.inputs)
    if (!used.count(file.get()))
      unused.push_back(file.get());
  return unused;
}

} // namespace tanrek
