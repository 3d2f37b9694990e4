#include "symbols/definitions.h"

#include "driver/diagnostics.h"
#include "driver/linker.h"
#include "driver/log.h"
#include "script/linker_expr.h"
#include "script/script_lexer.h"
#include "script/script_task.h"
#include "symbols/symbol_table.h"

namespace tanrek {

void DefineFromCommandLine(BaseLinker &linker, const std::string &text) {
  size_t equals = text.find('=');
  if (equals == std::string::npos)
    Fatal(linker, "syntax error in linker definition '%s'", text.c_str());
  std::string name = text.substr(0, equals);
  std::string value = text.substr(equals + 1);
  LogLine("Define symbol %s as %s", name.c_str(), value.c_str());
  ExprPtr expr;
  if (!value.empty() && value[0] >= '0' && value[0] <= '9') {
    uint32_t number = ConvertNumber(linker, value);
    DefineGlobalSymbol(linker, name, number);
    expr = std::make_unique<LinkerLiteral>(number);
  } else {
    expr = std::make_unique<LinkerSymbol>(value);
  }
  linker.mainTask->Add<DefineSymbolTask>(name, std::move(expr), false).DefineSymbols(linker);
}

} // namespace tanrek
