#include "script_harness.h"

#include "harness_support.h"

#include "arm/arm_linker.h"
#include "driver/byte_order.h"
#include "driver/diagnostics.h"
#include "driver/linker.h"

#include <string_view>
#include <vector>

namespace tanrek::fuzz {

namespace {

bool IsOptionDash(char c) { return c == '-' || c == '_'; }

// True when some quoted string of the text is "--help" or "--version" (the
// option parser takes "_" for "-"): an option statement with that text
// prints and ends the process, which the command line promises and a
// harness cannot survive. A string cannot hold a quote, so the quoted text
// appears in the input exactly like this.
bool NamesProcessEndingOption(std::string_view text) {
  for (std::string_view word : {"help\"", "version\""}) {
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
      if (at >= 3 && text[at - 3] == '"' && IsOptionDash(text[at - 2]) && IsOptionDash(text[at - 1]))
        return true;
    }
  }
  return false;
}

// Fixed --add-region and --defsym sets, chosen by two bits each.
const std::vector<const char *> kRegionSets[] = {
    {},
    {"ROM=0x10000@0"},
    {"ROM=0x10000@0", "RAM=16K@0x20000000"},
    // A region that ends at the top of the address space: its address-after
    // wraps to 0.
    {"RAM=1K@0x20000000", "TOP=0x100@0xFFFFFF00"},
};

const std::vector<const char *> kDefinitionSets[] = {
    {},
    {"__fuzz_base=0x1000"},
    {"__fuzz_base=0x1000", "__fuzz_alias=__fuzz_base"},
    // An alias of a name that only a script can define, and a suffixed size.
    {"__fuzz_later=__fuzz_pending", "__fuzz_size=4K"},
};

void Configure(ArmLinker &linker, uint8_t options) {
  linker.SetDefaultFlags();
  if (options & ScriptBigEndian)
    linker.SetFlag(Flag::BigEndian);
  if (options & ScriptWarnDeprecated)
    linker.SetFlag(Flag::WarnDeprecated);
  for (const char *value : kRegionSets[(options & ScriptRegions) >> 3])
    linker.regionDefinitions.push_back(value);
  for (const char *value : kDefinitionSets[(options & ScriptDefinitions) >> 5])
    linker.symbolDefinitions.push_back(value);
  targetBigEndian = linker.TestFlag(Flag::BigEndian);
}

void AddScripts(ArmLinker &linker, std::string_view text, bool twoFiles) {
  size_t split = twoFiles ? text.find('\f') : std::string_view::npos;
  if (split == std::string_view::npos) {
    linker.scriptFiles.push_back(ScriptText{kFirstScriptName, std::string(text)});
    return;
  }
  linker.scriptFiles.push_back(ScriptText{kFirstScriptName, std::string(text.substr(0, split))});
  linker.scriptFiles.push_back(ScriptText{kSecondScriptName, std::string(text.substr(split + 1))});
}

// The whole pipeline: without input files the script's own blocks, root
// sections and checks are selected, sized, placed and given symbols, and
// the image is written where it costs nothing.
void Run(ArmLinker &linker) {
  linker.outputFileName = "/dev/null";
  linker.PrepareOutputImage();
  linker.Link();
}

} // namespace

ScriptResult RunScript(const uint8_t *data, size_t size) {
  ScriptResult result;
  uint8_t options = TakeOptionByte(data, size);
  std::string_view text(reinterpret_cast<const char *>(data), size);
  if (NamesProcessEndingOption(text)) {
    result.skipped = true;
    return result;
  }
  std::optional<std::string> fatal = RunWithFreshLinker(options & ScriptLog, [&](ArmLinker &linker) {
    Configure(linker, options);
    AddScripts(linker, text, options & ScriptTwoFiles);
    Run(linker);
    result.errors = linker.ErrorCount();
  });
  if (fatal) {
    result.outcome = IsDefect(*fatal) ? Outcome::Defect : Outcome::Fatal;
    result.message = *fatal;
  }
  return result;
}

} // namespace tanrek::fuzz
