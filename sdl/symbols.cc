#include "sdl/symbols.h"

namespace sdl {

void SymbolTable::Reset() {
  scopes_.clear();
  scopes_.emplace_back();
}

ValueRef SymbolTable::Find(std::string_view name) const {
  const std::string key(name);
  for (size_t i = scopes_.size(); i-- > 0;) {
    auto found = scopes_[i].find(key);
    if (found != scopes_[i].end()) return found->second;
  }
  return nullptr;
}

void SymbolTable::DeclareIn(size_t depth, const std::string& name, Value value, bool local) {
  ValueRef stored = std::make_shared<const Value>(std::move(value));
  if (depth > scopes_.size()) depth = scopes_.size();
  if (depth < 1) depth = 1;
  if (local && depth > 1) {
    scopes_[depth - 1][name] = std::move(stored);
    return;
  }
  for (size_t i = depth; i-- > 1;) {
    auto found = scopes_[i].find(name);
    if (found != scopes_[i].end()) {
      found->second = std::move(stored);
      return;
    }
  }
  scopes_.front()[name] = std::move(stored);
}

void SymbolTable::DeclareGlobal(const std::string& name, Value value) {
  scopes_.front()[name] = std::make_shared<const Value>(std::move(value));
}

void SymbolTable::Undefine(std::string_view name) {
  const std::string key(name);
  for (auto& scope : scopes_) scope.erase(key);
}

void SymbolTable::CloseTo(size_t depth) {
  if (depth < 1) depth = 1;  // the global scope stays
  while (scopes_.size() > depth) scopes_.pop_back();
}

}  // namespace sdl
