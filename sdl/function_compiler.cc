// function { } declarations compiled into a FunctionProgram: floats, the
// parameters (x, y, z unless named), + - * /, comparisons, & |, ?:, the
// math built-ins, select, min, max, calls of functions declared before,
// and declared floats and vector components taken at the declaration, as
// POV-Ray takes them; a body internal(N) calls one of functions.inc's
// built-in functions (sdl/internal_functions.h). Functions of patterns,
// transforms and splines, and the internal ones not in that table (those
// built on noise among them), are not compiled: such a function reads,
// and a call of it gives 0 with a warning.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "sdl/builtins.h"
#include "sdl/internal_functions.h"
#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

using Op = FunctionProgram::Op;

// Words that make a function this reader does not compile.
bool IsUncompiledKind(std::string_view w) {
  return w == "transform" || w == "spline" || w == "pattern" || w == "noise3d" || w == "f_noise3d";
}

// Thrown where a body uses what this reader does not compile (a function
// of a pattern, an internal function, a word it does not evaluate): the
// function is then read without a program.
struct NotCompiled {};

// Functions called inside one another at most: each call's frame holds a
// small stack of its own, and a host thread's stack may be small.
constexpr int kCallDepth = 64;

// Built-ins the program computes itself rather than calling through a
// pointer: one machine instruction each, which a block of points runs side
// by side.
constexpr std::pair<std::string_view, FunctionProgram::Op> kInlineMath[] = {
    {"abs", FunctionProgram::Op::kAbs},
    {"sqrt", FunctionProgram::Op::kSqrt},
};

// a + b, held at the largest int64_t.
int64_t SaturatingAdd(int64_t a, int64_t b) { return a > INT64_MAX - b ? INT64_MAX : a + b; }

}  // namespace

// Reads one function body into a program; a member of the parser's
// family (it reads the parser's tokens and identifiers).
class FunctionCompiler {
 public:
  FunctionCompiler(Parser& parser, FunctionProgram& program) : parser_(parser), program_(program) {}

  void Expression() { Conditional(); }

  // The body internal(N), `internal` read: the program passes its
  // arguments to the built-in function. Not compiled when this reader
  // does not compute that function; the closing brace is left unread.
  void Internal() {
    parser_.Expect('(', "after internal");
    const Token number = parser_.Next();
    if (number.kind != TokenKind::kNumber) {
      parser_.Fail(number, "expected the number of the internal function, found " +
                               parser_.Describe(number));
    }
    parser_.Expect(')', "to close internal(");
    const InternalFunction* f =
        number.number >= 0 && number.number < 1000 && number.number == std::floor(number.number)
            ? FindInternalFunction(static_cast<int>(number.number))
            : nullptr;
    if (f == nullptr) throw NotCompiled{};
    // Its parameters: x, y, z and the extra ones, P0 ...
    program_.params = {"x", "y", "z"};
    for (int i = 3; i < f->params; ++i) program_.params.push_back("P" + std::to_string(i - 3));
    for (int i = 0; i < f->params; ++i) {
      FunctionProgram::Instruction in{Op::kParam};
      in.index = i;
      Emit(in, 1, 0);
    }
    FunctionProgram::Instruction in{Op::kCallInternal};
    in.index = f->params;
    in.internal = f->evaluate;
    Emit(in, 1, f->params);
    internal_cost_ = f->cost;
  }
  // What the internal function called costs beyond the program's own
  // instructions.
  int64_t internal_cost() const { return internal_cost_; }

 private:
  void Emit(FunctionProgram::Instruction in, int pushes, int pops) {
    parser_.budget_.Allocate(sizeof in, parser_.lexer_.position());
    program_.code.push_back(in);
    depth_ += pushes - pops;
    if (depth_ > program_.max_stack) program_.max_stack = depth_;
  }
  void Emit(Op op, int pops) { Emit({op}, 1, pops); }
  void Constant(double value) {
    FunctionProgram::Instruction in{Op::kConst};
    in.value = value;
    Emit(in, 1, 0);
  }

