// The argument cursor, option files and the recognition of every option.
//
// ParseOptions offers each argument first to the map options, then to the
// pad and alignment options, then to the target, and only then to the
// general options. Within the general options the prefix forms -e, -u, -D
// and -T come last, because they match any argument that begins with them.
#include "driver/options.h"

#include "driver/diagnostics.h"
#include "driver/file.h"
#include "driver/linker.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace tanrek {

// --- The argument cursor ------------------------------------------------

AsmOptions::AsmOptions() = default;
AsmOptions::~AsmOptions() = default;

void AsmOptions::SetArguments(std::vector<std::string> list) {
  arguments = std::move(list);
  index = -1;
  current = nullptr;
  value = nullptr;
}

bool AsmOptions::Next() {
  value = nullptr;
  if (index + 1 >= static_cast<int32_t>(arguments.size())) {
    index = static_cast<int32_t>(arguments.size());
    current = nullptr;
    return false;
  }
  ++index;
  current = arguments[index].c_str();
  return true;
}

static bool SameOptionByte(char a, char b) {
  if ((a == '-' || a == '_') && (b == '-' || b == '_'))
    return true;
  return a == b;
}

bool AsmOptions::Is(const char *option) {
  value = nullptr;
  if (!current)
    return false;
  const char *a = current;
  const char *b = option;
  for (; *a && *b; ++a, ++b)
    if (!SameOptionByte(*a, *b))
      return false;
  return *a == '\0' && *b == '\0';
}

bool AsmOptions::HasPrefix(const char *prefix) {
  value = nullptr;
  if (!current)
    return false;
  size_t length = std::strlen(prefix);
  if (std::strncmp(current, prefix, length) != 0)
    return false;
  value = current + length;
  return true;
}

const char *AsmOptions::TakeArgument() {
  std::string option = current ? current : "";
  if (!Next() || current[0] == '-')
    ReportError("'" + option + "' requires an argument");
  return current;
}

// --- Option files -------------------------------------------------------

std::vector<std::string> TokenizeOptionFile(const std::string &text) {
  enum class State { Between, Unquoted, Quoted } state = State::Between;
  std::vector<std::string> tokens;
  std::string token;
  auto finish = [&] {
    if (!token.empty())
      tokens.push_back(token);
    token.clear();
    state = State::Between;
  };
  for (char c : text) {
    bool space = std::isspace(static_cast<unsigned char>(c));
    switch (state) {
    case State::Between:
      if (space)
        break;
      if (c == '"') {
        state = State::Quoted;
      } else {
        token.push_back(c);
        state = State::Unquoted;
      }
      break;
    case State::Unquoted:
      if (space)
        finish();
      else if (c == '"')
        state = State::Quoted;
      else
        token.push_back(c);
      break;
    case State::Quoted:
      if (c == '\n' || c == '\r')
        finish();
      else if (c == '"')
        state = State::Unquoted;
      else
        token.push_back(c);
      break;
    }
  }
  finish();
  return tokens;
}

void AsmOptions::ReadOptionFile(const std::string &fileName) {
  std::optional<std::string> text = ReadWholeFile(fileName);
  if (!text)
    ReportError("can't open indirect file '" + fileName + "' for reading");
  for (std::string &token : TokenizeOptionFile(*text))
    arguments.push_back(std::move(token));
}

void AsmOptions::ExpandCommandLine(int argc, const char *const *argv) {
  arguments.clear();
  for (int i = 1; i < argc; ++i) {
    const char *argument = argv[i];
    if (argument[0] == '@') {
      ReadOptionFile(argument + 1);
    } else if (std::strncmp(argument, "--via=", 6) == 0) {
      ReadOptionFile(argument + 6);
    } else if (std::strcmp(argument, "--via") == 0 || std::strcmp(argument, "-f") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '-')
        ReportError(std::string("'") + argument + "' requires an argument");
      ReadOptionFile(argv[++i]);
    } else {
      arguments.push_back(argument);
    }
  }
  index = -1;
  current = nullptr;
  value = nullptr;
}

void AsmOptionsFatal::ReportError(const std::string &message) { Fatal(linker, "%s", message.c_str()); }

