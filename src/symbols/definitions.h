// Symbol definitions given on the command line (--defsym=NAME=VALUE and
// its other spellings). Each one becomes a define statement of the script.
#pragma once

#include <string>

namespace tanrek {

class BaseLinker;

// NAME=VALUE. A value that starts with a decimal digit is a number and
// defines the symbol at once; any other value names the symbol that NAME
// becomes an alias of. Nothing is trimmed: spaces belong to the name and
// the value.
void DefineFromCommandLine(BaseLinker &linker, const std::string &text);

} // namespace tanrek
