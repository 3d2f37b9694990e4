// Section ordering: how the members of a block are sorted, how big a block
// is once its members are in order, and the reference counts that the
// reference-count ordering uses.
//
// Most orderings are stable merge sorts. Some comparisons (linked order,
// exception order) are not strict weak orders, so the sort must not rely
// on one: a merge sort always terminates and gives the same result for the
// same input order, whatever the comparison says.
#include "placement/ordering.h"

#include "driver/diagnostics.h"
#include "driver/format.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "input/input_file.h"
#include "report/number_format.h"
#include "script/script_task.h"
#include "symbols/symbol_table.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <unordered_map>

namespace tanrek {

// ---------------------------------------------------------------------------
// Merge sort

// Bottom-up merge sort. `laterFirst(later, earlier)` decides whether an
// item of the later run goes before an item of the earlier run; a strict
// "less than" gives a stable sort.
template <typename T, typename LaterFirst> static void MergeSort(std::vector<T> &items, LaterFirst laterFirst) {
  std::vector<T> buffer(items.size());
  for (size_t width = 1; width < items.size(); width *= 2) {
    for (size_t left = 0; left < items.size(); left += 2 * width) {
      size_t mid = std::min(left + width, items.size());
      size_t right = std::min(left + 2 * width, items.size());
      size_t i = left, j = mid, k = left;
      while (i < mid && j < right)
        buffer[k++] = laterFirst(items[j], items[i]) ? items[j++] : items[i++];
      while (i < mid)
        buffer[k++] = items[i++];
      while (j < right)
        buffer[k++] = items[j++];
    }
    items.swap(buffer);
  }
}

// ---------------------------------------------------------------------------
// Comparisons of the plain orderings: true when a goes before b.
//
// A sort compares each member many times, so what the comparisons read is
// worked out once per member; names only for the orderings that use them.

namespace {

struct SortKey {
  Locatable *item;
  uint32_t initMethod, alignment, size, kind, address;
  std::string name;      // for the orderings that compare names
  std::string fileOrder; // for file order
};

// Linker-made sections (input "[ Linker created ]") come after every file.
std::string FileOrderKey(const Locatable *item) {
  std::string input = item->InputName();
  return input.starts_with('[') ? "~" : input;
}

SortKey MakeKey(Locatable *item, bool names) {
  SortKey key{item, item->initMethod, item->Alignment(), item->Size(), uint32_t(item->Kind()), item->Address(), {}, {}};
  if (names) {
    key.name = item->Name();
    key.fileOrder = FileOrderKey(item);
  }
  return key;
}

using Before = bool (*)(const SortKey &, const SortKey &);

// std::string compares its bytes as unsigned char, a prefix first.
bool NameBefore(const SortKey &a, const SortKey &b) { return a.name < b.name; }
bool ReverseNameBefore(const SortKey &a, const SortKey &b) { return b.name < a.name; }
bool AlignmentBefore(const SortKey &a, const SortKey &b) { return a.alignment > b.alignment; }
bool LargerBefore(const SortKey &a, const SortKey &b) { return a.size > b.size; }
bool SmallerBefore(const SortKey &a, const SortKey &b) { return a.size < b.size; }
bool AddressBefore(const SortKey &a, const SortKey &b) { return a.address < b.address; }

bool AlignmentThenSizeBefore(const SortKey &a, const SortKey &b) {
  if (a.alignment != b.alignment)
    return a.alignment > b.alignment;
  return a.size > b.size;
}

bool AlignmentThenNameBefore(const SortKey &a, const SortKey &b) {
  if (a.alignment != b.alignment)
    return a.alignment > b.alignment;
  return NameBefore(a, b);
}

bool SizeThenAlignmentBefore(const SortKey &a, const SortKey &b) {
  if (a.size != b.size)
    return a.size > b.size;
  return a.alignment > b.alignment;
}

bool AccessThenSizeBefore(const SortKey &a, const SortKey &b) {
  if (a.kind != b.kind)
    return a.kind < b.kind;
  return a.size > b.size;
}

bool FileBefore(const SortKey &a, const SortKey &b) {
  if (a.fileOrder != b.fileOrder)
    return a.fileOrder < b.fileOrder;
  return NameBefore(a, b);
}

bool AutoBefore(const SortKey &a, const SortKey &b) {
  if (a.initMethod != b.initMethod)
    return a.initMethod < b.initMethod;
  return AlignmentThenSizeBefore(a, b);
}

// Link-ordered sections follow the address of the section they are
// linked to; anything else goes by name.
bool LinkedBefore(const SortKey &a, const SortKey &b) {
  auto *sa = dynamic_cast<const LinkSection *>(a.item);
  auto *sb = dynamic_cast<const LinkSection *>(b.item);
  if (sa && sb && sa->linkedTo && sb->linkedTo)
    return sa->linkedTo->Address() < sb->linkedTo->Address();
  return NameBefore(a, b);
}

// The exception index section that follows `item`, if it is a section
// with one.
const LinkSection *IndexSectionOf(const Locatable *item) {
  auto *section = dynamic_cast<const LinkSection *>(item);
  return section ? section->linkedIndexSection : nullptr;
}

// The second word of an index entry: EXIDX_CANTUNWIND, an inline entry or
// the offset of the unwind table entry. Index tables are little-endian.
uint32_t UnwindWord(const LinkSection &index) {
  const uint8_t *bytes = index.Contents();
  if (!bytes || index.sh_type == kShtNobits || index.Size() < 8)
    return 0;
  return bytes[4] | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 | uint32_t(bytes[7]) << 24;
}

// Sections with the same unwind word end up together, so the index table
// optimisation can fold their entries.
bool ExceptionBefore(const SortKey &a, const SortKey &b) {
  bool targetA = a.item->state & StateLinkTarget, targetB = b.item->state & StateLinkTarget;
  const LinkSection *indexA = IndexSectionOf(a.item), *indexB = IndexSectionOf(b.item);
  if (targetA && targetB && indexA && indexB) {
    uint32_t wordA = UnwindWord(*indexA), wordB = UnwindWord(*indexB);
    if (wordA != wordB)
      return wordA < wordB;
  }
  if (targetA != targetB)
    return targetA;
  return a.size < b.size;
}

struct PlainOrdering {
  Before before;
  bool names;
};

// The comparison of each ordering that is a plain stable sort; null for
// the orderings that leave the list alone or have an algorithm of their
// own.
const PlainOrdering kStableOrderings[] = {
    {nullptr, false},                 // 0 any
    {nullptr, false},                 // 1 fixed
    {LinkedBefore, true},             // 2 linked
    {NameBefore, true},               // 3 alphabetical
    {ReverseNameBefore, true},        // 4 reverse alphabetical
    {AlignmentBefore, false},         // 5 alignment
    {AlignmentThenSizeBefore, false}, // 6 alignment then size
    {AlignmentThenNameBefore, true},  // 7 alignment then alphabetical
    {LargerBefore, false},            // 8 size
    {SizeThenAlignmentBefore, false}, // 9 size then alignment
    {SmallerBefore, false},           // 10 reverse size
    {AccessThenSizeBefore, false},    // 11 access then size
    {nullptr, false},                 // 12 maximum packing
    {nullptr, false},                 // 13 locality
    {nullptr, false},                 // 14 reference count
    {ExceptionBefore, false},         // 15 exception
    {FileBefore, true},               // 16 file
    {nullptr, false},                 // 17 random
    {AutoBefore, false},              // 18 auto
    {AddressBefore, false},           // 19 address
};

// A stable merge sort of the members by one plain ordering. The keys stay
// where they are made; only pointers to them move.
void SortPlain(std::vector<Locatable *> &items, const PlainOrdering &ordering) {
  std::vector<SortKey> keys;
  keys.reserve(items.size());
  for (Locatable *item : items)
    keys.push_back(MakeKey(item, ordering.names));
  std::vector<const SortKey *> order;
  order.reserve(keys.size());
  for (const SortKey &key : keys)
    order.push_back(&key);
  MergeSort(order, [before = ordering.before](const SortKey *later, const SortKey *earlier) {
    return before(*later, *earlier);
  });
  for (size_t i = 0; i < items.size(); ++i)
    items[i] = order[i]->item;
}

} // namespace

void SortByLinkedOrder(std::vector<Locatable *> &items) { SortPlain(items, kStableOrderings[2]); }

// ---------------------------------------------------------------------------
// Maximum packing

namespace {

// Members by alignment and by the size left over beyond a multiple of 4,
// each in member order.
struct PackingBuckets {
  std::deque<Locatable *> wide, odd, whole4, ragged4, whole2, ragged2;
  std::deque<Locatable *> bytes[4]; // alignment 1, by size modulo 4