// --- Numbers ------------------------------------------------------------

long ParseOptionNumber(const char *text) { return std::strtol(text, nullptr, 10); }

uint32_t NormalizeMinAlign(uint32_t value) {
  if (value > 1024)
    return 1024;
  if (value == 0)
    return 1;
  uint32_t highest = 1;
  while (value >>= 1)
    highest <<= 1;
  return highest;
}

// --- Option tables ------------------------------------------------------

namespace {

constexpr int kNoFeature = -1;

// An option pair that sets and clears one flag; either side may have a
// second spelling. `feature` gates the pair on a target feature.
struct FlagOption {
  const char *set[2];
  const char *clear[2];
  Flag flag;
  int feature = kNoFeature;
};

constexpr uint8_t KindBit(Kind kind) { return uint8_t(1) << kind; }
constexpr uint8_t kCode = KindBit(KindCode), kRo = KindBit(KindReadOnly), kRw = KindBit(KindReadWrite),
                  kZi = KindBit(KindZeroInit);

// An option that turns on padding (or, for --pad-none, off) for some kinds.
struct PadOption {
  const char *names[2];
  uint8_t kinds;
};

const PadOption kPadOptions[] = {
    {{"--pad-all", nullptr}, kCode | kRo | kRw | kZi}, {{"--pad-ram", nullptr}, kRw | kZi},
    {{"--pad-rom", nullptr}, kCode | kRo},             {{"--pad-code", "--pad-rx"}, kCode},
    {{"--pad-data", nullptr}, kRo | kRw | kZi},        {{"--pad-ro", nullptr}, kRo},
    {{"--pad-rw", nullptr}, kRw},                      {{"--pad-zi", nullptr}, kZi},
};

struct MinAlignOption {
  const char *prefixes[4];
  uint8_t kinds;
};

const MinAlignOption kMinAlignOptions[] = {
    {{"--min-align-ram=", "--min-ram-align=", nullptr, nullptr}, kRw | kZi},
    {{"--min-align-rom=", "--min-rom-align=", nullptr, nullptr}, kRo | kCode},
    {{"--min-align-code=", "--min-align-rx=", "--min-code-align=", "--min-rx-align="}, kCode},
    {{"--min-align-data=", "--min-data-align=", nullptr, nullptr}, kRo | kRw | kZi},
    {{"--min-align-ro=", "--min-ro-align=", nullptr, nullptr}, kRo},
    {{"--min-align-rw=", "--min-rw-align=", nullptr, nullptr}, kRw},
    {{"--min-align-zi=", "--min-zi-align=", nullptr, nullptr}, kZi},
};

// A map option pair that sets and clears bits of mapContents.
struct MapBitOption {
  const char *set;
  const char *clear;
  uint32_t bits;
  int feature = kNoFeature;
};

const MapBitOption kMapBitOptions[] = {
    {"--map-script", "--no-map-script", 0x1},
    {"--map-placement", "--no-map-placement", 0x2},
    {"--map-init-table", "--no-map-init-table", 0x40},
    {"--map-listing", "--no-map-listing", 0x400},
    {"--map-symbols", "--no-map-symbols", 0x100},
    {"--map-exception-table", "--no-map-exception-table", 0x4000},
    {"--map-veneers", "--no-map-veneers", 0x80, static_cast<int>(Feature::Veneers)},
    {"--map-section-detail", "--no-map-section-detail", 0x10},
    {"--map-modules", "--no-map-modules", 0x4},
    {"--map-module-detail", "--no-map-module-detail", 0x8},
    {"--map-memory-by-symbol", "--no-map-memory-by-symbol", 0x2000},
    {"--map-unused", "--no-map-unused", 0x20},
    {"--map-summary", "--no-map-summary", 0x100},
};

const FlagOption kMapFlagOptions[] = {
    {{"--map-reveal-indirect-use", nullptr}, {"--no-map-reveal-indirect-use", nullptr}, Flag::MapRevealIndirectUse},
    {{"--map-listing-xref", nullptr}, {"--no-map-listing-xref", nullptr}, Flag::MapListingXref},
};

const FlagOption kGeneralFlagOptions[] = {
    {{"--pretty-symbol-names", nullptr}, {"--no-pretty-symbol-names", nullptr}, Flag::PrettySymbolNames},
    {{"--pretty-section-names", nullptr}, {"--no-pretty-section-names", nullptr}, Flag::PrettySectionNames},
    {{"--autoat", nullptr}, {"--no-autoat", nullptr}, Flag::AutoAt},
    {{"--lazy-load-archives", nullptr}, {"--no-lazy-load-archives", nullptr}, Flag::LazyLoadArchives},
    {{"--auto-es-block-symbols", nullptr}, {"--no-auto-es-block-symbols", nullptr}, Flag::AutoEsBlockSymbols},
    {{"--auto-es-region-symbols", nullptr}, {"--no-auto-es-region-symbols", nullptr}, Flag::AutoEsRegionSymbols},
    {{"--auto-arm-symbols", nullptr}, {"--no-auto-arm-symbols", nullptr}, Flag::AutoArmSymbols},
    {{"--optimize-exception-index", nullptr},
     {"--no-optimize-exception-index", nullptr},
     Flag::OptimizeExceptionIndex},
    {{"--unwind-tables", nullptr}, {"--no-unwind-tables", nullptr}, Flag::UnwindTables},
    {{"--undefined-weak-is-zero", nullptr}, {"--no-undefined-weak-is-zero", nullptr}, Flag::UndefinedWeakIsZero},
    {{"--merge-sections", nullptr}, {"--no-merge-sections", nullptr}, Flag::MergeSections},
    {{"--merge-strings", nullptr}, {"--no-merge-strings", nullptr}, Flag::MergeStrings},
    {{"--springboard", nullptr},
     {"--no-springboard", nullptr},
     Flag::Springboard,
     static_cast<int>(Feature::SpringboardCalls)},
    {{"-mrelax", "--relax"}, {"-mno-relax", "--no-relax"}, Flag::Relax, static_cast<int>(Feature::Relaxation)},
    {{"--outline", nullptr}, {"--no-outline", nullptr}, Flag::Outline, static_cast<int>(Feature::Outlining)},
    {{"--dedupe-code", "--dedupe-rx"}, {"--no-dedupe-code", "--no-dedupe-rx"}, Flag::DedupeCode},
    {{"--dedupe-data", "--dedupe-ro"}, {"--no-dedupe-data", "--no-dedupe-ro"}, Flag::DedupeData},
    {{"--inline", nullptr}, {"--no-inline", nullptr}, Flag::Inline, static_cast<int>(Feature::Inlining)},
    {{"--time", nullptr}, {"--no-time", nullptr}, Flag::Time},
    {{"--enable-lzss", nullptr}, {"--disable-lzss", nullptr}, Flag::EnableLzss},
    {{"--enable-packbits", nullptr}, {"--disable-packbits", nullptr}, Flag::EnablePackbits},
    {{"--enable-zpak", nullptr}, {"--disable-zpak", nullptr}, Flag::EnableZpak},
    {{"--force-output", nullptr}, {"--no-force-output", nullptr}, Flag::ForceOutput},
    {{"--list-all-undefineds", nullptr}, {"--no-list-all-undefineds", nullptr}, Flag::ListAllUndefineds},
    {{"--warn-empty-selects", nullptr}, {"--no-warn-empty-selects", nullptr}, Flag::WarnEmptySelects},
    {{"--warn-deprecated", nullptr}, {"--no-warn-deprecated", nullptr}, Flag::WarnDeprecated},
};

// Options that are accepted for compatibility and change nothing.
const char *const kIgnoredOptions[] = {
    "--autokeep",  "--no-autokeep", "--load-program-headers",      "--full-program-headers",
    "-X",          "--discard-locals", "--omagic",                  "--emit-relocs",
    "--allow-multiple-definition",  "--no-warn-mismatch",          "--gc-sections",
    "-(",          "--start-group", "-)",                          "--end-group",
};

bool IsAny(AsmOptions &cursor, const char *const (&names)[2]) {
  return (names[0] && cursor.Is(names[0])) || (names[1] && cursor.Is(names[1]));
}

bool FeatureAllowed(const BaseLinker &linker, int feature) {
  return feature == kNoFeature || linker.SupportsFeature(static_cast<unsigned>(feature));
}

// Applies the first matching set/clear pair of the table.
template <size_t N> bool MatchFlagOption(BaseLinker &linker, AsmOptions &cursor, const FlagOption (&table)[N]) {
  for (const FlagOption &option : table) {
    if (!FeatureAllowed(linker, option.feature))
      continue;
    if (IsAny(cursor, option.set)) {
      linker.SetFlag(option.flag);
      return true;
    }
    if (IsAny(cursor, option.clear)) {
      linker.ClearFlag(option.flag);
      return true;
    }
  }
  return false;
}

void SetKinds(std::array<uint8_t, KindCount> &table, uint8_t kinds, uint8_t on) {
  for (unsigned kind = 0; kind < KindCount; ++kind)
    if (kinds & KindBit(static_cast<Kind>(kind)))
      table[kind] = on;
}

} // namespace

