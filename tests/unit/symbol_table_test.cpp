// The global symbol table: linker definitions, redefinitions and target
// resolution. The precedence rules between definitions read from objects
// and archive members are checked end to end by the lit tests.
#include "input/input_file.h"
#include "symbols/symbol_table.h"
#include "test_support.h"

#include <deque>

namespace tanrek {
namespace {

using testing_support::FatalMessage;
using testing_support::LinkerTest;

class SymbolTableTest : public LinkerTest {
protected:
  void TearDown() override {
    linker.imageSymbols.clear();
    LinkerTest::TearDown();
  }

  InputFile &File(const char *name, bool archive) {
    files.emplace_back(nullptr, name, archive);
    InputFile &file = files.back();
    file.AddSection(std::make_unique<LinkSection>(".text", 1));
    return file;
  }

  // A definition in `file`; common definitions get a section of their own
  // of `size` bytes, like the reader makes for common symbols.
  Symbol *Define(InputFile &file, const char *name, uint8_t binding, uint32_t size = 4, bool common = false) {
    Symbol &symbol = symbols.emplace_back();
    symbol.name = name;
    symbol.info = uint8_t(binding << 4 | kSttObject);
    symbol.size = size;
    symbol.file = &file;
    symbol.section = file.sections[0];
    if (common) {
      symbol.section = file.AddSection(std::make_unique<LinkSection>(std::string(".bss.") + name, 2));
      symbol.section->sh_size = size;
      symbol.section->madeForCommon = true;
    }
    symbol.sectionIndex = symbol.section->index;
    return &symbol;
  }

  Symbol *Winner(const char *name) { return linker.globalSymbols.at(name); }

  std::deque<InputFile> files;
  std::deque<Symbol> symbols;
};

TEST_F(SymbolTableTest, DebugDefinitionsAreIgnoredAndLateDefinitionsAreRequired) {
  InputFile &a = File("a.o", false);
  a.sections[0]->SetOwnedName(".debug_info");
  DefineGlobal(linker, Define(a, "dbg", kStbGlobal));
  EXPECT_FALSE(linker.globalSymbols.count("dbg"));

  linker.undefinedSymbols.insert("late");
  Symbol *late = DefineGlobalSymbol(linker, "late", 0x1234);
  EXPECT_FALSE(linker.undefinedSymbols.count("late"));
  EXPECT_TRUE(linker.requiredNames.count("late"));
  EXPECT_TRUE(linker.imageSymbols.count(late));
  EXPECT_EQ(late->Address(), 0x1234u);
  EXPECT_EQ(late->file->name, "[ Linker created ]");

  DefineIfUndefined(linker, "nobody", 1);
  EXPECT_FALSE(linker.globalSymbols.count("nobody"));
}

TEST_F(SymbolTableTest, LinkerRedefinitionReplacesOnlyAbsoluteOrWeakDefinitions) {
  Symbol *absolute = DefineGlobalSymbol(linker, "start", 0x100);
  Symbol *alias = MakeLinkerSymbol(linker, "start", 0x200);
  RedefineLinkerSymbol(linker, alias);
  EXPECT_EQ(Winner("start"), alias);
  EXPECT_FALSE(linker.imageSymbols.count(absolute));
  EXPECT_TRUE(linker.imageSymbols.count(alias));

  Symbol *code = Define(File("a.o", false), "main", kStbGlobal);
  DefineGlobal(linker, code);
  RedefineLinkerSymbol(linker, MakeLinkerSymbol(linker, "main", 0));
  EXPECT_EQ(Winner("main"), code);
  EXPECT_EQ(linker.ErrorCount(), 1u);
}

TEST_F(SymbolTableTest, OnlyMangledNamesAreDemangled) {
  EXPECT_EQ(DisplayName(linker, "f"), "f");
  EXPECT_EQ(DisplayName(linker, "_Z3fooi"), "foo(int)");
  EXPECT_EQ(DisplayName(linker, "_Zbroken"), "_Zbroken");
  Parse({"--no-pretty-symbol-names"});
  EXPECT_EQ(DisplayName(linker, "_Z3fooi"), "_Z3fooi");
}

TEST_F(SymbolTableTest, TargetsResolveByBinding) {
  InputFile &file = File("a.o", false);
  LinkSection &text = *file.sections[0];
  text.Map(0x1000);
  Symbol &local = file.symbols.emplace_back();
  local.section = &text;
  local.value = 8;
  Symbol &global = file.symbols.emplace_back();
  global.name = "ext";
  global.info = kStbGlobal << 4;
  Symbol &weak = file.symbols.emplace_back();
  weak.name = "maybe";
  weak.info = kStbWeak << 4;
  text.file = &file;

  Relocation relocation;
  relocation.addend = 4;
  RelocationTarget target{&relocation, &text};
  auto resolve = [&](uint32_t index) {
    relocation.symbolIndex = index;
    ResolveTarget(linker, target);
  };
  resolve(0);
  EXPECT_EQ(target.value, 0x100Cu);
  resolve(1);
  EXPECT_TRUE(target.unresolved);
  EXPECT_EQ(target.value, 0u);
  resolve(2);
  EXPECT_TRUE(target.undefinedWeak);

  Symbol *definition = DefineGlobalSymbol(linker, "ext", 0x40);
  resolve(1);
  EXPECT_FALSE(target.unresolved);
  EXPECT_EQ(target.symbol, definition);
  EXPECT_EQ(target.value, 0x44u);

  Symbol &odd = file.symbols.emplace_back();
  odd.info = 3 << 4;
  EXPECT_EQ(FatalMessage([&] { resolve(3); }), "error: cannot handle binding (3)");
}

} // namespace
} // namespace tanrek