  std::deque<Locatable *> &For(const Locatable *item) {
    uint32_t align = item->Alignment(), rest = item->Size() % 4;
    if (align > 4)
      return wide;
    if (align == 4)
      return rest ? ragged4 : whole4;
    if (align == 2)
      return rest ? ragged2 : whole2;
    if (align == 1)
      return bytes[rest];
    return odd;
  }
};

// Lays out members so that the tail of each 4-aligned member that is not
// a multiple of 4 long is filled by smaller members instead of padding.
class Packer {
public:
  explicit Packer(std::vector<Locatable *> &result) : result(result) {}

  void Pack(PackingBuckets &buckets) {
    Append(buckets.wide);
    Append(buckets.odd);
    Append(buckets.whole4);
    std::deque<Locatable *> left = FirstPass(buckets);
    left = SecondPass(buckets, left);
    left = ThirdPass(buckets, left);
    for (auto *bucket : {&left, &buckets.ragged2, &buckets.whole2, &buckets.bytes[3], &buckets.bytes[2],
                         &buckets.bytes[1], &buckets.bytes[0]})
      Append(*bucket);
  }

private:
  void Append(std::deque<Locatable *> &bucket) {
    result.insert(result.end(), bucket.begin(), bucket.end());
    bucket.clear();
  }
  void TakeFirst(std::deque<Locatable *> &bucket) {
    result.push_back(bucket.front());
    bucket.pop_front();
  }

