// The statement parser.
//
// Every statement becomes a task in one of three lists: placements at a
// fixed address ("place at", "place after"), placements into regions
// ("place in"), and everything else. The two placement lists join the main
// list when all scripts are read, so every later walk sees the ordinary
// statements first, then all fixed placements, then all region placements,
// whatever order the script wrote them in.
//
// "block NAME" inside a selector refers to a defined block; with a body
// ("with", a selector or "except" following), or without a name, it defines
// an inline block where inline blocks are allowed. Anonymous blocks are
// named after the position of their statement, numbered in parse order.
#include "script/script_parser.h"

#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "driver/options.h"
#include "icv/integrity.h"
#include "input/input_file.h"
#include "script/linker_expr.h"
#include "script/region.h"
#include "script/script_lexer.h"
#include "script/script_task.h"
#include "symbols/definitions.h"
#include "symbols/symbol.h"
#include "symbols/symbol_table.h"

namespace tanrek {

namespace {

constexpr size_t kMaxIcvNameLength = 255;

class StatementParser {
public:
  StatementParser(BaseLinker &linker, ScriptLexer &lexer) : linker(linker), lexer(lexer) {}

  void Run() {
    lexer.Next();
    while (!lexer.Is(Token::Eof))
      Statement();
  }

private:
  // --- Small helpers ------------------------------------------------------

  std::string Name() {
    std::string name;
    lexer.ExpectText(Token::Id, name);
    return name;
  }

  uint32_t Const() { return ParseConst(linker, lexer); }

  RangeList Region() {
    RangeList region;
    ParseRegionExpr(linker, lexer, region);
    return region;
  }

  // "= CONST" after an attribute word.
  uint32_t AssignedConst() {
    lexer.Expect(Token::Assign);
    return Const();
  }

  // --- Statements ---------------------------------------------------------

  void Statement() {
    SourceLocation start = lexer.tokenPos;
    switch (lexer.kind) {
    case Token::Option:
      lexer.Next();
      OptionStatement();
      break;
    case Token::Default:
      lexer.Next();
      if (!lexer.Accept(Token::Region))
        FatalAt(lexer.tokenPos, "syntax error parsing 'default'");
      DefineRegion(true);
      break;
    case Token::Define:
      lexer.Next();
      Define();
      break;
    case Token::Keep:
      lexer.Next();
      linker.mainTask->Add<KeepTask>(Selector(nullptr));
      break;
    case Token::Fill:
      lexer.Next();
      FillStatement();
      break;
    case Token::Do:
      lexer.Next();
      lexer.Expect(Token::Not);
      lexer.Expect(Token::Initialize);
      linker.mainTask->Add<InitializeTask>(InitNone, Selector(nullptr));
      break;
    case Token::Initialize:
      lexer.Next();
      Initialize(start);
      break;
    case Token::Assert:
      lexer.Next();
      AssertStatement();
      break;
    case Token::Place:
      lexer.Next();
      Placement({});
      break;
    case Token::Id: {
      std::string label = lexer.text;
      lexer.Next();
      lexer.Expect(Token::Colon);
      lexer.Expect(Token::Place);
      Placement(label);
      break;
    }
    default:
      FatalAt(lexer.tokenPos, "error at start of linker command");
    }
    lexer.Expect(Token::Semicolon);
  }

  // The text goes through the command-line option parser, as if it had
  // been given there.
  void OptionStatement() {
    AsmOptionsFatal cursor(linker);
    cursor.SetArguments({Name()});
    linker.ParseOptions(cursor);
    targetBigEndian = linker.TestFlag(Flag::BigEndian);
  }

