// One run of the linker-script front end over a byte string, shared by the
// libFuzzer entry point and the corpus replay program.
//
// The first byte picks the options the script front end depends on; the
// remaining bytes are the script text. The run then goes through the
// script's part of the link: "Parse script" (command-line regions and
// definitions, every statement, the default memory), "Define symbols",
// "Dump Script tasks" (formatted when the log is open) and "Run
// assertions".
//
// A fatal error ends the run through the fatal hook instead of the process;
// the hook stays installed between runs.
#pragma once

#include "reader_harness.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tanrek::fuzz {

// Option bits of the first byte.
enum ScriptOptionBits : uint8_t {
  ScriptBigEndian = 0x01,      // --big-endian (data items of user sections)
  ScriptWarnDeprecated = 0x02, // --warn-deprecated (remarks for the older forms)
  ScriptLog = 0x04,            // log open (written to /dev/null): every log line and the task dump formatted
  ScriptRegions = 0x18,        // --add-region values: none, or one of three fixed sets
  ScriptDefinitions = 0x60,    // --defsym values: none, or one of three fixed sets
  ScriptTwoFiles = 0x80,       // the text is two scripts, split at its first form feed (0x0C)
};

struct ScriptResult {
  Outcome outcome = Outcome::Completed;
  // The fatal message, prefix included ("error: ..." or
  // "<file>:<line>:<column>: error: ...").
  std::string message;
  // Not run: an option statement would end the process by design
  // (--help, --version).
  bool skipped = false;
  // Errors counted by a run that went to its end (fill overlaps, unknown
  // integrity algorithms, failed assertions); such a link would end with
  // status 100 after the pipeline.
  uint32_t errors = 0;
};

// The names under which the harness hands the text to the parser.
inline constexpr const char *kFirstScriptName = "fuzz-input.script";
inline constexpr const char *kSecondScriptName = "fuzz-input-2.script";

// Runs the script front end once over `data`. Never ends the process for a
// bad input; a crash, a hang or a sanitizer report is a finding.
ScriptResult RunScript(const uint8_t *data, size_t size);

} // namespace tanrek::fuzz
