// The text of a linker script named on the command line. Scripts are read
// when their option is seen and parsed later by the "Parse script" phase.
#pragma once

#include <string>

namespace tanrek {

class BaseLinker;

struct ScriptText {
  std::string fileName;
  std::string text;
};

// Reads the whole file; a file that cannot be read is fatal.
ScriptText LoadScriptFile(BaseLinker &linker, const std::string &fileName);

} // namespace tanrek