  void Define() {
    switch (lexer.kind) {
    case Token::Memory:
      lexer.Next();
      ParseDefineMemory(linker, lexer);
      return;
    case Token::Region:
      lexer.Next();
      DefineRegion(false);
      return;
    case Token::Block:
      lexer.Next();
      DefineBlock();
      return;
    case Token::Section:
      lexer.Next();
      DefineSection(false);
      return;
    case Token::Root:
      lexer.Next();
      lexer.Expect(Token::Section);
      DefineSection(true);
      return;
    case Token::Symbol:
      lexer.Next();
      DefineSymbol(false);
      return;
    case Token::Exported:
      lexer.Next();
      lexer.Expect(Token::Symbol);
      DefineSymbol(true);
      return;
    default:
      FatalAt(lexer.tokenPos, "syntax error parsing 'define'");
    }
  }

  // A default region leaves an existing region alone, so regions given on
  // the command line or earlier in the script win.
  void DefineRegion(bool isDefault) {
    bool exists = lexer.Is(Token::Id) && linker.regionTable.count(lexer.text);
    if (exists && !isDefault)
      FatalAt(lexer.tokenPos, "region '%s' is already defined", lexer.text.c_str());
    std::string name = Name();
    lexer.Expect(Token::Assign);
    RangeList region = Region();
    if (exists)
      return;
    linker.regionTable[name] = region;
    linker.mainTask->Add<DefineRegionTask>(name, std::move(region));
  }

  void DefineSymbol(bool exported) {
    std::string name = Name();
    lexer.Expect(Token::Assign);
    auto &task = linker.mainTask->Add<DefineSymbolTask>(name, ParseExpr(linker, lexer), exported);
    task.DefineSymbols(linker);
  }

  // --- Blocks -------------------------------------------------------------

  void DefineBlock() {
    SourceLocation where = lexer.tokenPos;
    MakeBlock(BlockDefined, Name(), where);
  }

  // A block of the script with its body; it enters the block table once
  // the body is read.
  LinkBlock *MakeBlock(BlockKind kind, const std::string &name, const SourceLocation &where) {
    NestingGuard guard(lexer);
    if (linker.blockTable.count(name))
      FatalAt(where, "block '%s' is already defined", name.c_str());
    auto owned = std::make_unique<LinkBlock>(kind, name);
    LinkBlock *block = owned.get();
    BlockBody(*block);
    if (!linker.blockTable.emplace(name, std::move(owned)).second)
      FatalAt(where, "block '%s' is already defined", name.c_str());
    if (block->kept) {
      LogLine("Adding %s to the mapped block set", name.c_str());
      linker.mappedBlocks.insert(block);
    }
    linker.mainTask->Add<DefineBlockTask>(block);
    return block;
  }

  void BlockBody(LinkBlock &block) {
    if (lexer.Accept(Token::With))
      BlockAttributes(block);
    block.selector = Selector(&block);
    if (lexer.Accept(Token::Except))
      Except(block.selector.except);
  }

  void BlockAttributes(LinkBlock &block) {
    do
      BlockAttribute(block);
    while (lexer.Accept(Token::Comma));
  }

  void BlockAttribute(LinkBlock &block) {
    switch (lexer.kind) {
    case Token::Keep:
      lexer.Next();
      block.kept = 1;
      return;
    case Token::Fill:
      lexer.Next();
      block.hasFill = 1;
      block.fillByte = uint8_t(AssignedConst());
      return;
    case Token::Do:
      lexer.Next();
      lexer.Expect(Token::Not);
      lexer.Expect(Token::Fill);
      block.hasFill = 0;
      return;
    case Token::Mpu:
      lexer.Next();
      if (lexer.Accept(Token::Ranges))
        block.mpu = 1;
      return;
    case Token::Size:
      lexer.Next();
      if (lexer.Is(Token::Assign)) {
        block.size = AssignedConst();
        block.fixedSize = 1;
        return;
      }
      block.order = SizeOrdering();
      return;
    case Token::Alignment:
      lexer.Next();
      if (lexer.Is(Token::Assign)) {
        block.alignment = AssignedConst();
        return;
      }
      block.order = AlignmentOrdering();
      return;
    case Token::Readwrite:
    case Token::Readexec:
      block.blockFlags |= lexer.Is(Token::Readwrite) ? 1 : 4;
      lexer.Next();
      lexer.Expect(Token::Access);
      return;
    default:
      if (uint32_t order = Ordering()) {
        block.order = order;
        return;
      }
      // An unnamed placement block gets its name after its attributes.
      std::string name = block.name.empty() ? AnonymousName(lexer.tokenPos) : block.name;
      FatalAt(lexer.tokenPos, "bad attribute defining %s", name.c_str());
    }
  }

