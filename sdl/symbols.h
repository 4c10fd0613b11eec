// SymbolTable: the identifiers of one reading, in nested scopes (the file's
// global scope, then one per macro call and include). Values are immutable
// once stored and handed out as shared references: nothing a later token
// does (#undef, a redeclaration, leaving a macro or include) can free a
// value that a reader still holds. Arrays are the one mutable kind: an
// element assignment writes into the ArrayValue that every holder shares.
// A macro's parameter given a bare identifier is that identifier (POV-Ray
// passes it by reference): reading it reads the caller's, #local and
// #declare of it assign the caller's. One reading, one thread.
#pragma once

#include <memory>
#include <optional>
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
  // The declaration of `name` in the scope at `scope` (0: the global one).
  struct Reference {
    std::string name;
    size_t scope = 0;
  };
  // A macro parameter's binding: a value, or a reference to an identifier.
  struct Binding {
    ValueRef value;
    std::optional<Reference> reference;
  };

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
  size_t depth() const { return scope_names_.size(); }
  void Open() { scope_names_.emplace_back(); }
  void OpenWith(std::unordered_map<std::string, Binding> scope);
  void CloseTo(size_t depth);
  // The declaration that `name` reads now (the identifier it refers to, for
  // a parameter bound by reference); none when it is not declared.
  std::optional<Reference> ReferenceTo(std::string_view name) const;

 private:
  // A declaration of a name in the scope at `scope` (0: the global one).
  struct Entry {
    size_t scope;
    ValueRef value;                      // unless `reference`
    std::optional<Reference> reference;  // a parameter bound by reference
  };
  // Finds a std::string key from a string_view without making a string.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
  };
  // Each name's declarations, outermost first: a lookup takes the last,
  // whatever the depth of macro calls (a recursive macro a hundred deep
  // finds a global as fast as a local).
  std::unordered_map<std::string, std::vector<Entry>, Hash, std::equal_to<>> names_;
  // The names each open scope declared, to take back when it closes.
  std::vector<std::vector<std::string>> scope_names_;

  // Sets `name` in `scope`, keeping its declarations in scope order; a
  // reference there is written through.
  void Set(const std::string& name, size_t scope, ValueRef value);
  // The value of an entry, through its reference.
  ValueRef ValueOf(const Entry& entry) const;
};

}  // namespace sdl