// --- Map options --------------------------------------------------------

static bool ParseMapOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.IsEither("-Map", "--map-file")) {
    linker.mapFileName = cursor.TakeArgument();
  } else if (cursor.HasPrefixEither("-Map=", "--map-file=")) {
    linker.mapFileName = cursor.Value();
  } else if (cursor.Is("--map-text")) {
    linker.report.mode = ReportWriter::Text;
  } else if (cursor.Is("--map-html")) {
    linker.report.mode = ReportWriter::Html;
  } else if (cursor.Is("--map-wide")) {
    linker.mapWidthFactor *= 1.5f;
  } else if (cursor.Is("--map-narrow")) {
    linker.mapWidthFactor = 1.0f;
  } else if (cursor.Is("--map-wrap")) {
    linker.report.wrap = 1;
  } else if (cursor.Is("--map-no-wrap")) {
    linker.report.wrap = 0;
  } else if (cursor.HasPrefix("--map-addr-format=")) {
    linker.mapAddressFormat = static_cast<uint32_t>(ParseOptionNumber(cursor.Value())) & 15;
  } else if (cursor.HasPrefix("--map-size-format=")) {
    linker.mapSizeFormat = static_cast<uint32_t>(ParseOptionNumber(cursor.Value())) & 7;
  } else if (cursor.Is("--map-none")) {
    linker.mapContents = 0;
  } else if (cursor.IsOneOf("-M", "--map-standard", "--map-defaults")) {
    linker.mapContents = 0x1114;
  } else if (cursor.Is("--map-compact")) {
    linker.mapContents = 0x1104;
  } else if (cursor.Is("--map-detailed")) {
    linker.mapContents = 0x515E;
  } else if (cursor.IsEither("--map-full", "--map-all")) {
    linker.mapContents = 0xFFFFDFFF;
  } else if (cursor.IsEither("--map-listing-with-data", "--map-listing-data")) {
    linker.listingWithData = 1;
  } else if (cursor.IsEither("--no-map-listing-with-data", "--no-map-listing-data")) {
    linker.listingWithData = 0;
  } else {
    for (const MapBitOption &option : kMapBitOptions) {
      if (!FeatureAllowed(linker, option.feature))
        continue;
      if (cursor.Is(option.set)) {
        linker.mapContents |= option.bits;
        return true;
      }
      if (cursor.Is(option.clear)) {
        linker.mapContents &= ~option.bits;
        return true;
      }
    }
    return MatchFlagOption(linker, cursor, kMapFlagOptions);
  }
  return true;
}

