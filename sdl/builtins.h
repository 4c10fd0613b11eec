// The built-in functions of POV-Ray's scene language that take values and
// give one (abs ... vstr): one table, each entry with its name, its arity,
// the type of each argument and how POV-Ray reads its argument list. The
// parser reads the arguments, CallBuiltin checks them against the entry and
// runs it. Forms that are not plain calls (defined(), trace(), inside())
// stay with the parser. The table is constant; calls run on the reading's
// thread and charge the strings they make to its budget.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sdl/budget.h"
#include "sdl/values.h"

namespace sdl {

enum class ArgType : uint8_t {
  kFloat,   // a float
  kVector,  // a float or a vector, taken as 3 components
  kString,
  kArray,
  kAny,  // any value (select's branches)
};

// One call: its arguments, read and evaluated, and what a function may use.
struct BuiltinCall {
  const Token& name;
  const std::vector<Value>& args;
  const std::vector<Position>& where;  // of each argument
  Budget& budget;
  std::vector<uint32_t>& random_streams;  // seed() makes one, rand() draws
  // Whether the scene can read a file of that name (file_exists()); null:
  // the file system alone.
  bool (*file_exists)(const void* context, const std::string& name, const Position& at) = nullptr;
  const void* context = nullptr;

  double Number(size_t i) const { return args[i].v[0]; }
  Vec3 Vector(size_t i) const;
  const std::string& Text(size_t i) const { return args[i].text; }
  // A string value, its bytes charged to the budget.
  Value String(std::string text) const;
  [[noreturn]] void Fail(const std::string& message) const;              // at the name
  [[noreturn]] void FailAt(size_t i, const std::string& message) const;  // at argument i
};

struct Builtin {
  static constexpr uint8_t kAnyCount = 255;
  std::string_view name;
  uint8_t min_args, max_args;  // max_args kAnyCount: as many as given
  // The type of each argument; arguments past the fifth take the fifth's.
  ArgType types[5];
  // A function of one argument reads it as a parenthesised expression, in
  // which comparisons and logic are operators; arguments in a list are plain
  // expressions (POV-Ray's rule).
  bool parenthesised;
  Value (*call)(const BuiltinCall& call);
};

// The built-in function called `name`, or null.
const Builtin* FindBuiltin(std::string_view name);

// The math built-ins of one float (sin, sqrt ...) and of two (pow, mod ...)
// as plain functions, for compiled function { } bodies, where a value
// outside the domain is NaN rather than an error; null for other names.
using MathFunction1 = double (*)(double);
using MathFunction2 = double (*)(double, double);
MathFunction1 FindMath1(std::string_view name);
MathFunction2 FindMath2(std::string_view name);

// Checks the call's arguments against `builtin` (count, then types) and
// runs it. Throws ParseError for a call that does not fit or a value
// outside the function's domain.
Value CallBuiltin(const Builtin& builtin, const BuiltinCall& call);

}  // namespace sdl
