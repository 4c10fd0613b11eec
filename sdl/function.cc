#include "sdl/function.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "sdl/hasher.h"
#include "sdl/pigment_function.h"

namespace sdl {

namespace {

// Points per block of EvaluateMany: a slot of the stack is a row of this
// many values.
constexpr int kLanes = 64;

// A value of the stack over a block: a constant, an argument's values
// where the caller keeps them, or a row of the block's own.
struct Slot {
  const double* row = nullptr;  // null: `constant` in every lane
  double constant = 0;
  double At(int lane) const { return row != nullptr ? row[lane] : constant; }
};

// The rows and slots a block evaluation works in: the caller's first, its
// callees' after them (block_rows of each program say how many). Held by
// one EvaluateMany call.
struct BlockRows {
  explicit BlockRows(int rows)
      : values(static_cast<size_t>(rows) * kLanes), slots(static_cast<size_t>(rows)) {}
  double* Row(int row) { return values.data() + static_cast<ptrdiff_t>(row) * kLanes; }
  std::vector<double> values;
  std::vector<Slot> slots;
  std::vector<double> gathered;
};

// The stack of one program's block: slot i is row base + i.
class BlockStack {
 public:
  BlockStack(BlockRows& rows, int base) : rows_(rows), base_(base) {}
  Slot& operator[](int slot) { return rows_.slots[static_cast<size_t>(base_ + slot)]; }
  // The slot's own row, where a result over it is written.
  double* Own(int slot) { return rows_.Row(base_ + slot); }
  // The slot's values in its own row (a constant spread, an argument
  // copied), for the operations that write where they read.
  double* Materialize(int slot, int lanes) {
    Slot& s = (*this)[slot];
    double* own = Own(slot);
    if (s.row == nullptr) {
      std::fill_n(own, lanes, s.constant);
    } else if (s.row != own) {
      std::copy_n(s.row, lanes, own);
    }
    s.row = own;
    return own;
  }

