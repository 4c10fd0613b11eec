// FunctionProgram: a function { } of the scene language, compiled once at
// its declaration into a flat program for a small stack machine, so that a
// call costs no parsing (macros and, later, surfaces call functions
// millions of times). Immutable once built and shared by every identifier
// that holds it; Evaluate is reentrant and may run on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sdl {

struct PigmentFunction;

struct FunctionProgram {
  enum class Op : uint8_t {
    kConst,  // push value
    kParam,  // push argument `index`
    kAdd,
    kSub,
    kMul,
    kDiv,
    kNeg,
    kNot,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kEqual,
    kNotEqual,
    kAnd,
    kOr,
    kChoose,   // c a b -> c != 0 ? a : b
    kSelect,   // c a b -> c < 0 ? a : b
    kSelect4,  // c a b d -> c < 0 ? a : c == 0 ? b : d
    kSqrt,     // sqrt(a) and abs(a), computed in place rather than called
    kAbs,
    kCall1,         // f1(a)
    kCall2,         // f2(a, b)
    kMin,           // `index` values -> the least
    kMax,           // `index` values -> the greatest
    kCallFunction,  // `index` values -> callees[count] (the callee)
    kCallInternal,  // `index` values -> internal(them)
    kPigment,       // x y z -> component `index` of pigments[callee] there
  };
  struct Instruction {
    Op op;
    int32_t index = 0;  // kParam: the argument; kMin/kMax/kCallFunction: values taken
    int32_t callee = 0;
    double value = 0;
    double (*f1)(double) = nullptr;
    double (*f2)(double, double) = nullptr;
    double (*internal)(const double*) = nullptr;  // kCallInternal
  };

  std::vector<std::string> params;  // x, y, z unless the declaration names them
  std::vector<Instruction> code;
  std::vector<std::shared_ptr<const FunctionProgram>> callees;
  std::vector<std::shared_ptr<const PigmentFunction>> pigments;  // kPigment's
  int max_stack = 0;                                             // values on the stack at most
  // Functions called inside one another, this one included (each calls
  // only functions declared before it: no recursion).
  int call_depth = 1;
  // Instructions one call runs, those of the functions it calls included
  // (saturating): what a call costs the reading's budget.
  int64_t cost = 0;
  // Rows of values EvaluateMany needs for a block of points: this
  // program's stack, its result and those of the functions it calls.
  int block_rows = 1;

  // The function's value for `args` (as many as `params`).
  double Evaluate(const double* args) const;
  // Its value with x, y and z its first arguments (as many as it has) and
  // any others 0: a function of a point, as surfaces and patterns call it.
  double EvaluateAt(double x, double y, double z) const;
  // The function's values at `count` points at once: args[i][p] is
  // argument i of point p (as many arrays as `params`), out[p] its value,
  // exactly what Evaluate gives for it. Each instruction runs over a block
  // of points, so its dispatch is paid once per block: what a mesher that
  // samples a grid wants.
  void EvaluateMany(const double* const* args, size_t count, double* out) const;
  // A number only programs that compute the same share: their code, the
  // functions they call included (what a macro compiles anew each call
  // is still the same function).
  uint64_t Fingerprint() const;
};

}  // namespace sdl
