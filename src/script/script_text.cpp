#include "script/script_text.h"

#include "driver/diagnostics.h"
#include "driver/file.h"

namespace tanrek {

ScriptText LoadScriptFile(BaseLinker &linker, const std::string &fileName) {
  std::optional<std::string> text = ReadWholeFile(fileName);
  if (!text)
    Fatal(linker, "can't open %s for reading", fileName.c_str());
  return ScriptText{fileName, std::move(*text)};
}

} // namespace tanrek