  void Conditional() {
    Logical();
    if (!parser_.PeekRaw().Is('?')) return;
    const Token mark = parser_.Raw();
    Parser::NestingGuard guard(parser_, mark.where);
    Conditional();
    parser_.Expect(':', "in the function's conditional expression");
    Conditional();
    Emit(Op::kChoose, 3);
  }

  void Logical() {
    Comparison();
    for (;;) {
      const Token op = parser_.PeekRaw();
      if (!op.Is('&') && !op.Is('|')) return;
      parser_.Raw();
      Comparison();
      Emit(op.Is('&') ? Op::kAnd : Op::kOr, 2);
    }
  }

  void Comparison() {
    Additive();
    for (;;) {
      const Token op = parser_.PeekRaw();
      Op code;
      if (op.IsPunct("<")) {
        code = Op::kLess;
      } else if (op.IsPunct("<=")) {
        code = Op::kLessEqual;
      } else if (op.IsPunct(">")) {
        code = Op::kGreater;
      } else if (op.IsPunct(">=")) {
        code = Op::kGreaterEqual;
      } else if (op.IsPunct("=")) {
        code = Op::kEqual;
      } else if (op.IsPunct("!=")) {
        code = Op::kNotEqual;
      } else {
        return;
      }
      parser_.Raw();
      Additive();
      Emit(code, 2);
    }
  }

  void Additive() {
    Multiplicative();
    for (;;) {
      const Token op = parser_.PeekRaw();
      if (!op.Is('+') && !op.Is('-')) return;
      parser_.Raw();
      Multiplicative();
      Emit(op.Is('+') ? Op::kAdd : Op::kSub, 2);
    }
  }

  void Multiplicative() {
    Unary();
    for (;;) {
      const Token op = parser_.PeekRaw();
      if (!op.Is('*') && !op.Is('/')) return;
      parser_.Raw();
      Unary();
      Emit(op.Is('*') ? Op::kMul : Op::kDiv, 2);
    }
  }

  void Unary() {
    const Token op = parser_.PeekRaw();
    if (op.Is('-') || op.Is('+') || op.Is('!')) {
      parser_.Raw();
      Parser::NestingGuard guard(parser_, op.where);
      Unary();
      if (op.Is('-')) Emit(Op::kNeg, 1);
      if (op.Is('!')) Emit(Op::kNot, 1);
      return;
    }
    Primary();
  }

  void Primary() {
    const Token token = parser_.Next();
    if (token.kind == TokenKind::kNumber) {
      Constant(token.number);
      return;
    }
    if (token.Is('(')) {
      Parser::NestingGuard guard(parser_, token.where);
      Conditional();
      parser_.Expect(')', "to close the parenthesis");
      return;
    }
    if (token.kind != TokenKind::kWord) {
      parser_.Fail(token,
                   "expected a number or a name in the function, found " + parser_.Describe(token));
    }
    Word(token);
  }

  void Word(const Token& token) {
    const std::string_view w = token.text;
    for (size_t i = 0; i < program_.params.size(); ++i) {
      if (program_.params[i] == w) {
        FunctionProgram::Instruction in{Op::kParam};
        in.index = static_cast<int32_t>(i);
        Emit(in, 1, 0);
        return;
      }
    }
    // With the parameters x, y, z, u and v are x and y (a parametric's).
    if ((w == "u" || w == "v") && program_.params.size() == 3 && program_.params[0] == "x" &&
        program_.params[1] == "y") {
      FunctionProgram::Instruction in{Op::kParam};
      in.index = w == "u" ? 0 : 1;
      Emit(in, 1, 0);
      return;
    }
    if (parser_.PeekRaw().Is('(')) {
      Call(token);
      return;
    }
    if (w == "pi") return Constant(M_PI);
    if (w == "tau") return Constant(2 * M_PI);
    if (w == "true" || w == "yes" || w == "on") return Constant(1);
    if (w == "false" || w == "no" || w == "off") return Constant(0);
    if (const std::optional<double> animation = parser_.AnimationValue(w)) {
      return Constant(*animation);
    }
    // A declared float, or a component of a declared vector, as it is now.
    const ValueRef value = parser_.Lookup(w);
    if (value != nullptr && value->type == ValueType::kFloat) return Constant(value->v[0]);
    if (value != nullptr && value->type == ValueType::kVector && parser_.PeekRaw().Is('.')) {
      parser_.Raw();
      const Token part = parser_.Raw();
      const int index = part.IsWord("x") ? 0 : part.IsWord("y") ? 1 : part.IsWord("z") ? 2 : -1;
      if (index < 0 || index >= value->dim) {
        parser_.Fail(part, "expected .x, .y or .z of " + Parser::Quote(w));
      }
      return Constant(value->v[index]);
    }
    if (IsReservedWord(w) || value != nullptr) throw NotCompiled{};
    parser_.Fail(token, "undefined identifier '" + Parser::Quote(w) + "' in the function");
  }