  // After "size": "order" or "then alignment order".
  uint32_t SizeOrdering() {
    if (!lexer.Accept(Token::Then))
      return Order(8);
    lexer.Expect(Token::Alignment);
    return Order(9);
  }

  // After "alignment": "order", "then size order" or "then alphabetical
  // order".
  uint32_t AlignmentOrdering() {
    if (!lexer.Accept(Token::Then))
      return Order(5);
    return Order(AlphabeticalOrSize(7, 6));
  }

  uint32_t AlphabeticalOrSize(uint32_t alphabetical, uint32_t size) {
    if (lexer.Accept(Token::Alphabetical))
      return alphabetical;
    if (lexer.Accept(Token::Size))
      return size;
    FatalAt(lexer.tokenPos, "expected 'alphabetical' or 'size'");
  }

  // Reads "order" after the words of an ordering.
  uint32_t Order(uint32_t order) {
    lexer.Expect(Token::Order);
    return order;
  }

  // The orderings that start with a word of their own; 0 when the current
  // token starts none.
  uint32_t Ordering() {
    Token word = lexer.kind;
    switch (word) {
    case Token::Fixed:
    case Token::Alphabetical:
    case Token::Locality:
    case Token::File:
    case Token::Random:
    case Token::Auto:
      lexer.Next();
      return Order(SingleWordOrder(word));
    case Token::Reverse:
      lexer.Next();
      return Order(AlphabeticalOrSize(4, 10));
    case Token::Access:
      lexer.Next();
      lexer.Expect(Token::Then);
      lexer.Expect(Token::Size);
      return Order(11);
    case Token::Minimum:
      lexer.Next();
      if (lexer.Accept(Token::Unwindable))
        return Order(15);
      lexer.Expect(Token::Size);
      return Order(12);
    case Token::Maximum:
      lexer.Next();
      lexer.Expect(Token::Packing);
      lexer.Accept(Token::Order);
      return 12;
    case Token::Reference:
      lexer.Next();
      lexer.Expect(Token::Count);
      return Order(14);
    default:
      return 0;
    }
  }

  static uint32_t SingleWordOrder(Token word) {
    switch (word) {
    case Token::Fixed:
      return 1;
    case Token::Alphabetical:
      return 3;
    case Token::Locality:
      return 13;
    case Token::File:
      return 16;
    case Token::Random:
      return 17;
    default: // Auto, also written "smallest"
      return 18;
    }
  }

  // --- Selectors ----------------------------------------------------------

  // "{ item, item, ... }", or nothing at all for an empty selector.
  // Inline blocks are allowed in the selector of a block (`owner`) only;
  // they become its nested blocks.
  SectionSelector Selector(LinkBlock *owner) {
    SectionSelector selector;
    if (!lexer.Accept(Token::LBrace))
      return selector;
    while (!lexer.Accept(Token::RBrace)) {
      SelectorItem(selector, owner);
      if (!lexer.Accept(Token::Comma)) {
        lexer.Expect(Token::RBrace);
        break;
      }
    }
    return selector;
  }

  // Kind words, init_array, fini_array and unwindable; false for any other
  // token.
  bool MaskItem(SelectorMasks &masks) {
    switch (lexer.kind) {
    case Token::Readexec:
      masks.kindMask |= kSelectReadexec;
      break;
    case Token::Readonly:
      masks.kindMask |= kSelectReadonly;
      break;
    case Token::Readwrite:
      masks.kindMask |= kSelectReadwrite;
      break;
    case Token::Zeroinit:
      masks.kindMask |= kSelectZeroinit;
      break;
    case Token::InitArray:
      masks.specialMask |= kSelectInitArray;
      break;
    case Token::FiniArray:
      masks.specialMask |= kSelectFiniArray;
      break;
    case Token::Unwindable:
      masks.unwindMask |= kSelectUnwindable;
      break;
    default:
      return false;
    }
    lexer.Next();
    return true;
  }

