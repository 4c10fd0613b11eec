#include "sdl/function.h"

#include <cmath>

namespace sdl {

uint64_t FunctionProgram::Fingerprint() const {
  uint64_t h = 14695981039346656037ULL;
  auto add = [&h](const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 1099511628211ULL;
  };
  const size_t count = params.size();
  add(&count, sizeof count);
  for (const Instruction& in : code) {
    add(&in.op, sizeof in.op);
    add(&in.index, sizeof in.index);
    add(&in.value, sizeof in.value);
    add(&in.f1, sizeof in.f1);
    add(&in.f2, sizeof in.f2);
    add(&in.internal, sizeof in.internal);
    if (in.op == Op::kCallFunction && in.callee >= 0 &&
        static_cast<size_t>(in.callee) < callees.size()) {
      const uint64_t callee = callees[static_cast<size_t>(in.callee)]->Fingerprint();
      add(&callee, sizeof callee);
    }
  }
  return h;
}

double FunctionProgram::Evaluate(const double* args) const {
  constexpr int kSmallStack = 64;
  double small[kSmallStack];
  std::vector<double> large;
  double* stack = small;
  if (max_stack > kSmallStack) {
    large.resize(static_cast<size_t>(max_stack));
    stack = large.data();
  }
  int top = 0;  // values on the stack
  for (const Instruction& in : code) {
    switch (in.op) {
      case Op::kConst:
        stack[top++] = in.value;
        break;
      case Op::kParam:
        stack[top++] = args[in.index];
        break;
      case Op::kNeg:
        stack[top - 1] = -stack[top - 1];
        break;
      case Op::kNot:
        stack[top - 1] = stack[top - 1] == 0 ? 1 : 0;
        break;
      case Op::kCall1:
        stack[top - 1] = in.f1(stack[top - 1]);
        break;
      case Op::kChoose:
      case Op::kSelect: {
        top -= 2;
        const double c = stack[top - 1];
        stack[top - 1] = (in.op == Op::kChoose ? c != 0 : c < 0) ? stack[top] : stack[top + 1];
        break;
      }
      case Op::kSelect4: {
        top -= 3;
        const double c = stack[top - 1];
        stack[top - 1] = c < 0 ? stack[top] : c == 0 ? stack[top + 1] : stack[top + 2];
        break;
      }
      case Op::kMin:
      case Op::kMax: {
        top -= in.index;
        double r = stack[top];
        for (int i = 1; i < in.index; ++i) {
          r = in.op == Op::kMin ? std::fmin(r, stack[top + i]) : std::fmax(r, stack[top + i]);
        }
        stack[top++] = r;
        break;
      }
      case Op::kCallFunction: {
        top -= in.index;
        stack[top] = callees[static_cast<size_t>(in.callee)]->Evaluate(stack + top);
        ++top;
        break;
      }
      case Op::kCallInternal: {
        top -= in.index;
        stack[top] = in.internal(stack + top);
        ++top;
        break;
      }
      default: {
        // The binary operators: b on top, a below it.
        const double b = stack[--top];
        double& a = stack[top - 1];
        switch (in.op) {
          case Op::kAdd:
            a += b;
            break;
          case Op::kSub:
            a -= b;
            break;
          case Op::kMul:
            a *= b;
            break;
          case Op::kDiv:
            a /= b;
            break;
          case Op::kLess:
            a = a < b;
            break;
          case Op::kLessEqual:
            a = a <= b;
            break;
          case Op::kGreater:
            a = a > b;
            break;
          case Op::kGreaterEqual:
            a = a >= b;
            break;
          case Op::kEqual:
            a = a == b;
            break;
          case Op::kNotEqual:
            a = a != b;
            break;
          case Op::kAnd:
            a = a != 0 && b != 0;
            break;
          case Op::kOr:
            a = a != 0 || b != 0;
            break;
          case Op::kCall2:
            a = in.f2(a, b);
            break;
          default:
            break;
        }
        break;
      }
    }
  }
  return top > 0 ? stack[top - 1] : 0;
}

}  // namespace sdl