  // name(arguments): a math built-in, select, min, max, or a function
  // declared before this one.
  void Call(const Token& name) {
    Parser::NestingGuard guard(parser_, name.where);
    const std::string_view w = name.text;
    parser_.Expect('(', "after the function's name");
    int count = 0;
    if (!parser_.PeekRaw().Is(')')) {
      for (;;) {
        Conditional();
        ++count;
        const Token separator = parser_.Next();
        if (separator.Is(')')) break;
        if (!separator.Is(',')) {
          parser_.Fail(separator, "expected ',' or ')' in the arguments of " + Parser::Quote(w) +
                                      ", found " + parser_.Describe(separator));
        }
      }
    } else {
      parser_.Raw();
    }
    auto arity = [&](int low, int high) {
      if (count < low || count > high) {
        parser_.Fail(name, Parser::Quote(w) + " takes " + std::to_string(low) +
                               (low == high ? "" : " to " + std::to_string(high)) +
                               " arguments, found " + std::to_string(count));
      }
    };
    if (const auto inline_op = std::find_if(
            std::begin(kInlineMath), std::end(kInlineMath),
            [&w](const std::pair<std::string_view, Op>& entry) { return entry.first == w; });
        inline_op != std::end(kInlineMath)) {
      arity(1, 1);
      return Emit(inline_op->second, 1);
    }
    if (const MathFunction1 f = FindMath1(w)) {
      arity(1, 1);
      FunctionProgram::Instruction in{Op::kCall1};
      in.f1 = f;
      return Emit(in, 1, 1);
    }
    if (const MathFunction2 f = FindMath2(w)) {
      arity(2, 2);
      FunctionProgram::Instruction in{Op::kCall2};
      in.f2 = f;
      return Emit(in, 1, 2);
    }
    if (w == "select") {
      arity(3, 4);
      return Emit(count == 3 ? Op::kSelect : Op::kSelect4, count);
    }
    if (w == "min" || w == "max") {
      arity(1, 1000000);
      FunctionProgram::Instruction in{w == "min" ? Op::kMin : Op::kMax};
      in.index = count;
      return Emit(in, 1, count);
    }
    const ValueRef value = parser_.Lookup(w);
    if (value == nullptr && !IsReservedWord(w)) {
      parser_.Fail(name, "undefined function '" + Parser::Quote(w) + "'");
    }
    if (value == nullptr || value->function == nullptr) throw NotCompiled{};
    const int params = static_cast<int>(value->function->params.size());
    arity(params, params);
    if (value->pigment != nullptr) return PigmentCall(w, value->pigment);
    if (value->function->call_depth >= kCallDepth) {
      parser_.Fail(name, "functions calling functions more than " + std::to_string(kCallDepth) +
                             " deep (a bound of the reader)");
    }
    program_.call_depth = std::max(program_.call_depth, value->function->call_depth + 1);
    FunctionProgram::Instruction in{Op::kCallFunction};
    in.index = count;
    in.callee = static_cast<int32_t>(program_.callees.size());
    program_.callees.push_back(value->function);
    Emit(in, 1, count);
  }