  // section NAME or symbol NAME; false for any other token.
  bool PatternItem(SelectorMasks &masks) {
    if (lexer.Accept(Token::Section)) {
      masks.sectionNames.push_back(Name());
      return true;
    }
    if (lexer.Accept(Token::Symbol)) {
      masks.symbolNames.push_back(Name());
      return true;
    }
    return false;
  }

  void SelectorItem(SectionSelector &selector, LinkBlock *owner) {
    if (MaskItem(selector) || PatternItem(selector))
      return;
    if (lexer.Is(Token::First) || lexer.Is(Token::Last)) {
      EdgeItem(selector);
      return;
    }
    SourceLocation where;
    if (lexer.AcceptAt(Token::Block, where)) {
      selector.blocks.push_back(BlockItem(owner, where));
      return;
    }
    if (lexer.Accept(Token::Copy)) {
      selector.copiedBlocks.push_back(CopyOfBlock());
      return;
    }
    if (lexer.Accept(Token::Integrity)) {
      lexer.Expect(Token::Check);
      if (LinkICVSection *check = IntegrityCheck())
        selector.checks.push_back(check);
      return;
    }
    lexer.Expect(Token::RBrace);
  }

  // first/last section NAME and first/last symbol NAME.
  void EdgeItem(SectionSelector &selector) {
    bool first = lexer.Is(Token::First);
    lexer.Next();
    if (lexer.Accept(Token::Section)) {
      std::string name = Name();
      selector.sectionNames.push_back(name);
      (first ? selector.firstSections : selector.lastSections).push_back(name);
    } else if (lexer.Accept(Token::Symbol)) {
      std::string name = Name();
      selector.symbolNames.push_back(name);
      (first ? selector.firstSymbols : selector.lastSymbols).push_back(name);
    } else {
      FatalAt(lexer.tokenPos, "expected '%s' or '%s'", "section", "symbol");
    }
  }

  LinkBlock *InlineBlock(LinkBlock &owner, const std::string &name, const SourceLocation &where) {
    LinkBlock *block = MakeBlock(BlockInline, name, where);
    owner.nestedBlocks.push_back(block);
    return block;
  }

  bool StartsBlockBody() const {
    return lexer.Is(Token::With) || lexer.Is(Token::LBrace) || lexer.Is(Token::Except);
  }

  // After "block": a reference to a defined block, or an inline block.
  LinkBlock *BlockItem(LinkBlock *owner, const SourceLocation &keyword) {
    if (!lexer.Is(Token::Id)) {
      if (!owner || !StartsBlockBody())
        lexer.Expect(Token::Id);
      return InlineBlock(*owner, AnonymousName(keyword), keyword);
    }
    SourceLocation where = lexer.tokenPos;
    std::string name = Name();
    if (owner && StartsBlockBody())
      return InlineBlock(*owner, name, where);
    auto entry = linker.blockTable.find(name);
    if (entry == linker.blockTable.end())
      FatalAt(where, "block '%s' is not defined", name.c_str());
    return entry->second.get();
  }

  // The load image of a block initialized by copy, carried by a read-only
  // section of the linker's own that takes the block's contents once the
  // block is relocated.
  LinkCopiedBlock *CopyOfBlock() {
    lexer.Expect(Token::Of);
    lexer.Expect(Token::Block);
    SourceLocation where = lexer.tokenPos;
    std::string name = Name();
    auto entry = linker.blockTable.find(name);
    if (entry == linker.blockTable.end())
      FatalAt(where, "block '%s' is not declared", name.c_str());
    LinkSection *carrier =
        MakeLinkerSection(linker, ".rodata.block." + name + ".copy", kShtProgbits, kShfAlloc, 0, 1);
    carrier->description = "Copied blocks";
    linker.copiedBlocks.push_back(std::make_unique<LinkCopiedBlock>(entry->second.get(), carrier));
    return linker.copiedBlocks.back().get();
  }

