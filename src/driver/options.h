// The command line: option files are expanded into one argument list, and
// an argument cursor walks it while the linker object recognises options.
//
// Two kinds of match exist and must not be confused: Is() compares a whole
// argument and treats '-' and '_' as the same byte at every position, so
// --map_file names --map-file; HasPrefix() compares plain bytes, so
// --map_file= is not the prefix --map-file=.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tanrek {

class BaseLinker;

class AsmOptions {
public:
  AsmOptions();
  virtual ~AsmOptions();
  virtual void ReportError(const std::string &message) = 0;

  // Moves to the next argument; false when there is none. Clears value.
  bool Next();
  bool IsInput() const { return current && current[0] != '-'; }
  const char *Current() const { return current; }
  const char *Value() const { return value; }

  bool Is(const char *option);
  bool IsEither(const char *a, const char *b) { return Is(a) || Is(b); }
  bool IsOneOf(const char *a, const char *b, const char *c) { return Is(a) || Is(b) || Is(c); }
  bool HasPrefix(const char *prefix);
  bool HasPrefixEither(const char *a, const char *b) { return HasPrefix(a) || HasPrefix(b); }
  bool HasPrefixOneOf(const char *a, const char *b, const char *c) {
    return HasPrefix(a) || HasPrefix(b) || HasPrefix(c);
  }
  bool HasPrefixOneOf(const char *a, const char *b, const char *c, const char *d) {
    return HasPrefix(a) || HasPrefix(b) || HasPrefix(c) || HasPrefix(d);
  }
  // The separate argument of the current option.
  const char *TakeArgument();

  // Fills `arguments` from argv[1..], reading option files ('@file',
  // --via=file, --via file, -f file). Only the command line is expanded.
  void ExpandCommandLine(int argc, const char *const *argv);
  // Appends the tokens of one option file.
  void ReadOptionFile(const std::string &fileName);

  const std::vector<std::string> &Arguments() const { return arguments; }
  void SetArguments(std::vector<std::string> list);

protected:
  const char *current = nullptr;
  const char *value = nullptr;
  int32_t index = -1;
  std::vector<std::string> arguments;
};

// The cursor of the run: every error it meets is fatal.
class AsmOptionsFatal final : public AsmOptions {
public:
  explicit AsmOptionsFatal(BaseLinker &linker) : linker(linker) {}
  [[noreturn]] void ReportError(const std::string &message) override;

private:
  BaseLinker &linker;
};

// Splits option-file text into tokens: whitespace separates, double quotes
// group (a quote is ended by a line end), no comments, no escapes.
std::vector<std::string> TokenizeOptionFile(const std::string &text);

// A minimum alignment as stored: above 1024 becomes 1024, 0 becomes 1,
// anything else keeps only its highest set bit.
uint32_t NormalizeMinAlign(uint32_t value);

// strtol base 10; text after the digits is ignored and no digits give 0.
long ParseOptionNumber(const char *text);

// The --help text, grouped by topic.
const char *HelpText();

} // namespace tanrek