  // A pigment's function called: the component of its colour named after
  // the call (.gray when none is).
  void PigmentCall(std::string_view name, const std::shared_ptr<const PigmentFunction>& pigment) {
    int component = ColourComponentOfWord("gray");
    if (parser_.PeekRaw().Is('.')) {
      parser_.Raw();
      const Token part = parser_.Raw();
      component = part.kind == TokenKind::kWord ? ColourComponentOfWord(part.text) : -1;
      if (component < 0) {
        parser_.Fail(part,
                     "expected .red, .green, .blue, .filter, .transmit, .gray, .x, .y or "
                     ".z of " +
                         Parser::Quote(name));
      }
    }
    FunctionProgram::Instruction in{Op::kPigment};
    in.index = component;
    in.callee = static_cast<int32_t>(program_.pigments.size());
    program_.pigments.push_back(pigment);
    Emit(in, 1, 3);
  }

  Parser& parser_;
  FunctionProgram& program_;
  int depth_ = 0;
  int64_t internal_cost_ = 0;
};

Value Parser::FunctionDeclaration(const Token& keyword) {
  auto program = std::make_shared<FunctionProgram>();
  if (PeekRaw().Is('(')) {
    // function(a, b) { ... }: the parameters named.
    Raw();
    for (;;) {
      const Token token = Raw();
      if (token.Is(')')) break;
      if (token.Is(',')) continue;
      if (token.kind != TokenKind::kWord) {
        Fail(token, "expected a parameter name of the function, found " + Describe(token));
      }
      program->params.emplace_back(token.text);
    }
  } else {
    program->params = {"x", "y", "z"};
  }
  Value value;
  value.type = ValueType::kOther;
  value.text = "function";
  Expect('{', "to begin the function");
  const int64_t depth = brace_depth_;
  const Token first = Peek();
  if (first.IsWord("pigment")) {
    // A pigment's function: x, y, z to its colour, its gray as a float.
    Next();
    if (std::shared_ptr<const PigmentFunction> pigment = PigmentFunctionBlock(first)) {
      const Token close = Next();
      if (!close.Is('}')) {
        Fail(close, "expected the end of the function, found " + Describe(close));
      }
      program->params = {"x", "y", "z"};
      for (int i = 0; i < 3; ++i) {
        FunctionProgram::Instruction in{FunctionProgram::Op::kParam};
        in.index = i;
        program->code.push_back(in);
      }
      FunctionProgram::Instruction in{FunctionProgram::Op::kPigment};
      in.index = ColourComponentOfWord("gray");
      program->code.push_back(in);
      program->pigments.push_back(pigment);
      program->max_stack = 3;
      program->block_rows = program->max_stack + 1;
      program->cost = SaturatingAdd(4, pigment->cost);
      value.function = std::move(program);
      value.pigment = std::move(pigment);
      return value;
    }
  }
  if (!first.IsWord("pigment") &&
      !(first.kind == TokenKind::kWord && IsUncompiledKind(first.text))) {
    try {
      FunctionCompiler compiler(*this, *program);
      if (first.kind == TokenKind::kWord && first.text == "internal") {
        Next();
        compiler.Internal();
      } else {
        compiler.Expression();
      }
      const Token close = Next();
      if (!close.Is('}')) {
        Fail(close, "expected the end of the function, found " + Describe(close));
      }
      program->cost =
          SaturatingAdd(static_cast<int64_t>(program->code.size()), compiler.internal_cost());
      int callee_rows = 0;
      for (const FunctionProgram::Instruction& in : program->code) {
        if (in.op == FunctionProgram::Op::kCallFunction) {
          const FunctionProgram& callee = *program->callees[static_cast<size_t>(in.callee)];
          program->cost = SaturatingAdd(program->cost, callee.cost);
          callee_rows = std::max(callee_rows, callee.block_rows);
        } else if (in.op == FunctionProgram::Op::kPigment) {
          program->cost =
              SaturatingAdd(program->cost, program->pigments[static_cast<size_t>(in.callee)]->cost);
        }
      }
      program->block_rows = program->max_stack + 1 + callee_rows;
      value.function = std::move(program);
      return value;
    } catch (const NotCompiled&) {
      // The rest of the body is passed over below.
    }
  }
  // Not compiled: passed over to its end.
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this function");
    if (token.Is('}') && brace_depth_ < depth) return value;
  }
}

}  // namespace sdl