  void Except(SelectorMasks &except) {
    lexer.Expect(Token::LBrace);
    while (!lexer.Accept(Token::RBrace)) {
      if (!MaskItem(except) && !PatternItem(except))
        lexer.Expect(Token::RBrace);
      if (!lexer.Accept(Token::Comma)) {
        lexer.Expect(Token::RBrace);
        break;
      }
    }
  }

  // --- Integrity checks ---------------------------------------------------

  // of REGION [with] [algorithm = NAME] [fill = CONST], the options in any
  // order. No section is made once the run has counted an error.
  LinkICVSection *IntegrityCheck() {
    lexer.Expect(Token::Of);
    RangeList ranges = Region();
    std::string algorithm = kDefaultIntegrityAlgorithm;
    uint8_t fill = 0;
    lexer.Accept(Token::With);
    for (;;) {
      if (lexer.Accept(Token::Algorithm)) {
        lexer.Expect(Token::Assign);
        SourceLocation where = lexer.tokenPos;
        algorithm = Name();
        CheckAlgorithm(algorithm, where);
      } else if (lexer.Accept(Token::Fill)) {
        fill = uint8_t(AssignedConst());
      } else {
        break;
      }
    }
    if (linker.ErrorCount() > 0)
      return nullptr;
    std::string name = ".linker.rodata.icv." + ShortText(ranges) + "." + algorithm;
    auto section = std::make_unique<LinkICVSection>(name.substr(0, kMaxIcvNameLength), algorithm,
                                                    IntegrityResultSize(algorithm));
    section->ranges = std::move(ranges);
    section->fillByte = fill;
    section->file = linker.linkerInput.get();
    auto *check = static_cast<LinkICVSection *>(linker.linkerInput->AddSection(std::move(section)));
    linker.icvSections.insert(check);
    linker.contentSections.insert(check);
    return check;
  }

  void CheckAlgorithm(const std::string &algorithm, const SourceLocation &where) {
    if (IntegrityResultSize(algorithm))
      return;
    ErrorAt(linker, where, "integrity check algorithm '%s' not recognized", algorithm.c_str());
    RemarkAt(linker, where, "valid integrity check algorithms are:");
    for (std::string_view name : IntegrityAlgorithmNames())
      RemarkAt(linker, where, "- %s", std::string(name).c_str());
  }

  // --- User-defined sections ----------------------------------------------

  void DefineSection(bool root) {
    std::string name = Name();
    uint32_t flags = kShfAlloc, alignment = 0;
    if (lexer.Accept(Token::With))
      SectionAttributes(name, flags, alignment);
    LinkSection *section = MakeLinkerSection(linker, name, kShtProgbits, flags, 0, alignment);
    linker.contentSections.insert(section);
    lexer.Expect(Token::LBrace);
    DataItems(*section);
    if (root) {
      linker.rootSections.push_back(section);
      if (section->TestAndSet(StateQueued))
        linker.sectionWorklist.push_back(section);
    }
  }

  // Read-only sections are allocated only; executable ones are allocated
  // and executable; writable ones allocated and writable.
  void SectionAttributes(const std::string &name, uint32_t &flags, uint32_t &alignment) {
    do {
      if (lexer.Accept(Token::Alignment)) {
        alignment = AssignedConst();
        continue;
      }
      if (lexer.Accept(Token::Readwrite))
        flags = kShfAlloc | kShfWrite;
      else if (lexer.Accept(Token::Readexec))
        flags = kShfAlloc | kShfExecinstr;
      else if (lexer.Accept(Token::Readonly))
        flags = kShfAlloc;
      else
        FatalAt(lexer.tokenPos, "bad attribute defining %s", name.c_str());
      lexer.Expect(Token::Access);
    } while (lexer.Accept(Token::Comma));
  }