 private:
  BlockRows& rows_;
  int base_;
};

// out = op(a, b) in each lane; `out` may be a's or b's row.
template <class Op>
void Lanes(double* out, const Slot& a, const Slot& b, int lanes, Op op) {
  if (a.row != nullptr && b.row != nullptr) {
    const double *x = a.row, *y = b.row;
    for (int l = 0; l < lanes; ++l) out[l] = op(x[l], y[l]);
  } else if (a.row != nullptr) {
    const double *x = a.row, y = b.constant;
    for (int l = 0; l < lanes; ++l) out[l] = op(x[l], y);
  } else {
    const double x = a.constant, *y = b.row;
    for (int l = 0; l < lanes; ++l) out[l] = op(x, y[l]);
  }
}

// The binary operator `op` of the program over two stack slots.
void Binary(FunctionProgram::Op op, const FunctionProgram::Instruction& in, double* out,
            const Slot& a, const Slot& b, int lanes) {
  using Op = FunctionProgram::Op;
  switch (op) {
    case Op::kAdd:
      Lanes(out, a, b, lanes, [](double x, double y) { return x + y; });
      break;
    case Op::kSub:
      Lanes(out, a, b, lanes, [](double x, double y) { return x - y; });
      break;
    case Op::kMul:
      Lanes(out, a, b, lanes, [](double x, double y) { return x * y; });
      break;
    case Op::kDiv:
      Lanes(out, a, b, lanes, [](double x, double y) { return x / y; });
      break;
    case Op::kLess:
      Lanes(out, a, b, lanes, [](double x, double y) { return x < y ? 1.0 : 0.0; });
      break;
    case Op::kLessEqual:
      Lanes(out, a, b, lanes, [](double x, double y) { return x <= y ? 1.0 : 0.0; });
      break;
    case Op::kGreater:
      Lanes(out, a, b, lanes, [](double x, double y) { return x > y ? 1.0 : 0.0; });
      break;
    case Op::kGreaterEqual:
      Lanes(out, a, b, lanes, [](double x, double y) { return x >= y ? 1.0 : 0.0; });
      break;
    case Op::kEqual:
      Lanes(out, a, b, lanes, [](double x, double y) { return x == y ? 1.0 : 0.0; });
      break;
    case Op::kNotEqual:
      Lanes(out, a, b, lanes, [](double x, double y) { return x != y ? 1.0 : 0.0; });
      break;
    case Op::kAnd:
      Lanes(out, a, b, lanes, [](double x, double y) { return x != 0 && y != 0 ? 1.0 : 0.0; });
      break;
    case Op::kOr:
      Lanes(out, a, b, lanes, [](double x, double y) { return x != 0 || y != 0 ? 1.0 : 0.0; });
      break;
    case Op::kCall2:
      Lanes(out, a, b, lanes, [&in](double x, double y) { return in.f2(x, y); });
      break;
    default:
      break;
  }
}

// The program over `lanes` points (at most kLanes): args[i][offset + p] is
// argument i of point p. Its stack starts at row `base` of `rows`; what
// it calls works in the rows after its own.
void EvaluateBlock(const FunctionProgram& program, const double* const* args, size_t offset,
                   int lanes, double* out, BlockRows& rows, int base) {
  using Op = FunctionProgram::Op;
  BlockStack stack(rows, base);
  const int free_row = base + program.max_stack;  // a callee's result, then its rows
  int top = 0;                                    // slots on the stack
  for (const FunctionProgram::Instruction& in : program.code) {
    switch (in.op) {
      case Op::kConst:
        stack[top++] = Slot{nullptr, in.value};
        break;
      case Op::kParam:
        stack[top++] = Slot{args[in.index] + offset, 0};
        break;
      case Op::kNeg: {
        double* a = stack.Materialize(top - 1, lanes);
        for (int l = 0; l < lanes; ++l) a[l] = -a[l];
        break;
      }
      case Op::kNot: {
        double* a = stack.Materialize(top - 1, lanes);
        for (int l = 0; l < lanes; ++l) a[l] = a[l] == 0 ? 1 : 0;
        break;
      }
      case Op::kSqrt: {
        double* a = stack.Materialize(top - 1, lanes);
        for (int l = 0; l < lanes; ++l) a[l] = std::sqrt(a[l]);
        break;
      }
      case Op::kAbs: {
        double* a = stack.Materialize(top - 1, lanes);
        for (int l = 0; l < lanes; ++l) a[l] = std::fabs(a[l]);
        break;
      }
      case Op::kCall1: {
        double* a = stack.Materialize(top - 1, lanes);
        for (int l = 0; l < lanes; ++l) a[l] = in.f1(a[l]);
        break;
      }
      case Op::kChoose:
      case Op::kSelect: {
        top -= 2;
        double* c = stack.Materialize(top - 1, lanes);
        const Slot &a = stack[top], &b = stack[top + 1];
        if (in.op == Op::kChoose) {
          for (int l = 0; l < lanes; ++l) c[l] = c[l] != 0 ? a.At(l) : b.At(l);
        } else {
          for (int l = 0; l < lanes; ++l) c[l] = c[l] < 0 ? a.At(l) : b.At(l);
        }
        break;
      }
      case Op::kSelect4: {
        top -= 3;
        double* c = stack.Materialize(top - 1, lanes);
        const Slot &a = stack[top], &b = stack[top + 1], &d = stack[top + 2];
        for (int l = 0; l < lanes; ++l) c[l] = c[l] < 0 ? a.At(l) : c[l] == 0 ? b.At(l) : d.At(l);
        break;
      }
      case Op::kMin:
      case Op::kMax: {
        top -= in.index;
        double* r = stack.Materialize(top, lanes);
        for (int i = 1; i < in.index; ++i) {
          if (in.op == Op::kMin) {
            Lanes(r, stack[top], stack[top + i], lanes,
                  [](double a, double b) { return std::fmin(a, b); });
          } else {
            Lanes(r, stack[top], stack[top + i], lanes,
                  [](double a, double b) { return std::fmax(a, b); });
          }
        }
        ++top;
        break;
      }
      case Op::kCallFunction: {
        top -= in.index;
        // The callee reads its arguments where they are (constants
        // spread); its value comes to the row past this stack, then to the
        // first argument's slot.
        constexpr int kFewArgs = 8;
        const double* few[kFewArgs];
        std::vector<const double*> many;
        const double** callee_args = few;
        if (in.index > kFewArgs) {
          many.resize(static_cast<size_t>(in.index));
          callee_args = many.data();
        }
        for (int i = 0; i < in.index; ++i) {
          callee_args[i] = stack[top + i].row != nullptr ? stack[top + i].row
                                                         : stack.Materialize(top + i, lanes);
        }
        double* result = rows.Row(free_row);
        EvaluateBlock(*program.callees[static_cast<size_t>(in.callee)], callee_args, 0, lanes,
                      result, rows, free_row + 1);
        std::copy_n(result, lanes, stack.Own(top));
        stack[top] = Slot{stack.Own(top), 0};
        ++top;
        break;
      }
      case Op::kCallInternal: {
        top -= in.index;
        // An internal function takes one point's arguments side by side:
        // each lane's gathered first, an argument at a time.
        const int count = std::max(in.index, 1);
        std::vector<double>& points = rows.gathered;
        points.resize(static_cast<size_t>(count) * kLanes);
        for (int i = 0; i < in.index; ++i) {
          const Slot argument = stack[top + i];
          for (int l = 0; l < lanes; ++l)
            points[static_cast<size_t>(l * count + i)] = argument.At(l);
        }
        double* result = rows.Row(free_row);
        for (int l = 0; l < lanes; ++l) {
          result[l] = in.internal(points.data() + static_cast<ptrdiff_t>(l) * count);
        }
        std::copy_n(result, lanes, stack.Own(top));
        stack[top] = Slot{stack.Own(top), 0};
        ++top;
        break;
      }
      case Op::kPigment: {
        top -= 3;
        const Slot x = stack[top], y = stack[top + 1], z = stack[top + 2];
        const PigmentFunction& pigment = *program.pigments[static_cast<size_t>(in.callee)];
        double* result = stack.Own(top);
        for (int l = 0; l < lanes; ++l) {
          result[l] = pigment.Component({x.At(l), y.At(l), z.At(l)}, in.index);
        }
        stack[top] = Slot{result, 0};
        ++top;
        break;
      }
      default: {
        // The binary operators: b on top, a below it; the result in a's
        // own row.
        --top;
        double* own = stack.Own(top - 1);
        const Slot a = stack[top - 1], b = stack[top];
        if (a.row == nullptr && b.row == nullptr) {
          double value = a.constant;
          Binary(in.op, in, &value, Slot{&a.constant, 0}, b, 1);
          stack[top - 1] = Slot{nullptr, value};
        } else {
          Binary(in.op, in, own, a, b, lanes);
          stack[top - 1] = Slot{own, 0};
        }
        break;
      }
    }
  }
  const Slot result = top > 0 ? stack[top - 1] : Slot{};
  if (result.row != nullptr) {
    std::copy_n(result.row, lanes, out);
  } else {
    std::fill_n(out, lanes, result.constant);
  }
}

}  // namespace

uint64_t FunctionProgram::Fingerprint() const {
  Hasher h;
  h.Add(params.size());
  for (const Instruction& in : code) {
    h.Add(in.op);
    h.Add(in.index);
    h.Add(in.value);
    h.Add(in.f1);
    h.Add(in.f2);
    h.Add(in.internal);
    if (in.op == Op::kCallFunction && in.callee >= 0 &&
        static_cast<size_t>(in.callee) < callees.size()) {
      h.Add(callees[static_cast<size_t>(in.callee)]->Fingerprint());
    }
    if (in.op == Op::kPigment && in.callee >= 0 &&
        static_cast<size_t>(in.callee) < pigments.size()) {
      h.Add(pigments[static_cast<size_t>(in.callee)]->fingerprint);
    }
  }
  return h.hash();
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
      case Op::kSqrt:
        stack[top - 1] = std::sqrt(stack[top - 1]);
        break;
      case Op::kAbs:
        stack[top - 1] = std::fabs(stack[top - 1]);
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
      case Op::kPigment: {
        top -= 3;
        stack[top] = pigments[static_cast<size_t>(in.callee)]->Component(
            {stack[top], stack[top + 1], stack[top + 2]}, in.index);
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

double FunctionProgram::EvaluateAt(double x, double y, double z) const {
  double args[8] = {x, y, z, 0, 0, 0, 0, 0};
  if (params.size() <= std::size(args)) return Evaluate(args);
  std::vector<double> many(params.size(), 0.0);
  std::copy(args, args + 3, many.begin());
  return Evaluate(many.data());
}

void FunctionProgram::EvaluateMany(const double* const* args, size_t count, double* out) const {
  BlockRows rows(block_rows);
  for (size_t start = 0; start < count; start += kLanes) {
    const int lanes = static_cast<int>(std::min<size_t>(kLanes, count - start));
    EvaluateBlock(*this, args, start, lanes, out + start, rows, 0);
  }
}

}  // namespace sdl
