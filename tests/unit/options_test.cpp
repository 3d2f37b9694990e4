// The command line: the argument cursor, option files, and what every group
// of options stores in a freshly set-up Arm linker.
#include "arm/arm_linker.h"
#include "driver/log.h"
#include "driver/options.h"

#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace tanrek;
using testing_support::ThrowingOptions;
using testing::ElementsAre;
using testing::ExitedWithCode;
using testing::HasSubstr;

namespace {

using Args = std::vector<std::string>;

// A cursor standing on the first of `args`.
std::unique_ptr<ThrowingOptions> CursorAt(Args args) {
  auto cursor = std::make_unique<ThrowingOptions>();
  cursor->SetArguments(std::move(args));
  cursor->Next();
  return cursor;
}

constexpr uint64_t Bit(unsigned n) { return uint64_t(1) << n; }

// The flags on before any option: MapListingXref, AutoAt, the pretty names,
// OptimizeExceptionIndex, the auto symbols, UnwindTables, the three
// compressors and both merges. Arm has neither relaxation nor springboards.
constexpr uint64_t kDefaultFlags = Bit(7) | Bit(8) | Bit(11) | Bit(12) | Bit(21) | Bit(22) | Bit(23) | Bit(24) |
                                   Bit(25) | Bit(26) | Bit(28) | Bit(29) | Bit(30) | Bit(31);

class OptionsTest : public testing::Test {
protected:
  void SetUp() override { theLog = Log{}; }
  void TearDown() override {
    theLinker = nullptr;
    for (const std::string &path : tempFiles)
      std::remove(path.c_str());
  }

  // A new linker with the default flags and `args` parsed into it.
  std::unique_ptr<ArmLinker> Parse(const Args &args) {
    auto linker = std::make_unique<ArmLinker>();
    theLinker = linker.get();
    linker->SetDefaultFlags();
    ThrowingOptions cursor;
    cursor.SetArguments(args);
    linker->ParseOptions(cursor);
    return linker;
  }

  // The message of the error that parsing `args` reports; empty when none.
  std::string ErrorOf(const Args &args) {
    try {
      Parse(args);
    } catch (const std::runtime_error &error) {
      return error.what();
    }
    return "";
  }

  std::string TempPath(const std::string &name, const std::string &contents) {
    std::string path = testing::TempDir() + "options_test_" + name;
    std::ofstream(path, std::ios::binary) << contents;
    tempFiles.push_back(path);
    return path;
  }

  std::vector<std::string> tempFiles;
};

using OptionsDeathTest = OptionsTest;

// --- The argument cursor -------------------------------------------------

TEST_F(OptionsTest, IsTreatsHyphenAndUnderscoreAlikeAndIsOtherwiseExact) {
  EXPECT_TRUE(CursorAt({"--map_file"})->Is("--map-file"));
  EXPECT_TRUE(CursorAt({"__map_file"})->Is("--map-file"));
  EXPECT_TRUE(CursorAt({"--map-file"})->Is("__map_file"));
  EXPECT_TRUE(CursorAt({"_M"})->Is("-M"));
  // Otherwise exact: case, length, every other byte.
  EXPECT_FALSE(CursorAt({"--Map-file"})->Is("--map-file"));
  EXPECT_FALSE(CursorAt({"--map-fil"})->Is("--map-file"));
  EXPECT_FALSE(CursorAt({"--map-files"})->Is("--map-file"));
  EXPECT_FALSE(CursorAt({"-M"})->Is("-Map"));
  EXPECT_FALSE(CursorAt({"-Map"})->Is("-M"));
  EXPECT_FALSE(CursorAt({"--map.file"})->Is("--map-file"));
}

TEST_F(OptionsTest, HasPrefixComparesPlainBytesAndKeepsTheRest) {
  auto cursor = CursorAt({"--keep=main"});
  EXPECT_TRUE(cursor->HasPrefix("--keep="));
  EXPECT_STREQ(cursor->Value(), "main");

  cursor = CursorAt({"--keep="});
  EXPECT_TRUE(cursor->HasPrefix("--keep="));
  ASSERT_NE(cursor->Value(), nullptr);
  EXPECT_STREQ(cursor->Value(), "");

  cursor = CursorAt({"--map_file=x.map"});
  EXPECT_FALSE(cursor->HasPrefix("--map-file="));
  EXPECT_EQ(cursor->Value(), nullptr);
  EXPECT_FALSE(CursorAt({"--KEEP=x"})->HasPrefix("--keep="));

  cursor = CursorAt({"-defsym:a=1"});
  EXPECT_TRUE(cursor->HasPrefixOneOf("--defsym=", "--defsym:", "-defsym=", "-defsym:"));
  EXPECT_STREQ(cursor->Value(), "a=1");
}

TEST_F(OptionsTest, EveryMatchAttemptAndNextClearValue) {
  auto cursor = CursorAt({"--keep=main", "x"});
  ASSERT_TRUE(cursor->HasPrefix("--keep="));
  EXPECT_FALSE(cursor->Is("--keep"));
  EXPECT_EQ(cursor->Value(), nullptr);
  ASSERT_TRUE(cursor->HasPrefix("--keep="));
  EXPECT_FALSE(cursor->HasPrefix("--wrap="));
  EXPECT_EQ(cursor->Value(), nullptr);
  ASSERT_TRUE(cursor->HasPrefix("--keep="));
  EXPECT_TRUE(cursor->Next());
  EXPECT_EQ(cursor->Value(), nullptr);
  EXPECT_FALSE(cursor->Next());
}

TEST_F(OptionsTest, TakeArgumentNeedsAFollowingNonOption) {
  auto cursor = CursorAt({"--wrap", "malloc", "rest"});
  EXPECT_STREQ(cursor->TakeArgument(), "malloc");
  EXPECT_STREQ(cursor->Current(), "malloc");

  for (const Args &args : {Args{"--wrap"}, Args{"--wrap", "-v"}}) {
    cursor = CursorAt(args);
    try {
      cursor->TakeArgument();
      ADD_FAILURE() << "no error for " << args.size() << " arguments";
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), "'--wrap' requires an argument");
    }
  }
}