  // The width in bytes of a datum keyword; 0 for any other token.
  uint32_t DatumWidth() const {
    switch (lexer.kind) {
    case Token::Udata8:
    case Token::Sdata8:
      return 1;
    case Token::Udata16:
    case Token::Sdata16:
      return 2;
    case Token::Udata32:
    case Token::Sdata32:
      return 4;
    default:
      return 0;
    }
  }

  // { [LABEL :]... [DATUM], ... }: labels mark the offset of the next datum.
  void DataItems(LinkSection &section) {
    while (!lexer.Accept(Token::RBrace)) {
      while (lexer.Is(Token::Id)) {
        DefineLabel(section, Name());
        lexer.Expect(Token::Colon);
      }
      if (uint32_t width = DatumWidth()) {
        lexer.Next();
        AppendDatum(section, width, Const());
      }
      if (!lexer.Accept(Token::Comma)) {
        lexer.Expect(Token::RBrace);
        break;
      }
    }
  }

  void DefineLabel(LinkSection &section, const std::string &name) {
    Symbol *symbol = MakeLinkerSymbol(linker, name, section.sh_size);
    symbol->section = &section;
    symbol->sectionIndex = section.index;
    symbol->info = uint8_t(kStbGlobal << 4 | kSttObject);
    section.symbols.push_back(symbol);
    DefineGlobal(linker, symbol);
  }

  // Stores the low `width` bytes of the value in target byte order.
  static void AppendDatum(LinkSection &section, uint32_t width, uint32_t value) {
    uint8_t bytes[4];
    if (width == 1)
      WriteU8(bytes, uint8_t(value));
    else if (width == 2)
      WriteU16(bytes, uint16_t(value));
    else
      WriteU32(bytes, value);
    section.replacementContents.insert(section.replacementContents.end(), bytes, bytes + width);
    section.sh_size += width;
  }

  // --- fill, initialize, assert -------------------------------------------

  void FillStatement() {
    RangeList ranges = Region();
    lexer.Expect(Token::With);
    uint8_t fill = uint8_t(Const());
    RegisterFill(std::move(ranges), fill);
  }

  // A region may be filled by one statement only; an overlap is reported
  // and the later fill dropped.
  void RegisterFill(RangeList ranges, uint8_t fill) {
    RangeList overlap = ranges;
    Intersect(overlap, linker.filledRanges);
    if (!overlap.Empty()) {
      const SourceLocation &where = lexer.tokenPos;
      ErrorAt(linker, where, "Region (or part of region) is already filled by other 'fill' statement");
      ErrorAt(linker, where, "Already-Filled ranges: %s", LongText(linker.filledRanges).c_str());
      ErrorAt(linker, where, "Requested fill ranges: %s", LongText(ranges).c_str());
      ErrorAt(linker, where, "Overlapping ranges: %s", LongText(overlap).c_str());
      linker.diagnosticCounts[SeverityError] -= 3;
      return;
    }
    Union(linker.filledRanges, ranges);
    linker.fills.push_back(FillRequest{std::move(ranges), fill});
  }

  void Initialize(const SourceLocation &start) {
    if (lexer.Accept(Token::Manually)) {
      linker.mainTask->Add<InitializeTask>(InitManual, Selector(nullptr));
      return;
    }
    lexer.Expect(Token::By);
    if (lexer.Accept(Token::Copy)) {
      uint32_t method = InitCopy;
      if (lexer.Accept(Token::With))
        CopyOptions(method);
      linker.mainTask->Add<InitializeTask>(method, Selector(nullptr));
      return;
    }
    if (lexer.Accept(Token::Symbol)) {
      if (linker.TestFlag(Flag::WarnDeprecated))
        RemarkAt(linker, start,
                 "'initialize by symbol' is deprecated and will be removed; please use 'initialize by calling' "
                 "instead");
    } else {
      lexer.Expect(Token::Calling);
    }
    Symbol *function = InitRoutine(Name());
    linker.mainTask->Add<InitializeCallingTask>(Selector(nullptr), function);
  }