// --- Pad and alignment options ------------------------------------------

static bool ParsePadOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.Is("--pad-none")) {
    SetKinds(linker.padByKind, kCode | kRo | kRw | kZi, 0);
    return true;
  }
  for (const PadOption &option : kPadOptions) {
    if (IsAny(cursor, option.names)) {
      SetKinds(linker.padByKind, option.kinds, 1);
      return true;
    }
  }
  for (const MinAlignOption &option : kMinAlignOptions) {
    for (const char *prefix : option.prefixes) {
      if (prefix && cursor.HasPrefix(prefix)) {
        uint32_t alignment = NormalizeMinAlign(static_cast<uint32_t>(ParseOptionNumber(cursor.Value())));
        for (unsigned kind = 0; kind < KindCount; ++kind)
          if (option.kinds & KindBit(static_cast<Kind>(kind)))
            linker.minAlignByKind[kind] = alignment;
        return true;
      }
    }
  }
  return false;
}

// --- General options ----------------------------------------------------

static void KeepSymbol(BaseLinker &linker, const std::string &name) {
  linker.keptSymbols.insert(name);
  linker.requiredNames.insert(name);
}

static void SetEntry(BaseLinker &linker, const std::string &name) {
  linker.entrySymbolName = name;
  KeepSymbol(linker, name);
}