// --- Option files --------------------------------------------------------

TEST_F(OptionsTest, OptionFileTokens) {
  EXPECT_THAT(TokenizeOptionFile("--output \"my file.elf\"\n"), ElementsAre("--output", "my file.elf"));
  EXPECT_THAT(TokenizeOptionFile(" \t a\vb\fc\r\nd "), ElementsAre("a", "b", "c", "d"));
  // A line end breaks a quotation; the next line starts afresh.
  EXPECT_THAT(TokenizeOptionFile("\"one two\nthree four\""), ElementsAre("one two", "three", "four"));
  EXPECT_THAT(TokenizeOptionFile("\"one two\rthree"), ElementsAre("one two", "three"));
  // Quoted parts written together, and quoted with unquoted, form one token.
  EXPECT_THAT(TokenizeOptionFile("\"ab\"\"c d\" x"), ElementsAre("abc d", "x"));
  EXPECT_THAT(TokenizeOptionFile("--map-file=\"my map\".txt"), ElementsAre("--map-file=my map.txt"));
  EXPECT_THAT(TokenizeOptionFile("\"\" a \"\"\n\"\""), ElementsAre("a"));
  // No escapes, no comments; end of file ends an open quotation.
  EXPECT_THAT(TokenizeOptionFile("a\\ b # c \"open end"), ElementsAre("a\\", "b", "#", "c", "open end"));
  EXPECT_TRUE(TokenizeOptionFile(" \n\t").empty());
}

TEST_F(OptionsTest, CommandLineExpandsOptionFilesOnlyOneLevelDeep) {
  std::string file = TempPath("via.txt", "-v \"my file.o\"\n@nested --via");
  const Args tokens = {"-v", "my file.o", "@nested", "--via"};
  std::vector<std::string> argv = {"tanrek-ld", "a.o", "@" + file, "--via=" + file, "-q", "--via", file,
                                   "-f",        file,  "b.o"};
  std::vector<const char *> pointers;
  for (const std::string &argument : argv)
    pointers.push_back(argument.c_str());
  ThrowingOptions cursor;
  cursor.ExpandCommandLine(static_cast<int>(pointers.size()), pointers.data());

  Args expected = {"a.o"};
  for (int copy = 0; copy < 4; ++copy) {
    expected.insert(expected.end(), tokens.begin(), tokens.end());
    if (copy == 1)
      expected.push_back("-q");
  }
  expected.push_back("b.o");
  EXPECT_EQ(cursor.Arguments(), expected);
}