  // The routine is a reference of the linker's own, so that the archive
  // member that defines it is loaded.
  Symbol *InitRoutine(const std::string &name) {
    Symbol *function = MakeLinkerReference(linker, name);
    Require(linker, function->name);
    return function;
  }

  void CopyOptions(uint32_t &method) {
    do {
      if (lexer.Accept(Token::Simple) || lexer.Accept(Token::Complex)) {
        lexer.Expect(Token::Ranges);
        continue;
      }
      lexer.Expect(Token::Packing);
      lexer.Expect(Token::Assign);
      method = PackingMethod();
    } while (lexer.Accept(Token::Comma));
  }

  uint32_t PackingMethod() {
    static const std::pair<Token, InitMethod> kMethods[] = {
        {Token::None, InitCopy}, {Token::Zeros, InitZero}, {Token::Packbits, InitPackbits},
        {Token::Zpak, InitZpak}, {Token::Lzss, InitLzss},  {Token::Auto, InitAuto},
    };
    for (const auto &[token, method] : kMethods)
      if (lexer.Accept(token))
        return method;
    FatalAt(lexer.tokenPos, "expected initialization method");
  }

  // EXPR [with SEVERITY MESSAGE] | with SEVERITY MESSAGE { EXPR, ... } |
  // { EXPR, ... }: one check per expression.
  void AssertStatement() {
    uint32_t severity = SeverityError;
    std::string message;
    if (lexer.Accept(Token::With)) {
      SeverityAndMessage(severity, message);
      AssertList(severity, message);
      return;
    }
    if (lexer.Is(Token::LBrace)) {
      AssertList(severity, message);
      return;
    }
    SourceLocation where = lexer.tokenPos;
    ExprPtr expr = ParseExpr(linker, lexer);
    if (lexer.Accept(Token::With))
      SeverityAndMessage(severity, message);
    linker.mainTask->Add<AssertTask>(std::move(expr), message, severity, where);
  }

  void SeverityAndMessage(uint32_t &severity, std::string &message) {
    if (lexer.Accept(Token::Remark))
      severity = SeverityRemark;
    else if (lexer.Accept(Token::Warning))
      severity = SeverityWarning;
    else
      lexer.Expect(Token::Error);
    message = Name();
  }

  void AssertList(uint32_t severity, const std::string &message) {
    lexer.Expect(Token::LBrace);
    while (!lexer.Accept(Token::RBrace)) {
      SourceLocation where = lexer.tokenPos;
      linker.mainTask->Add<AssertTask>(ParseExpr(linker, lexer), message, severity, where);
      if (!lexer.Accept(Token::Comma)) {
        lexer.Expect(Token::RBrace);
        break;
      }
    }
  }

  // --- Placement ----------------------------------------------------------

  // The implicit block of a placement statement. Placement blocks are not
  // in the block table: nothing can name them.
  LinkBlock *PlacementBlock(BlockKind kind, const std::string &label) {
    linker.placementBlocks.push_back(std::make_unique<LinkBlock>(kind, label));
    return linker.placementBlocks.back().get();
  }

  // An unlabelled placement block is named after where its statement
  // stands; each form says which token that is.
  void NameIfUnlabelled(LinkBlock &block, const SourceLocation &position) {
    if (block.name.empty())
      block.name = AnonymousName(position);
  }

  void Placement(const std::string &label) {
    if (lexer.Accept(Token::In)) {
      PlaceIn(label);
      return;
    }
    if (lexer.Accept(Token::At)) {
      PlaceAt(label);
      return;
    }
    if (lexer.Accept(Token::After)) {
      if (lexer.Accept(Token::End))
        lexer.Expect(Token::Of);
      PlaceAtAddress(label, BlockPlaceAfter, Region().After(), false);
      return;
    }
    FatalAt(lexer.tokenPos, "require 'in' or 'at' to follow 'place'");
  }

