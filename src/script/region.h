// Regions and the memory as the script defines them: region expressions
// (evaluated while the statement is read), the region and memory
// statements, and regions given on the command line.
#pragma once

#include "script/range_list.h"

namespace tanrek {

class BaseLinker;
class ScriptLexer;

// REGION: primaries joined by "|" or "+" (union), "-" (subtract) and "&"
// (intersect), left to right without precedence.
void ParseRegionExpr(BaseLinker &linker, ScriptLexer &lexer, RangeList &list);
// A region name, a parenthesised region, if-then-else, or a range literal.
void ParseRegionPrimary(BaseLinker &linker, ScriptLexer &lexer, RangeList &list);

// "define memory [NAME] [with size = EXPR [, unitbytesize]]", after the
// keywords "define memory".
void ParseDefineMemory(BaseLinker &linker, ScriptLexer &lexer);
// Creates the one memory of the link; a second one is fatal.
void CreateMemory(BaseLinker &linker, const std::string &name);

// The --add-region values, as regions at the head of the statement list.
void AddCommandLineRegions(BaseLinker &linker);

} // namespace tanrek
