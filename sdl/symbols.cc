#include "sdl/symbols.h"

#include <algorithm>

namespace sdl {

void SymbolTable::Reset() {
  names_.clear();
  scope_names_.clear();
  scope_names_.emplace_back();
}

ValueRef SymbolTable::Find(std::string_view name) const {
  const auto found = names_.find(name);
  if (found == names_.end() || found->second.empty()) return nullptr;
  return ValueOf(found->second.back());
}

ValueRef SymbolTable::ValueOf(const Entry& entry) const {
  if (!entry.reference) return entry.value;
  // References are made to plain declarations only: one step.
  const auto found = names_.find(entry.reference->name);
  if (found == names_.end()) return nullptr;
  for (const Entry& e : found->second) {
    if (e.scope == entry.reference->scope && !e.reference) return e.value;
  }
  return nullptr;  // #undef'd while the macro ran
}

std::optional<SymbolTable::Reference> SymbolTable::ReferenceTo(std::string_view name) const {
  const auto found = names_.find(name);
  if (found == names_.end() || found->second.empty()) return std::nullopt;
  const Entry& entry = found->second.back();
  if (entry.reference) return entry.reference;
  return Reference{found->first, entry.scope};
}

void SymbolTable::Set(const std::string& name, size_t scope, ValueRef value) {
  std::vector<Entry>& entries = names_[name];
  auto at = std::find_if(entries.begin(), entries.end(),
                         [scope](const Entry& e) { return e.scope >= scope; });
  if (at != entries.end() && at->scope == scope) {
    if (at->reference) {
      const Reference target = *at->reference;
      Set(target.name, target.scope, std::move(value));
      return;
    }
    at->value = std::move(value);
    return;
  }
  entries.insert(at, Entry{scope, std::move(value), std::nullopt});
  scope_names_[scope].push_back(name);
}

void SymbolTable::OpenWith(std::unordered_map<std::string, Binding> scope) {
  Open();
  const size_t inner = depth() - 1;
  for (auto& [name, binding] : scope) {
    std::vector<Entry>& entries = names_[name];
    entries.push_back(Entry{inner, std::move(binding.value), std::move(binding.reference)});
    scope_names_[inner].push_back(name);
  }
}

void SymbolTable::DeclareIn(size_t depth, const std::string& name, Value value, bool local) {
  ValueRef stored = std::make_shared<const Value>(std::move(value));
  depth = std::clamp<size_t>(depth, 1, this->depth());
  if (local && depth > 1) {
    Set(name, depth - 1, std::move(stored));
    return;
  }
  // The innermost local of that name among the first `depth` scopes, else
  // the global one.
  const auto found = names_.find(name);
  if (found != names_.end()) {
    for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
      if (it->scope >= 1 && it->scope < depth) {
        Set(name, it->scope, std::move(stored));
        return;
      }
    }
  }
  Set(name, 0, std::move(stored));
}

void SymbolTable::DeclareGlobal(const std::string& name, Value value) {
  Set(name, 0, std::make_shared<const Value>(std::move(value)));
}

void SymbolTable::Undefine(std::string_view name) {
  const auto found = names_.find(name);
  if (found != names_.end()) found->second.clear();
}

void SymbolTable::CloseTo(size_t depth) {
  if (depth < 1) depth = 1;  // the global scope stays
  while (scope_names_.size() > depth) {
    const size_t scope = scope_names_.size() - 1;
    for (const std::string& name : scope_names_.back()) {
      const auto found = names_.find(name);
      if (found == names_.end()) continue;
      auto& entries = found->second;
      entries.erase(std::remove_if(entries.begin(), entries.end(),
                                   [scope](const Entry& e) { return e.scope == scope; }),
                    entries.end());
    }
    scope_names_.pop_back();
  }
}

}  // namespace sdl