static void AddScript(BaseLinker &linker, const std::string &fileName) {
  linker.scriptFiles.push_back(LoadScriptFile(linker, fileName));
}

// Section header and symbol table options, which interact.
static bool ParseOutputOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.Is("--strip")) {
    linker.SetFlag(Flag::NoSymbols);
    linker.SetFlag(Flag::NoDebug);
  } else if (cursor.IsEither("--bare", "--no-section-headers")) {
    linker.SetFlag(Flag::NoSymbols);
    linker.SetFlag(Flag::NoDebug);
    linker.sectionHeaderMode = 0;
  } else if (cursor.Is("--minimal-section-headers")) {
    linker.sectionHeaderMode = 1;
  } else if (cursor.Is("--block-section-headers")) {
    linker.sectionHeaderMode = 2;
  } else if (cursor.Is("--full-section-headers")) {
    linker.sectionHeaderMode = 3;
  } else if (cursor.Is("--symbols")) {
    linker.ClearFlag(Flag::NoSymbols);
    if (linker.sectionHeaderMode == 0)
      linker.sectionHeaderMode = 1;
  } else if (cursor.Is("--no-symbols")) {
    linker.SetFlag(Flag::NoSymbols);
  } else if (cursor.Is("--debug")) {
    linker.ClearFlag(Flag::NoSymbols);
    linker.ClearFlag(Flag::NoDebug);
    if (linker.sectionHeaderMode == 0)
      linker.sectionHeaderMode = 1;
  } else if (cursor.Is("--no-debug")) {
    linker.SetFlag(Flag::NoDebug);
  } else {
    return false;
  }
  return true;
}

// Severities, verbosity and byte order.
static bool ParseReportingOption(BaseLinker &linker, AsmOptions &cursor) {
  uint32_t &warnings = linker.severityTable[SeverityWarning];
  uint32_t &remarks = linker.severityTable[SeverityRemark];
  if (cursor.IsEither("-v", "--verbose"))
    ++linker.verbosity;
  else if (cursor.IsEither("-q", "--silent"))
    linker.verbosity = 0;
  else if (cursor.Is("--warnings"))
    warnings = SeverityWarning;
  else if (cursor.Is("--no-warnings"))
    warnings = SeverityNone;
  else if (cursor.IsEither("--fatal-warnings", "--warnings-are-errors"))
    warnings = SeverityError;
  else if (cursor.Is("--remarks"))
    remarks = SeverityRemark;
  else if (cursor.Is("--no-remarks"))
    remarks = SeverityNone;
  else if (cursor.Is("--remarks-are-warnings"))
    remarks = SeverityWarning;
  else if (cursor.Is("--remarks-are-errors"))
    remarks = SeverityError;
  else if (cursor.Is("--warn-any-double"))
    linker.doubleWarningMode = 2;
  else if (cursor.Is("--warn-unintended-double"))
    linker.doubleWarningMode = 1;
  else if (cursor.Is("--no-warn-double"))
    linker.doubleWarningMode = 0;
  else if (cursor.IsEither("--little-endian", "-EL"))
    linker.ClearFlag(Flag::BigEndian);
  else if (cursor.IsEither("--big-endian", "-EB"))
    linker.SetFlag(Flag::BigEndian);
  else
    return false;
  return true;
}

