// Script statements. Each statement of the script becomes a task; the
// phases of the link walk the task tree and call one operation on every
// task (select, keep, sort, size, define, place, initialize, dump, check).
// A task that has nothing to do for a phase inherits the empty operation.
//
// The tree has one root, the main list. Its children are the non-placement
// statements in script order, then the place-at list, then the place-in
// list, so every walk sees all placements at fixed addresses before any
// placement into a region.
#pragma once

#include "driver/diagnostics.h"
#include "placement/locatable.h"
#include "script/linker_expr.h"
#include "script/range_list.h"
#include "script/section_selector.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tanrek {

class BaseLinker;
struct Symbol;

class ScriptTask {
public:
  ScriptTask() = default;
  virtual ~ScriptTask() = default;
  ScriptTask(const ScriptTask &) = delete;
  ScriptTask &operator=(const ScriptTask &) = delete;

  virtual void SelectInputs(BaseLinker &) {}
  virtual void ApplyKeep(BaseLinker &) {}
  virtual void SortInputs(BaseLinker &) {}
  virtual void SizeAndAlign(BaseLinker &) {}
  virtual void DefineSymbols(BaseLinker &) {}
  virtual void PlaceAt(BaseLinker &) {}
  virtual void PlaceIn(BaseLinker &) {}
  virtual void ApplyInitialization(BaseLinker &) {}
  virtual void AddInitCalls(BaseLinker &) {}
  virtual void Dump(BaseLinker &) const {}
  virtual void ReportPlacement(BaseLinker &) {}
  virtual void Unplace(BaseLinker &) {}
  virtual void ExplainUnplaced(BaseLinker &, Locatable &) {}
  virtual void Check(BaseLinker &) {}

  // Calls `operation` on this task and then, in order, on every task below.
  template <typename Operation> void Walk(Operation operation) {
    operation(*this);
    for (const auto &child : children)
      child->Walk(operation);
  }
  // Makes a task of type T the last child of this one.
  template <typename T, typename... Args> T &Add(Args &&...args) {
    auto task = std::make_unique<T>(std::forward<Args>(args)...);
    T &added = *task;
    Adopt(std::move(task));
    return added;
  }
  // Makes `child` the last child of this task.
  void Adopt(std::unique_ptr<ScriptTask> child);

  ScriptTask *parent = nullptr;
  std::vector<std::unique_ptr<ScriptTask>> children;
};

class DefineSymbolTask final : public ScriptTask {
public:
  DefineSymbolTask(std::string name, ExprPtr expr, bool exported);
  void DefineSymbols(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;
  void Unplace(BaseLinker &linker) override;

  std::string name;
  ExprPtr expr;
  uint8_t done = 0;
  uint8_t exported = 0;
  // Defined only once addresses were known: undoing the placement makes
  // the value stale, so it is worked out again.
  uint8_t dependsOnPlacement = 0;
};

class DefineRegionTask final : public ScriptTask {
public:
  DefineRegionTask(std::string name, RangeList ranges);
  void Dump(BaseLinker &linker) const override;

  std::string name;
  RangeList ranges;
};

class DefineBlockTask final : public ScriptTask {
public:
  explicit DefineBlockTask(LinkBlock *block) : block(block) {}
  void SelectInputs(BaseLinker &linker) override;
  void SortInputs(BaseLinker &linker) override;
  void SizeAndAlign(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  LinkBlock *block;
};

class PlaceTask : public ScriptTask {
public:
  explicit PlaceTask(LinkBlock *block) : block(block) {}
  void SelectInputs(BaseLinker &linker) override;
  void Unplace(BaseLinker &linker) override;

  LinkBlock *block;
};

class PlaceInTask final : public PlaceTask {
public:
  using PlaceTask::PlaceTask;
  void SortInputs(BaseLinker &linker) override;
  void PlaceIn(BaseLinker &linker) override;
  void ExplainUnplaced(BaseLinker &linker, Locatable &item) override;
  void Dump(BaseLinker &linker) const override;

  std::vector<RangeList> regions;
};

class PlaceAtTask final : public PlaceTask {
public:
  PlaceAtTask(LinkBlock *block, uint32_t address, bool atEnd)
      : PlaceTask(block), address(address), atEnd(atEnd) {}
  void SortInputs(BaseLinker &linker) override;
  void SizeAndAlign(BaseLinker &linker) override;
  void PlaceAt(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  uint32_t address;
  uint8_t atEnd;
};

class KeepTask final : public ScriptTask {
public:
  explicit KeepTask(SectionSelector selector) : selector(std::move(selector)) {}
  void ApplyKeep(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  SectionSelector selector;
};

class InitializeTask final : public ScriptTask {
public:
  InitializeTask(uint32_t method, SectionSelector selector)
      : method(method), selector(std::move(selector)) {}
  void ApplyInitialization(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  uint32_t method;
  SectionSelector selector;
};

class InitializeCallingTask final : public ScriptTask {
public:
  InitializeCallingTask(SectionSelector selector, Symbol *function)
      : selector(std::move(selector)), function(function) {}
  void AddInitCalls(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  SectionSelector selector;
  Symbol *function;
};

class AssertTask final : public ScriptTask {
public:
  AssertTask(ExprPtr expr, std::string message, uint32_t severity, SourceLocation where)
      : expr(std::move(expr)), message(std::move(message)), severity(severity),
        where(where) {}
  void Check(BaseLinker &linker) override;
  void Dump(BaseLinker &linker) const override;

  ExprPtr expr;
  std::string message;
  uint32_t severity;
  SourceLocation where;
};

// The printed name of a block ordering: "with fixed order" ... "with
// unknown order".
const char *OrderName(uint32_t order);

// A fill request of a fill statement or of a place in block with a fill.
struct FillRequest {
  RangeList ranges;
  uint8_t fillByte;
};

} // namespace tanrek
