// SymbolTable: the identifiers of one reading, in nested scopes (the file's
// global scope, then one per macro call and include). Values are immutable
// once stored and handed out as shared references: nothing a later token
// does (#undef, a redeclaration, leaving a macro or include) can free a
// value that a reader still holds. Arrays are the one mutable kind: an
// element assignment writes into the ArrayValue that every holder shares.
// One reading, one thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdl/values.h"

namespace sdl {

// A value as the table hands it out: kept alive by the holder.
using ValueRef = std::shared_ptr<const Value>;

class SymbolTable {
 public:
  SymbolTable() { Reset(); }

  // One global scope, empty.
  void Reset();
  // The innermost declaration of `name`, or null.
  ValueRef Find(std::string_view name) const;
  bool IsDeclared(std::string_view name) const { return Find(name) != nullptr; }
  // #local: in the innermost scope. #declare: where a local of that name is
  // visible (as POV-Ray does), else in the global scope.
  void Declare(const std::string& name, Value value, bool local) {
    DeclareIn(depth(), name, std::move(value), local);
  }
  // The same as seen from the first `depth` scopes: those open when the
  // directive began (its value may have opened and closed others, as a
  // macro that supplies the value does).
  void DeclareIn(size_t depth, const std::string& name, Value value, bool local);
  void DeclareGlobal(const std::string& name, Value value);
  // #undef: every declaration of `name`.
  void Undefine(std::string_view name);

  // Scopes of macro calls and includes: Open gives the depth to return to.
  size_t depth() const { return scopes_.size(); }
  void Open() { scopes_.emplace_back(); }
  void OpenWith(std::unordered_map<std::string, ValueRef> scope) {
    scopes_.push_back(std::move(scope));
  }
  void CloseTo(size_t depth);

 private:
  std::vector<std::unordered_map<std::string, ValueRef>> scopes_;
};

}  // namespace sdl
