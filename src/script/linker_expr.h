// Linker expressions: parsed once into a tree, evaluated when needed.
//
// Every evaluation yields a value and a defined flag. An expression that
// names something that does not exist yet, or is not placed yet, is
// undefined rather than wrong; the caller decides what that means (a
// constant is required, a definition waits for a later pass, an assertion
// fails). All arithmetic is unsigned 32-bit and wraps.
#pragma once

#include "script/range_list.h"
#include "script/script_lexer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

namespace tanrek {

class BaseLinker;

struct ExprValue {
  uint32_t value = 0;
  bool defined = false;
};

class LinkerExpr {
public:
  virtual ~LinkerExpr() = default;
  virtual void Evaluate(BaseLinker &linker, ExprValue &result) const = 0;

  // Nodes on the longest path down from this one, itself included.
  // Evaluation recurses that deep, so the parser bounds it.
  uint32_t depth = 1;
};

using ExprPtr = std::unique_ptr<LinkerExpr>;

// A number, or a value computed while parsing.
class LinkerLiteral final : public LinkerExpr {
public:
  explicit LinkerLiteral(uint32_t value) : value(value) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  uint32_t value;
};

// A symbol's address; defined once its section is placed.
class LinkerSymbol final : public LinkerExpr {
public:
  explicit LinkerSymbol(std::string name) : name(std::move(name)) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  std::string name;
};

// "linked symbol NAME": 1 when the symbol is part of the image, else 0.
class LinkerLinkedExpr final : public LinkerExpr {
public:
  explicit LinkerLinkedExpr(std::string name) : name(std::move(name)) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  std::string name;
};

class LinkerUnary final : public LinkerExpr {
public:
  LinkerUnary(Token op, ExprPtr operand) : op(op), operand(std::move(operand)) {
    depth = this->operand->depth + 1;
  }
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  Token op;
  ExprPtr operand;
};

class LinkerBinary final : public LinkerExpr {
public:
  LinkerBinary(Token op, ExprPtr left, ExprPtr right) : op(op), left(std::move(left)), right(std::move(right)) {
    depth = std::max(this->left->depth, this->right->depth) + 1;
  }
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  Token op;
  ExprPtr left;
  ExprPtr right;
};

// start, after, end, size or alignment of a block, symbol or section.
class LinkerBlockAttrExpr final : public LinkerExpr {
public:
  LinkerBlockAttrExpr(std::string name, Token attribute) : name(std::move(name)), attribute(attribute) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  std::string name;
  Token attribute;
};

class LinkerSymbolAttrExpr final : public LinkerExpr {
public:
  LinkerSymbolAttrExpr(std::string name, Token attribute) : name(std::move(name)), attribute(attribute) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  std::string name;
  Token attribute;
};

class LinkerSectionAttrExpr final : public LinkerExpr {
public:
  LinkerSectionAttrExpr(std::string name, Token attribute) : name(std::move(name)), attribute(attribute) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  std::string name;
  Token attribute;
};

// first(REGION) and last(REGION): the bounds of what placement used inside
// the region.
class LinkerRegionFunction final : public LinkerExpr {
public:
  LinkerRegionFunction(Token function, RangeList ranges) : function(function), ranges(std::move(ranges)) {}
  void Evaluate(BaseLinker &linker, ExprValue &result) const override;
  Token function;
  RangeList ranges;
};

ExprPtr ParseExpr(BaseLinker &linker, ScriptLexer &lexer);
// Parses and evaluates at once; an undefined value is fatal.
uint32_t ParseConst(BaseLinker &linker, ScriptLexer &lexer);

// Evaluates a tree into a fresh value.
inline ExprValue Evaluate(BaseLinker &linker, const LinkerExpr &expr) {
  ExprValue value;
  expr.Evaluate(linker, value);
  return value;
}

} // namespace tanrek