  std::deque<Locatable *> FirstPass(PackingBuckets &b) {
    std::deque<Locatable *> left;
    for (Locatable *item : b.ragged4) {
      uint32_t rest = item->Size() % 4;
      std::deque<Locatable *> *partner = nullptr;
      if (rest == 2)
        partner = !b.ragged2.empty() ? &b.ragged2 : !b.bytes[2].empty() ? &b.bytes[2] : nullptr;
      else if (rest == 3 || rest == 1)
        partner = !b.bytes[4 - rest].empty() ? &b.bytes[4 - rest] : nullptr;
      if (!partner) {
        left.push_back(item);
        continue;
      }
      result.push_back(item);
      TakeFirst(*partner);
    }
    b.ragged4.clear();
    return left;
  }

  std::deque<Locatable *> SecondPass(PackingBuckets &b, const std::deque<Locatable *> &items) {
    std::deque<Locatable *> left;
    for (Locatable *item : items) {
      uint32_t rest = item->Size() % 4;
      if (rest == 2 && b.bytes[1].size() >= 2) {
        result.push_back(item);
        TakeFirst(b.bytes[1]);
        TakeFirst(b.bytes[1]);
      } else if (rest == 1 && !b.bytes[1].empty() && !b.ragged2.empty()) {
        result.push_back(item);
        TakeFirst(b.bytes[1]);
        TakeFirst(b.ragged2);
      } else {
        left.push_back(item);
      }
    }
    return left;
  }

