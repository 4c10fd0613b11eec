// Overloaded: one visitor for a std::variant made of a lambda per
// alternative (std::visit(Overloaded{...}, shape.params)).
#pragma once

namespace shapes {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace shapes
