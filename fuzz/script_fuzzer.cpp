// libFuzzer entry point for the linker-script front end. A malformed script
// must end in a fatal error; a crash, a hang, a leak, a sanitizer report or
// an internal error is a finding.
#include "script_harness.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  tanrek::fuzz::ScriptResult result = tanrek::fuzz::RunScript(data, size);
  if (result.outcome == tanrek::fuzz::Outcome::Defect) {
    std::fprintf(stderr, "linker defect: %s\n", result.message.c_str());
    std::abort();
  }
  return 0;
}