TEST_F(OptionsTest, CommandLineExpansionErrors) {
  auto expand = [](std::vector<const char *> argv) -> std::string {
    ThrowingOptions cursor;
    try {
      cursor.ExpandCommandLine(static_cast<int>(argv.size()), argv.data());
    } catch (const std::runtime_error &error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(expand({"ld", "a.o", "--via"}), "'--via' requires an argument");
  EXPECT_EQ(expand({"ld", "-f", "-v"}), "'-f' requires an argument");
  EXPECT_EQ(expand({"ld", "@/nonexistent/opts"}), "can't open indirect file '/nonexistent/opts' for reading");
}

// --- Numbers -------------------------------------------------------------

TEST_F(OptionsTest, MinimumAlignmentIsNormalisedToAPowerOfTwoUpTo1024) {
  EXPECT_EQ(NormalizeMinAlign(3), 2u);
  EXPECT_EQ(NormalizeMinAlign(4096), 1024u);
  EXPECT_EQ(NormalizeMinAlign(0), 1u);
  EXPECT_EQ(NormalizeMinAlign(1), 1u);
  EXPECT_EQ(NormalizeMinAlign(96), 64u);
  EXPECT_EQ(NormalizeMinAlign(1023), 512u);
  EXPECT_EQ(NormalizeMinAlign(1024), 1024u);
  EXPECT_EQ(NormalizeMinAlign(1025), 1024u);
  EXPECT_EQ(NormalizeMinAlign(0xFFFFFFFFu), 1024u);
}

// --- Defaults and flags --------------------------------------------------

TEST_F(OptionsTest, DefaultsOfAFreshArmLinker) {
  auto linker = Parse({});
  EXPECT_EQ(linker->optionFlags, kDefaultFlags);
  EXPECT_EQ(linker->verbosity, 1);
  EXPECT_EQ(linker->outputFileName, "a.elf");
  EXPECT_EQ(linker->mapContents, 0x1114u);
  EXPECT_EQ(linker->mapAddressFormat, 13u);
  EXPECT_EQ(linker->mapSizeFormat, 5u);
  EXPECT_EQ(linker->cpuClass, 2u);
  EXPECT_EQ(linker->listingOptions, 0x10002u);
  EXPECT_EQ(linker->severityTable, (std::array<uint32_t, 5>{0, 1, 2, 3, 4}));
  EXPECT_EQ(linker->entrySymbolName, "Reset_Handler");
  EXPECT_EQ(linker->sectionHeaderMode, 1u);
  EXPECT_EQ(linker->doubleWarningMode, 0u);
  EXPECT_EQ(linker->padByKind, (std::array<uint8_t, 5>{0, 0, 0, 0, 0}));
  EXPECT_EQ(linker->minAlignByKind, (std::array<uint32_t, 5>{1, 1, 1, 1, 1}));
  EXPECT_EQ(linker->mapWidthFactor, 1.0f);
  EXPECT_EQ(linker->listingWithData, 0u);
  EXPECT_FALSE(linker->mapFileName || linker->logFileName);
  EXPECT_TRUE(linker->inputFiles.empty() && linker->keptSymbols.empty() && linker->requiredNames.empty());
}

struct FlagPair {
  Args set;
  Args clear;
  uint64_t bits;
};

TEST_F(OptionsTest, FlagPairsChangeExactlyTheirBits) {
  const FlagPair pairs[] = {
      {{"--pretty-symbol-names"}, {"--no-pretty-symbol-names"}, Bit(25)},
      {{"--pretty-section-names"}, {"--no-pretty-section-names"}, Bit(26)},
      {{"--autoat"}, {"--no-autoat"}, Bit(7)},
      {{"--lazy-load-archives"}, {"--no-lazy-load-archives"}, Bit(10)},
      {{"--auto-es-symbols"}, {"--no-auto-es-symbols"}, Bit(30) | Bit(31)},
      {{"--auto-es-block-symbols"}, {"--no-auto-es-block-symbols"}, Bit(30)},
      {{"--auto-es-region-symbols"}, {"--no-auto-es-region-symbols"}, Bit(31)},
      {{"--auto-arm-symbols"}, {"--no-auto-arm-symbols"}, Bit(28)},
      {{"--optimize-exception-index"}, {"--no-optimize-exception-index"}, Bit(8)},
      {{"--unwind-tables"}, {"--no-unwind-tables"}, Bit(29)},
      {{"--undefined-weak-is-zero"}, {"--no-undefined-weak-is-zero"}, Bit(9)},
      {{"--merge-sections"}, {"--no-merge-sections"}, Bit(12)},
      {{"--merge-strings"}, {"--no-merge-strings"}, Bit(11)},
      {{"--dedupe-code", "--dedupe-rx"}, {"--no-dedupe-code", "--no-dedupe-rx"}, Bit(13)},
      {{"--dedupe-data", "--dedupe-ro"}, {"--no-dedupe-data", "--no-dedupe-ro"}, Bit(14)},
      {{"--inline"}, {"--no-inline"}, Bit(17)},
      {{"--time"}, {"--no-time"}, Bit(19)},
      {{"--enable-lzss"}, {"--disable-lzss"}, Bit(21)},
      {{"--enable-packbits"}, {"--disable-packbits"}, Bit(23)},
      {{"--enable-zpak"}, {"--disable-zpak"}, Bit(22)},
      {{"--force-output"}, {"--no-force-output"}, Bit(20)},
      {{"--list-all-undefineds"}, {"--no-list-all-undefineds"}, Bit(34)},
      {{"--warn-empty-selects"}, {"--no-warn-empty-selects"}, Bit(32)},
      {{"--warn-deprecated"}, {"--no-warn-deprecated"}, Bit(27)},
      {{"--big-endian", "-EB"}, {"--little-endian", "-EL"}, Bit(5)},
      {{"--map-reveal-indirect-use"}, {"--no-map-reveal-indirect-use"}, Bit(33)},
      {{"--map-listing-xref"}, {"--no-map-listing-xref"}, Bit(24)},
  };
  for (const FlagPair &pair : pairs) {
    for (const std::string &set : pair.set)
      EXPECT_EQ(Parse({pair.clear[0], set})->optionFlags, kDefaultFlags | pair.bits) << set;
    for (const std::string &clear : pair.clear)
      EXPECT_EQ(Parse({pair.set[0], clear})->optionFlags, kDefaultFlags & ~pair.bits) << clear;
  }
}

TEST_F(OptionsTest, OptionsOfFeaturesArmLacksAreUnknown) {
  for (const char *option : {"--relax", "-mrelax", "--no-relax", "-mno-relax", "--springboard", "--no-springboard",
                             "--outline", "--no-outline"})
    EXPECT_EQ(ErrorOf({option}), std::string("unknown option ") + option);
  EXPECT_EQ(Parse({"--no-map-veneers"})->mapContents, 0x1114u & ~0x80u);
  EXPECT_EQ(Parse({"--map-veneers"})->mapContents, 0x1114u | 0x80u);
}

TEST_F(OptionsTest, AcceptedOptionsWithoutEffect) {
  Args ignored = {"--autokeep", "--no-autokeep", "--load-program-headers", "--full-program-headers",
                  "-X", "--discard-locals", "--omagic", "--emit-relocs", "--allow-multiple-definition",
                  "--no-warn-mismatch", "--gc-sections", "-(", "--start-group", "-)", "--end-group"};
  auto linker = Parse(ignored);
  EXPECT_EQ(linker->optionFlags, kDefaultFlags);
  EXPECT_TRUE(linker->inputFiles.empty());
  EXPECT_TRUE(linker->keptSymbols.empty() && linker->symbolDefinitions.empty() && linker->scriptFiles.empty());
  EXPECT_EQ(linker->entrySymbolName, "Reset_Handler");
}

TEST_F(OptionsTest, SectionHeaderAndSymbolTableOptionsInteract) {
  const uint64_t kNoDebug = Bit(15), kNoSymbols = Bit(16);
  struct Case {
    Args args;
    uint32_t mode;
    uint64_t flags; // of NoDebug and NoSymbols
  } cases[] = {
      {{"--bare"}, 0, kNoDebug | kNoSymbols},
      {{"--no-section-headers"}, 0, kNoDebug | kNoSymbols},
      {{"--bare", "--symbols"}, 1, kNoDebug},
      {{"--symbols", "--bare"}, 0, kNoDebug | kNoSymbols},
      {{"--bare", "--debug"}, 1, 0},
      {{"--full-section-headers", "--strip", "--symbols"}, 3, kNoDebug},
      {{"--block-section-headers", "--debug"}, 2, 0},
      {{"--bare", "--minimal-section-headers"}, 1, kNoDebug | kNoSymbols},
      {{"--strip"}, 1, kNoDebug | kNoSymbols},
      {{"--no-symbols"}, 1, kNoSymbols},
      {{"--no-debug"}, 1, kNoDebug},
  };
  for (const Case &c : cases) {
    auto linker = Parse(c.args);
    EXPECT_EQ(linker->sectionHeaderMode, c.mode) << c.args[0] << " ... " << c.args.back();
    EXPECT_EQ(linker->optionFlags, kDefaultFlags | c.flags) << c.args[0] << " ... " << c.args.back();
  }
}

TEST_F(OptionsTest, KeptAndRequiredNamesAndTheEntrySymbol) {
  auto linker = Parse({"--keep", "a", "--keep=b", "-uc", "--entry", "start"});
  EXPECT_THAT(linker->keptSymbols, ElementsAre("a", "b", "c"));
  EXPECT_THAT(linker->requiredNames, ElementsAre("a", "b", "c"));
  EXPECT_EQ(linker->entrySymbolName, "start");

  for (const char *option : {"--entry=main", "-emain"}) {
    linker = Parse({option});
    EXPECT_EQ(linker->entrySymbolName, "main") << option;
    EXPECT_THAT(linker->keptSymbols, ElementsAre("main")) << option;
    EXPECT_THAT(linker->requiredNames, ElementsAre("main")) << option;
  }

  linker = Parse({"--entry=main", "--no-entry"});
  EXPECT_FALSE(linker->entrySymbolName.has_value());
  EXPECT_THAT(linker->keptSymbols, ElementsAre("main"));

  EXPECT_EQ(Parse({"-e"})->entrySymbolName, "");
  // -u takes its name attached; a separate word is an input file.
  EXPECT_THAT(Parse({"-u", "foo"})->inputFiles, ElementsAre("foo"));
}

TEST_F(OptionsTest, NamesAndFilesFromOptions) {
  std::string script = TempPath("script.ld", "define memory mem with size = 4G;\n");
  auto linker = Parse({"-o", "out.elf", "--log-file", "l1", "--log-file=l2", "--add-region", "r1", "--add-region:r2",
                       "--add-region=r3", "-Dd1", "--defsym=d2", "--defsym:d3", "-defsym=d4", "-defsym:d5",
                       "--define-symbol", "d6", "--redirect", "d7", "--wrap", "malloc", "--wrap", "free", "-T" + script,
                       "--script=" + script, "--script", script, "-Map=m.map"});
  EXPECT_EQ(linker->outputFileName, "out.elf");
  EXPECT_EQ(linker->logFileName, "l2");
  EXPECT_THAT(linker->regionDefinitions, ElementsAre("r1", "r2", "r3"));
  EXPECT_THAT(linker->symbolDefinitions, ElementsAre("d1", "d2", "d3", "d4", "d5", "d6", "d7"));
  EXPECT_THAT(linker->wrappedSymbols, ElementsAre("free", "malloc"));
  ASSERT_EQ(linker->scriptFiles.size(), 3u);
  for (const ScriptText &text : linker->scriptFiles) {
    EXPECT_EQ(text.fileName, script);
    EXPECT_EQ(text.text, "define memory mem with size = 4G;\n");
  }
  EXPECT_EQ(linker->mapFileName, "m.map");
  EXPECT_EQ(Parse({"--output=o2.elf"})->outputFileName, "o2.elf");
  EXPECT_EQ(Parse({"--map-file="})->mapFileName, "");
  EXPECT_EQ(Parse({"-Map", "m2.map"})->mapFileName, "m2.map");
}

TEST_F(OptionsTest, PrefixFormsCompareBytesExactly) {
  EXPECT_EQ(ErrorOf({"--map_file=x.map"}), "unknown option --map_file=x.map");
  EXPECT_EQ(Parse({"--map_file", "x.map"})->mapFileName, "x.map");
  EXPECT_EQ(ErrorOf({"-o", "-v"}), "'-o' requires an argument");
  EXPECT_EQ(ErrorOf({"a.o", "--output"}), "'--output' requires an argument");
  EXPECT_EQ(Parse({"-o=-v"})->outputFileName, "-v");
}

TEST_F(OptionsTest, UnknownOptions) {
  for (const char *option : {"--bogus", "-", "--via", "-Mx", "--map-listing-with-comment"})
    EXPECT_EQ(ErrorOf({"a.o", option}), std::string("unknown option ") + option);
}

TEST_F(OptionsTest, InputFilesAreArgumentsNotStartingWithAHyphen) {
  auto linker = Parse({"a.o", "", "@opts", "-v", "b.o", "c.a"});
  EXPECT_THAT(linker->inputFiles, ElementsAre("a.o", "", "@opts", "b.o", "c.a"));
  EXPECT_EQ(linker->verbosity, 2);
}

TEST_F(OptionsTest, VerbositySeveritiesAndDoubleWarnings) {
  EXPECT_EQ(Parse({"-v", "--verbose", "-v"})->verbosity, 4);
  EXPECT_EQ(Parse({"-v", "-q"})->verbosity, 0);
  EXPECT_EQ(Parse({"--silent", "-v"})->verbosity, 1);

  struct Case {
    const char *option;
    uint32_t remark, warning;
  } cases[] = {
      {"--no-warnings", 1, 0},        {"--fatal-warnings", 1, 3},     {"--warnings-are-errors", 1, 3},
      {"--no-remarks", 0, 2},         {"--remarks-are-warnings", 2, 2}, {"--remarks-are-errors", 3, 2},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Parse({c.option})->severityTable, (std::array<uint32_t, 5>{0, c.remark, c.warning, 3, 4})) << c.option;
  EXPECT_EQ(Parse({"--no-warnings", "--no-remarks", "--warnings", "--remarks"})->severityTable,
            (std::array<uint32_t, 5>{0, 1, 2, 3, 4}));

  EXPECT_EQ(Parse({"--warn-any-double"})->doubleWarningMode, 2u);
  EXPECT_EQ(Parse({"--warn-unintended-double"})->doubleWarningMode, 1u);
  EXPECT_EQ(Parse({"--warn-any-double", "--no-warn-double"})->doubleWarningMode, 0u);
}

TEST_F(OptionsTest, PadOptionsOnlyTurnKindsOn) {
  using Pads = std::array<uint8_t, 5>; // code, read-only, read-write, zero-init, other
  struct Case {
    Args args;
    Pads pads;
  } cases[] = {
      {{"--pad-all"}, {1, 1, 1, 1, 0}},  {{"--pad-ram"}, {0, 0, 1, 1, 0}}, {{"--pad-rom"}, {1, 1, 0, 0, 0}},
      {{"--pad-code"}, {1, 0, 0, 0, 0}}, {{"--pad-rx"}, {1, 0, 0, 0, 0}},  {{"--pad-data"}, {0, 1, 1, 1, 0}},
      {{"--pad-ro"}, {0, 1, 0, 0, 0}},   {{"--pad-rw"}, {0, 0, 1, 0, 0}},  {{"--pad-zi"}, {0, 0, 0, 1, 0}},
      {{"--pad-ram", "--pad-code"}, {1, 0, 1, 1, 0}},
      {{"--pad-all", "--pad-ro"}, {1, 1, 1, 1, 0}},
      {{"--pad-all", "--pad-none"}, {0, 0, 0, 0, 0}},
      {{"--pad-none", "--pad-zi"}, {0, 0, 0, 1, 0}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Parse(c.args)->padByKind, c.pads) << c.args[0] << " ... " << c.args.back();
}

TEST_F(OptionsTest, MinimumAlignmentFamilies) {
  const uint8_t code = 1, ro = 2, rw = 4, zi = 8;
  struct Family {
    Args prefixes;
    uint8_t kinds;
  } families[] = {
      {{"--min-align-ram=", "--min-ram-align="}, rw | zi},
      {{"--min-align-rom=", "--min-rom-align="}, ro | code},
      {{"--min-align-code=", "--min-align-rx=", "--min-code-align=", "--min-rx-align="}, code},
      {{"--min-align-data=", "--min-data-align="}, ro | rw | zi},
      {{"--min-align-ro=", "--min-ro-align="}, ro},
      {{"--min-align-rw=", "--min-rw-align="}, rw},
      {{"--min-align-zi=", "--min-zi-align="}, zi},
  };
  for (const Family &family : families) {
    for (const std::string &prefix : family.prefixes) {
      auto linker = Parse({prefix + "8"});
      for (unsigned kind = 0; kind < 5; ++kind)
        EXPECT_EQ(linker->minAlignByKind[kind], (family.kinds >> kind) & 1 ? 8u : 1u) << prefix << " kind " << kind;
    }
  }
  // The number is read by strtol, taken as unsigned 32 bits, then normalised.
  struct Value {
    const char *text;
    uint32_t stored;
  } values[] = {{"3", 2},   {"4096", 1024}, {"0", 1},    {"1024", 1024}, {"-1", 1024},
                {"-64", 1024}, {"12abc", 8}, {"abc", 1}, {"", 1},        {" 32", 32}};
  for (const Value &value : values)
    EXPECT_EQ(Parse({std::string("--min-align-code=") + value.text})->minAlignByKind[0], value.stored)
        << value.text;
}

TEST_F(OptionsTest, MapPresetsReplaceTheContentsWhole) {
  struct Case {
    const char *option;
    uint32_t contents;
  } cases[] = {
      {"--map-none", 0},           {"-M", 0x1114},         {"--map-standard", 0x1114},
      {"--map-defaults", 0x1114},  {"--map-compact", 0x1104}, {"--map-detailed", 0x515E},
      {"--map-full", 0xFFFFDFFF},  {"--map-all", 0xFFFFDFFF},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Parse({"--map-memory-by-symbol", c.option})->mapContents, c.contents) << c.option;
  EXPECT_EQ(Parse({"--map-compact", "--map-listing"})->mapContents, 0x1504u);
  EXPECT_EQ(Parse({"--map-listing", "--map-compact"})->mapContents, 0x1104u);
}

TEST_F(OptionsTest, MapBitOptionsChangeExactlyTheirBits) {
  struct Pair {
    const char *set, *clear;
    uint32_t bits;
  } pairs[] = {
      {"--map-script", "--no-map-script", 0x1},
      {"--map-placement", "--no-map-placement", 0x2},
      {"--map-init-table", "--no-map-init-table", 0x40},
      {"--map-listing", "--no-map-listing", 0x400},
      {"--map-symbols", "--no-map-symbols", 0x100},
      {"--map-exception-table", "--no-map-exception-table", 0x4000},
      {"--map-veneers", "--no-map-veneers", 0x80},
      {"--map-section-detail", "--no-map-section-detail", 0x10},
      {"--map-modules", "--no-map-modules", 0x4},
      {"--map-module-detail", "--no-map-module-detail", 0x8},
      {"--map-memory-by-symbol", "--no-map-memory-by-symbol", 0x2000},
      {"--map-unused", "--no-map-unused", 0x20},
      {"--map-summary", "--no-map-summary", 0x100},
  };
  for (const Pair &pair : pairs) {
    EXPECT_EQ(Parse({"--map-none", pair.set})->mapContents, pair.bits) << pair.set;
    EXPECT_EQ(Parse({"--map-full", "--map-memory-by-symbol", pair.clear})->mapContents, 0xFFFFFFFFu & ~pair.bits)
        << pair.clear;
  }
}

TEST_F(OptionsTest, MapFormatsAndWidth) {
  struct Case {
    const char *value;
    uint32_t address, size;
  } cases[] = {{"7", 7, 7}, {"31", 15, 7}, {"9", 9, 1}, {"-1", 15, 7}, {"-2", 14, 6}, {"5x", 5, 5}, {"x", 0, 0},
               {"", 0, 0}};
  for (const Case &c : cases) {
    EXPECT_EQ(Parse({std::string("--map-addr-format=") + c.value})->mapAddressFormat, c.address) << c.value;
    EXPECT_EQ(Parse({std::string("--map-size-format=") + c.value})->mapSizeFormat, c.size) << c.value;
  }
  EXPECT_EQ(Parse({"--map-wide"})->mapWidthFactor, 1.5f);
  EXPECT_EQ(Parse({"--map-wide", "--map-wide"})->mapWidthFactor, 2.25f);
  EXPECT_EQ(Parse({"--map-wide", "--map-narrow"})->mapWidthFactor, 1.0f);

  EXPECT_EQ(Parse({"--map-html"})->report.mode, ReportWriter::Html);
  EXPECT_EQ(Parse({"--map-html", "--map-text"})->report.mode, ReportWriter::Text);
  EXPECT_EQ(Parse({"--map-no-wrap"})->report.wrap, 0);
  EXPECT_EQ(Parse({"--map-no-wrap", "--map-wrap"})->report.wrap, 1);
  EXPECT_EQ(Parse({"--map-listing-with-data"})->listingWithData, 1u);
  EXPECT_EQ(Parse({"--map-listing-data"})->listingWithData, 1u);
  EXPECT_EQ(Parse({"--map-listing-data", "--no-map-listing-with-data"})->listingWithData, 0u);
  EXPECT_EQ(Parse({"--map-listing-data", "--no-map-listing-data"})->listingWithData, 0u);
}

// --- Arm target options --------------------------------------------------

TEST_F(OptionsTest, CpuNamesSelectTheCoreKind) {
  struct Case {
    const char *name;
    uint32_t kind;
  } cases[] = {
      {"arm7tdmi", 0},  {"arm7tdmi-s", 0},    {"v4T", 0},       {"v5T", 1},       {"v5TE", 1},
      {"cortex-m0", 2}, {"cortex-m0plus", 2}, {"cortex-m1", 2}, {"cortex-m23", 2}, {"6-M", 2},
      {"cortex-m3", 3}, {"cortex-m4", 3},     {"cortex-m7", 3}, {"cortex-m33", 3}, {"7-M", 3},
      {"7E-M", 3},      {"8-M.main", 3},      {"cortex-a8", 4}, {"cortex-a9", 4},  {"7-A", 4},
      {"8-M.base", 5},
  };
  for (const Case &c : cases) {
    const char *before = c.kind == 0 ? "--cpu=8-M.base" : "--cpu=v4T";
    for (const char *prefix : {"-cpu=", "--cpu=", "-mcpu="})
      EXPECT_EQ(Parse({before, prefix + std::string(c.name)})->cpuClass, c.kind) << prefix << c.name;
  }
}

TEST_F(OptionsDeathTest, UnknownCpuIsFatal) {
  EXPECT_EXIT(Parse({"--cpu=cortex-m99"}), ExitedWithCode(100), HasSubstr("\nerror: unknown CPU 'cortex-m99'\n"));
  EXPECT_EXIT(Parse({"-mcpu=Cortex-M3"}), ExitedWithCode(100), HasSubstr("\nerror: unknown CPU 'Cortex-M3'\n"));
}

TEST_F(OptionsDeathTest, MissingScriptIsFatal) {
  EXPECT_EXIT(Parse({"-T/nonexistent/x.ld"}), ExitedWithCode(100),
              HasSubstr("\nerror: can't open /nonexistent/x.ld for reading\n"));
}

TEST_F(OptionsTest, ListingOptions) {
  struct Case {
    Args args;
    uint32_t listing;
  } cases[] = {
      {{"--no-map-listing-with-comments"}, 0x10000},
      {{"--no-map-listing-with-comments", "--map-listing-with-comments"}, 0x10002},
      {{"--no-map-listing-use-adr-pseudo"}, 0x2},
      {{"--no-map-listing-use-adr-pseudo", "--map-listing-use-adr-pseudo"}, 0x10002},
      {{"--no-map-listing-use-ldr-pseudo"}, 0x30002},
      {{"--no-map-listing-use-ldr-pseudo", "--map-listing-use-ldr-pseudo"}, 0x10002},
  };
  for (const Case &c : cases)
    EXPECT_EQ(Parse(c.args)->listingOptions, c.listing) << c.args.back();
}

TEST_F(OptionsTest, ArmParametersAndFeatures) {
  ArmLinker linker;
  EXPECT_EQ(linker.GetPara(0), 9u);
  EXPECT_EQ(linker.GetPara(1), 2u);
  EXPECT_EQ(linker.GetPara(2), 40u);
  EXPECT_EQ(linker.GetPara(3), 0x05000000u);
  const bool supported[8] = {true, true, false, false, true, false, false, false};
  for (unsigned n = 0; n < 8; ++n)
    EXPECT_EQ(linker.SupportsFeature(n), supported[n]) << "feature " << n;
}

TEST_F(OptionsDeathTest, ArmQueriesOutOfRangeAreFatal) {
  ArmLinker linker;
  theLinker = &linker;
  linker.SetFlag(Flag::BannerShown);
  EXPECT_EXIT(linker.GetPara(4), ExitedWithCode(100),
              HasSubstr("\nerror: parameter not covered in ArmLinker::GetPara()\n"));
  EXPECT_EXIT(linker.SupportsFeature(8), ExitedWithCode(100),
              HasSubstr("\nerror: feature not covered in ArmLinker::SupportsFeature()\n"));
}

} // namespace
