// The statement parser: recursive descent over the tokens of one script,
// one statement at a time, with no error recovery. Blocks, user-defined
// sections and integrity-check sections are created while parsing, so a
// later statement can refer to them by name.
#pragma once

namespace tanrek {

class BaseLinker;
class ScriptLexer;

// Parses statements until the end of the input into the linker's task
// lists. The lexer must not have read a token yet.
void ParseStatements(BaseLinker &linker, ScriptLexer &lexer);

// The "Parse script" phase: the command-line regions and definitions, then
// every script in command-line order, then the default memory.
void ParseScripts(BaseLinker &linker);

} // namespace tanrek