  void PlaceIn(const std::string &label) {
    LinkBlock *block = PlacementBlock(BlockPlaceIn, label);
    NameIfUnlabelled(*block, lexer.tokenPos);
    std::vector<RangeList> regions;
    regions.push_back(Region());
    while (lexer.Accept(Token::Then))
      regions.push_back(Region());
    BlockBody(*block);
    if (block->hasFill)
      RegisterFill(regions.back(), block->fillByte);
    auto &task = linker.placeInTasks->Add<PlaceInTask>(block);
    task.regions = std::move(regions);
  }

  void PlaceAt(const std::string &label) {
    if (lexer.Accept(Token::Start)) {
      lexer.Expect(Token::Of);
      PlaceAtAddress(label, BlockPlaceAtStart, Region().Lowest(), false);
    } else if (lexer.Accept(Token::End)) {
      lexer.Expect(Token::Of);
      PlaceAtAddress(label, BlockPlaceAtEnd, Region().After(), true);
    } else {
      lexer.Accept(Token::Address);
      PlaceAtAddress(label, BlockPlaceAt, Const(), false);
    }
  }

  // [with ATTRIBUTES] SELECTOR after the address of a place at or place
  // after statement.
  void PlaceAtAddress(const std::string &label, BlockKind kind, uint32_t address, bool atEnd) {
    LinkBlock *block = PlacementBlock(kind, label);
    if (lexer.Accept(Token::With))
      BlockAttributes(*block);
    NameIfUnlabelled(*block, lexer.tokenPos);
    block->selector = Selector(block);
    linker.placeAtTasks->Add<PlaceAtTask>(block, address, atEnd);
  }

  BaseLinker &linker;
  ScriptLexer &lexer;
};

// Part of "Parse script": the names still undefined, then the definitions
// given on the command line.
void DefineCommandLineSymbols(BaseLinker &linker) {
  if (!linker.undefinedSymbols.empty()) {
    LogLine("Current undefined symbol list (requiring resolution):");
    LogIndent();
    for (const std::string &name : linker.undefinedSymbols)
      LogLine("%s", name.c_str());
    LogOutdent();
  }
  if (linker.symbolDefinitions.empty())
    return;
  LogLine("Define symbols added by command line:");
  LogIndent();
  for (const std::string &text : linker.symbolDefinitions)
    DefineFromCommandLine(linker, text);
  LogOutdent();
  linker.mainTask->Walk([&](ScriptTask &task) { task.DefineSymbols(linker); });
}

} // namespace

void ParseStatements(BaseLinker &linker, ScriptLexer &lexer) { StatementParser(linker, lexer).Run(); }

void ParseScripts(BaseLinker &linker) {
  if (linker.scriptFiles.empty())
    Fatal(linker, "no linker script");
  linker.mainTask = std::make_unique<ScriptTask>();
  linker.placeAtTasks = std::make_unique<ScriptTask>();
  linker.placeInTasks = std::make_unique<ScriptTask>();
  AddCommandLineRegions(linker);
  DefineCommandLineSymbols(linker);
  // An option statement may name further scripts; they are read after the
  // ones already named.
  for (size_t i = 0; i < linker.scriptFiles.size(); ++i) {
    const ScriptText &script = linker.scriptFiles[i];
    ScriptLexer lexer(script.fileName.c_str(), script.text.data(), script.text.size());
    currentLexer = &lexer;
    ParseStatements(linker, lexer);
    currentLexer = nullptr;
  }
  if (!linker.memory) {
    Remark(linker, "auto-creating 'define memory' covering entire address space");
    CreateMemory(linker, "mem");
  }
  linker.mainTask->Adopt(std::move(linker.placeAtTasks));
  linker.mainTask->Adopt(std::move(linker.placeInTasks));
}

} // namespace tanrek