// Files, symbols and scripts named on the command line.
static bool ParseNameOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.Is("--log-file")) {
    linker.logFileName = cursor.TakeArgument();
  } else if (cursor.HasPrefix("--log-file=")) {
    linker.logFileName = cursor.Value();
  } else if (cursor.Is("--add-region")) {
    linker.regionDefinitions.push_back(cursor.TakeArgument());
  } else if (cursor.HasPrefixEither("--add-region:", "--add-region=")) {
    linker.regionDefinitions.push_back(cursor.Value());
  } else if (cursor.IsEither("-o", "--output")) {
    linker.outputFileName = cursor.TakeArgument();
  } else if (cursor.HasPrefixEither("-o=", "--output=")) {
    linker.outputFileName = cursor.Value();
  } else if (cursor.Is("--keep")) {
    KeepSymbol(linker, cursor.TakeArgument());
  } else if (cursor.HasPrefix("--keep=")) {
    KeepSymbol(linker, cursor.Value());
  } else if (cursor.IsEither("--define-symbol", "--redirect")) {
    linker.symbolDefinitions.push_back(cursor.TakeArgument());
  } else if (cursor.HasPrefixOneOf("--defsym=", "--defsym:", "-defsym=", "-defsym:")) {
    linker.symbolDefinitions.push_back(cursor.Value());
  } else if (cursor.Is("--wrap")) {
    linker.wrappedSymbols.insert(cursor.TakeArgument());
  } else if (cursor.HasPrefix("--entry=")) {
    SetEntry(linker, cursor.Value());
  } else if (cursor.Is("--entry")) {
    linker.entrySymbolName = cursor.TakeArgument();
  } else if (cursor.Is("--no-entry")) {
    linker.entrySymbolName.reset();
  } else if (cursor.Is("--script")) {
    AddScript(linker, cursor.TakeArgument());
  } else if (cursor.HasPrefix("--script=")) {
    AddScript(linker, cursor.Value());
  } else {
    return false;
  }
  return true;
}

// The attached-value forms match any argument that begins with them, so
// they are tried after every exact option.
static bool ParsePrefixOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.HasPrefix("-u"))
    KeepSymbol(linker, cursor.Value());
  else if (cursor.HasPrefix("-D"))
    linker.symbolDefinitions.push_back(cursor.Value());
  else if (cursor.HasPrefix("-e"))
    SetEntry(linker, cursor.Value());
  else if (cursor.HasPrefix("-T"))
    AddScript(linker, cursor.Value());
  else
    return false;
  return true;
}

// --help and --version end the run at once.
static bool ParseInformationOption(BaseLinker &linker, AsmOptions &cursor) {
  if (cursor.Is("--version")) {
    std::fputs(BannerText(linker).c_str(), stdout);
  } else if (cursor.Is("--help")) {
    std::fputs(HelpText(), stdout);
  } else {
    return false;
  }
  std::fflush(stdout);
  std::exit(0);
}

static bool ParseGeneralOption(BaseLinker &linker, AsmOptions &cursor) {
  if (ParseNameOption(linker, cursor) || MatchFlagOption(linker, cursor, kGeneralFlagOptions) ||
      ParseOutputOption(linker, cursor) || ParseReportingOption(linker, cursor))
    return true;
  if (cursor.Is("--auto-es-symbols")) {
    linker.SetFlag(Flag::AutoEsBlockSymbols);
    linker.SetFlag(Flag::AutoEsRegionSymbols);
    return true;
  }
  if (cursor.Is("--no-auto-es-symbols")) {
    linker.ClearFlag(Flag::AutoEsBlockSymbols);
    linker.ClearFlag(Flag::AutoEsRegionSymbols);
    return true;
  }
  for (const char *ignored : kIgnoredOptions)
    if (cursor.Is(ignored))
      return true;
  return ParseInformationOption(linker, cursor) || ParsePrefixOption(linker, cursor);
}

void BaseLinker::ParseOptions(AsmOptions &cursor) {
  while (cursor.Next()) {
    while (cursor.IsInput()) {
      inputFiles.push_back(cursor.Current());
      if (!cursor.Next())
        return;
    }
    if (ParseMapOption(*this, cursor) || ParsePadOption(*this, cursor) || ParseTargetOption(cursor) ||
        ParseGeneralOption(*this, cursor))
      continue;
    cursor.ReportError(std::string("unknown option ") + cursor.Current());
  }
}

} // namespace tanrek