  std::deque<Locatable *> ThirdPass(PackingBuckets &b, const std::deque<Locatable *> &items) {
    std::deque<Locatable *> left;
    for (Locatable *item : items) {
      if (item->Size() % 4 == 1 && !b.ragged2.empty()) {
        result.push_back(item);
        TakeFirst(b.ragged2);
      } else {
        left.push_back(item);
      }
    }
    return left;
  }

  std::vector<Locatable *> &result;
};

} // namespace

// With unwind tables, functions that have an index entry go first, in
// member order, so that their index entries stay together.
static void MaximumPacking(BaseLinker &linker, std::vector<Locatable *> &members) {
  bool unwind = linker.TestFlag(Flag::UnwindTables);
  std::vector<Locatable *> result;
  result.reserve(members.size());
  PackingBuckets buckets;
  for (Locatable *item : members) {
    if (unwind && IndexSectionOf(item))
      result.push_back(item);
    else
      buckets.For(item).push_back(item);
  }
  Packer(result).Pack(buckets);
  members.swap(result);
}

// ---------------------------------------------------------------------------
// References between sections

// The section that a relocation of `section` refers to; null when the
// target lies in no section (undefined or absolute symbols).
static LinkSection *ReferencedSection(BaseLinker &linker, LinkSection &section, Relocation &relocation) {
  RelocationTarget target;
  target.relocation = &relocation;
  target.section = &section;
  ResolveTarget(linker, target);
  LinkSection *referenced = target.symbol ? target.symbol->section : nullptr;
  if (!referenced || referenced->isNullSection || referenced->index == kIndexUndefined ||
      referenced->index == kIndexAbsolute)
    return nullptr;
  return referenced;
}

static uint32_t ReferenceCount(const Locatable *item) {
  auto *section = dynamic_cast<const LinkSection *>(item);
  return section ? section->referenceCount : 0;
}

void BaseLinker::ReferenceCounting() {
  // The set of counted sections only orders the log; without a log the
  // count alone is kept, since the set costs more than the counting.
  bool logging = LogOpen();
  std::set<LinkSection *, BySerial> counted;
  for (LinkSection *section : sectionsToPlace) {
    if (!(section->sh_flags & kShfExecinstr))
      continue;
    for (Relocation &relocation : Relocations(*this, *section)) {
      if (!IsRelocationAppliedChecked(relocation.type))
        continue;
      if (LinkSection *target = ReferencedSection(*this, *section, relocation)) {
        ++target->referenceCount;
        if (logging)
          counted.insert(target);
      }
    }
  }
  if (!logging)
    return;
  LogLine("Section reference counts");
  LogIndent();
  for (LinkSection *section : counted)
    LogLine("%5u  %5u  %s", section->referenceCount, section->Size(), section->Describe().c_str());
  LogOutdent();
}

// ---------------------------------------------------------------------------
// Reference count order

// Larger and more often referenced members first. Equal keys take the
// later member first, which is how the merge treats ties.
static void ReferenceCountOrder(std::vector<Locatable *> &members) {
  auto key = [](const Locatable *item) { return 16 * uint64_t(item->Size()) + ReferenceCount(item); };
  MergeSort(members, [&](const Locatable *later, const Locatable *earlier) { return key(later) >= key(earlier); });
  if (!LogOpen())
    return;
  for (const Locatable *item : members)
    LogLine("^^^ %5u  %5u  %s", ReferenceCount(item), item->Size(), item->Describe().c_str());
}

// ---------------------------------------------------------------------------
// Locality order

// A title line, then each item with the input it comes from.
static void LogMembers(const char *title, const std::vector<Locatable *> &items) {
  LogLine("%s", title);
  LogIndent();
  for (const Locatable *item : items)
    LogLine("%s (%s)", item->Describe().c_str(), item->InputName().c_str());
  LogOutdent();
}

namespace {

// The members as a graph: an edge from a member to every other member one
// of its relocations refers to. Each root (a member that refers to others
// and that none refers to) heads a group of the members reachable from it
// that no earlier group took, so a member reachable from several roots or
// lying on a cycle is placed once.
class LocalityGraph {
public:
  LocalityGraph(BaseLinker &linker, const std::vector<Locatable *> &members);
  std::vector<Locatable *> Order();

private:
  void AddEdges(BaseLinker &linker, size_t from);
  std::vector<size_t> Roots() const;
  void TakeGroup(size_t root);
  std::vector<Locatable *> LayOut(size_t head) const;
  static void LogGroup(const Locatable *head, const std::vector<Locatable *> &group);

  const std::vector<Locatable *> &members;
  std::unordered_map<const Locatable *, size_t> position;
  std::vector<std::vector<size_t>> successors;
  std::vector<uint32_t> incoming;
  // The tree that TakeGroup builds inside each group.
  std::vector<std::vector<size_t>> children;
  std::vector<bool> taken;
};

LocalityGraph::LocalityGraph(BaseLinker &linker, const std::vector<Locatable *> &items)
    : members(items), successors(items.size()), incoming(items.size()), children(items.size()), taken(items.size()) {
  for (size_t i = 0; i < members.size(); ++i)
    position.emplace(members[i], i);
  for (size_t i = 0; i < members.size(); ++i)
    AddEdges(linker, i);
}

// Edges are kept by serial and without repeats, so the groups do not
// depend on the order the members arrive in and sorting twice gives the
// order that sorting once gave.
void LocalityGraph::AddEdges(BaseLinker &linker, size_t from) {
  auto *section = dynamic_cast<LinkSection *>(members[from]);
  if (!section)
    return;
  std::vector<size_t> &out = successors[from];
  for (Relocation &relocation : Relocations(linker, *section)) {
    LinkSection *target = ReferencedSection(linker, *section, relocation);
    auto found = target ? position.find(target) : position.end();
    if (found != position.end() && found->second != from)
      out.push_back(found->second);
  }
  std::sort(out.begin(), out.end(), [&](size_t a, size_t b) { return members[a]->serial < members[b]->serial; });
  out.erase(std::unique(out.begin(), out.end()), out.end());
  for (size_t to : out)
    ++incoming[to];
}

std::vector<size_t> LocalityGraph::Roots() const {
  std::vector<size_t> roots;
  for (size_t i = 0; i < members.size(); ++i)
    if (!successors[i].empty() && incoming[i] == 0)
      roots.push_back(i);
  std::sort(roots.begin(), roots.end(), [&](size_t a, size_t b) { return members[a]->serial < members[b]->serial; });
  return roots;
}

// Breadth first, so every member hangs below the nearest member of the
// group that refers to it.
void LocalityGraph::TakeGroup(size_t root) {
  std::deque<size_t> queue = {root};
  taken[root] = true;
  while (!queue.empty()) {
    size_t node = queue.front();
    queue.pop_front();
    for (size_t next : successors[node]) {
      if (taken[next])
        continue;
      taken[next] = true;
      children[node].push_back(next);
      queue.push_back(next);
    }
  }
}

// Each node goes between the larger and the smaller half of its children
// (largest first), so that it sits close to as many of them as it can. An
// explicit stack keeps deep reference chains off the call stack.
std::vector<Locatable *> LocalityGraph::LayOut(size_t head) const {
  struct Step {
    size_t node;
    bool expand;
  };
  std::vector<Locatable *> out;
  std::vector<Step> stack = {{head, true}};
  while (!stack.empty()) {
    Step step = stack.back();
    stack.pop_back();
    if (!step.expand) {
      out.push_back(members[step.node]);
      continue;
    }
    std::vector<size_t> kids = children[step.node];
    std::stable_sort(kids.begin(), kids.end(),
                     [&](size_t a, size_t b) { return members[a]->Size() > members[b]->Size(); });
    size_t half = kids.size() / 2;
    for (size_t i = kids.size(); i-- > half;)
      stack.push_back({kids[i], true});
    stack.push_back({step.node, false});
    for (size_t i = half; i-- > 0;)
      stack.push_back({kids[i], true});
  }
  return out;
}

void LocalityGraph::LogGroup(const Locatable *head, const std::vector<Locatable *> &group) {
  LogLine("Clique headed by %s (%s), %u members", head->Describe().c_str(), head->InputName().c_str(),
          uint32_t(group.size()));
  LogIndent();
  for (const Locatable *item : group)
    LogLine("%s, %u bytes", item->Describe().c_str(), item->Size());
  LogOutdent();
}

std::vector<Locatable *> LocalityGraph::Order() {
  std::vector<size_t> roots = Roots();
  if (LogOpen()) {
    std::vector<Locatable *> rootItems;
    for (size_t root : roots)
      rootItems.push_back(members[root]);
    LogMembers("Roots:", rootItems);
  }
  std::vector<Locatable *> order;
  for (size_t root : roots) {
    TakeGroup(root);
    std::vector<Locatable *> group = LayOut(root);
    if (LogOpen())
      LogGroup(members[root], group);
    order.insert(order.end(), group.begin(), group.end());
  }
  std::vector<Locatable *> throwIns;
  for (size_t i = 0; i < members.size(); ++i)
    if (!taken[i])
      throwIns.push_back(members[i]);
  if (LogOpen()) {
    LogMembers(Format("First-cut order (%u sections):", uint32_t(order.size())).c_str(), order);
    LogMembers("Throw-in sections:", throwIns);
  }
  order.insert(order.end(), throwIns.begin(), throwIns.end());
  return order;
}

} // namespace

// Members that refer to each other end up close together.
static void LocalityOrder(BaseLinker &linker, std::vector<Locatable *> &members) {
  if (LogOpen())
    LogMembers("Inputs:", members);
  LogLine("Creating graph");
  std::vector<Locatable *> order = LocalityGraph(linker, members).Order();
  if (order.size() != members.size())
    InternalError("order by locality ordering failure (%u sorted vs %u unsorted inputs)", uint32_t(order.size()),
                  uint32_t(members.size()));
  members.swap(order);
  if (LogOpen())
    LogMembers("Final order:", members);
}

// ---------------------------------------------------------------------------
// Random order

// The process never seeds rand(), so every run shuffles the same way.
static void RandomOrder(std::vector<Locatable *> &members) {
  for (size_t i = 1; i < members.size(); ++i)
    std::swap(members[i], members[size_t(std::rand()) % (i + 1)]);
}

// ---------------------------------------------------------------------------
// Sorting

void SortMembers(BaseLinker &linker, std::vector<Locatable *> &members, uint32_t order) {
  if (order < std::size(kStableOrderings) && kStableOrderings[order].before) {
    SortPlain(members, kStableOrderings[order]);
    return;
  }
  switch (order) {
  case 0:
  case 1:
    return;
  case 12:
    return MaximumPacking(linker, members);
  case 13:
    return LocalityOrder(linker, members);
  case 14:
    return ReferenceCountOrder(members);
  case 17:
    return RandomOrder(members);
  default:
    InternalError("bad section sort order (%d)", int(order));
  }
}

// The first link-ordered member marks the block, so that mapping it
// enforces the order of the sections the members follow.
static void SortStatementInputs(BaseLinker &linker, LinkBlock &block) {
  LogIndent();
  for (const Locatable *member : block.members) {
    if (!(member->state & StateLinkOrdered))
      continue;
    if (block.TestAndSet(StateLinkOrdered))
      LogLine("Note: %s has inputs requiring section ordering", block.Describe().c_str());
    break;
  }
  SortMembers(linker, block.members, block.order);
  LogOutdent();
}

void DefineBlockTask::SortInputs(BaseLinker &linker) {
  LogLine("Sorting sections %s for %s", OrderName(block->order), block->Describe().c_str());
  SortStatementInputs(linker, *block);
}

void PlaceInTask::SortInputs(BaseLinker &linker) {
  if (LogOpen()) {
    std::string text;
    for (const RangeList &region : regions)
      text += (text.empty() ? "" : " and then ") + LongText(region);
    LogLine("Sorting sections %s for place in %s", OrderName(block->order), text.c_str());
  }
  SortStatementInputs(linker, *block);
}

void PlaceAtTask::SortInputs(BaseLinker &linker) {
  LogLine("Sorting sections %s for place at", OrderName(block->order));
  SortStatementInputs(linker, *block);
}

void BaseLinker::SortInputs() {
  mainTask->Walk([this](ScriptTask &task) { task.SortInputs(*this); });
}

// ---------------------------------------------------------------------------
// Block size and alignment

// The smallest power of two not below `value`.
static uint64_t PowerOfTwoAtLeast(uint64_t value) {
  uint64_t power = 1;
  while (power < value)
    power *= 2;
  return power;
}

// The members' size laid out in order, and the largest alignment among the
// block and its members. Members placed by an earlier statement take no
// room here.
static std::pair<uint64_t, uint32_t> MeasureMembers(const LinkBlock &block) {
  uint64_t size = 0;
  uint32_t alignment = block.Alignment();
  for (const Locatable *member : block.members) {
    if (member->IsMapped())
      continue;
    uint64_t align = std::max<uint32_t>(member->Alignment(), 1);
    size = (size + align - 1) / align * align + member->Size();
    alignment = std::max<uint32_t>(alignment, align);
  }
  return {size, alignment};
}

// An MPU region is a power of two in size and aligned to its size.
static uint64_t MpuSize(BaseLinker &linker, const LinkBlock &block, uint64_t size, uint32_t alignment) {
  uint64_t rounded = PowerOfTwoAtLeast(std::max<uint64_t>(size, alignment));
  if (rounded <= 0xFFFFFFFF)
    LogLine("Size and alignment of %s set to %s for MPU ranges", block.Describe().c_str(),
            FormatSize(linker, uint32_t(rounded)).c_str());
  return rounded;
}

// Sums of member sizes are kept in 64 bits: a block whose members do not
// fit in the address space must not wrap round to a small size.
void SizeAndAlignBlock(BaseLinker &linker, LinkBlock &block) {
  LogLine("Process %s:", block.Describe().c_str());
  LogIndent();
  for (LinkBlock *nested : block.nestedBlocks)
    SizeAndAlignBlock(linker, *nested);
  auto [size, alignment] = MeasureMembers(block);
  if (block.mpu) {
    block.fixedSize = 0;
    size = MpuSize(linker, block, size, alignment);
  }
  if (size > 0xFFFFFFFF)
    Fatal(linker, "%s overflow: requires %llu bytes, more than the address space", block.Describe().c_str(),
          static_cast<unsigned long long>(size));
  if (block.mpu)
    alignment = uint32_t(size);
  if (!block.fixedSize)
    block.size = uint32_t(size);
  else if (block.size < size)
    Fatal(linker, "%s overflow: fixed size %u bytes but requires %u bytes", block.Describe().c_str(), block.size,
          uint32_t(size));
  block.alignment = alignment;
  LogLine("size = %s, alignment = %s", FormatSize(linker, block.size).c_str(),
          FormatSize(linker, block.Alignment()).c_str());
  LogOutdent();
}

void DefineBlockTask::SizeAndAlign(BaseLinker &linker) { SizeAndAlignBlock(linker, *block); }
void PlaceAtTask::SizeAndAlign(BaseLinker &linker) { SizeAndAlignBlock(linker, *block); }

void BaseLinker::SizeAndAlignment() {
  mainTask->Walk([this](ScriptTask &task) { task.SizeAndAlign(*this); });
}

} // namespace tanrek
