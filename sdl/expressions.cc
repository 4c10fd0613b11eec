// Expressions of POV-Ray's scene language: floats, vectors and colours with
// POV-Ray's operators, precedence and promotions, the built-in constants and
// functions, strings, and arrays.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

int Dim(const Value& value) { return value.type == ValueType::kFloat ? 1 : value.dim; }

// `value` as `dim` components: a float fills all of them, a shorter vector
// is padded with zeros.
void Promote(const Value& value, int dim, double* out) {
  if (value.type == ValueType::kFloat) {
    for (int i = 0; i < dim; ++i) out[i] = value.v[0];
    return;
  }
  for (int i = 0; i < dim; ++i) out[i] = i < value.dim ? value.v[i] : 0.0;
}

Value Numeric(int dim, const double* v) {
  return dim == 1 ? Value::Float(v[0]) : Value::Vector(dim, v);
}

double SrgbToLinear(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The component index of ".x", ".red" and the like; -1 for none.
int Component(std::string_view name) {
  if (name == "x" || name == "u" || name == "red") return 0;
  if (name == "y" || name == "v" || name == "green") return 1;
  if (name == "z" || name == "blue") return 2;
  if (name == "t" || name == "filter") return 3;
  if (name == "transmit") return 4;
  return -1;
}

// A small whole number (widths, precisions, character codes).
int SmallInt(double value) {
  return static_cast<int>(std::clamp<int64_t>(WholeNumber(value), -1000000, 1000000));
}

std::string FormatNumber(double value, int width, int precision) {
  char buffer[128];
  if (precision < 0) precision = 6;
  if (precision > 40) precision = 40;
  if (width < 0 || width > 60) width = 0;
  std::snprintf(buffer, sizeof buffer, "%*.*f", width, precision, value);
  return buffer;
}

}  // namespace

Parser::NestingGuard::NestingGuard(Parser& parser, const Position& at) : parser_(parser) {
  const int limit = parser_.options_.limits.nesting;
  if (parser_.nesting_depth_ >= limit) {
    throw FatalError{"the reading stops: expressions, blocks and objects nested more than " +
                         std::to_string(limit) + " deep (the bound max_nesting of the settings)",
                     at};
  }
  if (StackHere() < parser_.stack_floor_) {
    throw FatalError{
        "the reading stops: expressions, blocks and objects nested deeper than the "
        "stack of the reading thread holds (the bound max_nesting of the settings "
        "is " +
            std::to_string(limit) + ")",
        at};
  }
  ++parser_.nesting_depth_;
}

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::kNone:
      return "nothing";
    case ValueType::kFloat:
      return "a float";
    case ValueType::kVector:
      return "a vector";
    case ValueType::kString:
      return "a string";
    case ValueType::kArray:
      return "an array";
    case ValueType::kObject:
      return "an object";
    case ValueType::kTexture:
      return "a texture";
    case ValueType::kTransform:
      return "a transform";
    case ValueType::kMacro:
      return "a macro";
    case ValueType::kOther:
      return "a declared item";
  }
  return "a value";
}

Value Parser::Expression() {
  const Token first = PeekRaw();
  NestingGuard guard(*this, first.where);
  return full_ ? Conditional() : Additive();
}

double Parser::ParenthesizedFloat(const char* what) {
  Expect('(', what);
  double value;
  {
    ScopedFlag flag(full_, true);
    value = Float();
  }
  Expect(')', what);
  return value;
}

double Parser::Float() {
  const Token at = PeekRaw();
  const Value value = Expression();
  if (value.type != ValueType::kFloat) {
    Fail(at, std::string("expected a float, found ") + TypeName(value.type));
  }
  return value.v[0];
}

void Parser::VectorN(int n, double* out) {
  const Token at = PeekRaw();
  const Value value = Expression();
  if (!value.IsNumeric()) {
    Fail(at, std::string("expected a vector, found ") + TypeName(value.type));
  }
  Promote(value, n, out);
}

Vec3 Parser::Vector3() {
  double v[3];
  VectorN(3, v);
  return {v[0], v[1], v[2]};
}

std::string Parser::StringExpression() {
  const Token at = PeekRaw();
  const Value value = Expression();
  if (value.type != ValueType::kString) {
    Fail(at, std::string("expected a string, found ") + TypeName(value.type));
  }
  return value.text;
}

Value Parser::Conditional() {
  Value condition = LogicalOr();
  if (!PeekRaw().Is('?')) return condition;
  const Token mark = Raw();
  NestingGuard guard(*this, mark.where);
  if (condition.type != ValueType::kFloat) Fail(mark, "the condition before '?' must be a float");
  Value a = Conditional();
  Expect(':', "in the conditional expression");
  Value b = Conditional();
  return condition.v[0] != 0 ? a : b;
}

namespace {

[[noreturn]] void OperandError(const Token& op, const Value& a, const Value& b) {
  throw ParseError{"the operator '" + std::string(op.text) + "' cannot take " + TypeName(a.type) +
                       " and " + TypeName(b.type),
                   op.where};
}

// a op b, component by component after promotion.
template <class Op>
Value Combine(const Token& op, const Value& a, const Value& b, Op f) {
  if (!a.IsNumeric() || !b.IsNumeric()) OperandError(op, a, b);
  const int dim = std::max(Dim(a), Dim(b));
  double x[5], y[5], r[5];
  Promote(a, dim, x);
  Promote(b, dim, y);
  for (int i = 0; i < dim; ++i) r[i] = f(x[i], y[i]);
  return Numeric(dim, r);
}

// Comparisons and logic take floats only.
template <class Op>
Value Compare(const Token& op, const Value& a, const Value& b, Op f) {
  if (a.type != ValueType::kFloat || b.type != ValueType::kFloat) OperandError(op, a, b);
  return Value::Float(f(a.v[0], b.v[0]) ? 1.0 : 0.0);
}

}  // namespace

Value Parser::LogicalOr() {
  Value a = LogicalAnd();
  while (PeekRaw().Is('|')) {
    const Token op = Raw();
    const Value b = LogicalAnd();
    a = Compare(op, a, b, [](double x, double y) { return x != 0 || y != 0; });
  }
  return a;
}

Value Parser::LogicalAnd() {
  Value a = Comparison();
  while (PeekRaw().Is('&')) {
    const Token op = Raw();
    const Value b = Comparison();
    a = Compare(op, a, b, [](double x, double y) { return x != 0 && y != 0; });
  }
  return a;
}

Value Parser::Comparison() {
  Value a = Additive();
  for (;;) {
    const Token op = PeekRaw();
    if (op.kind != TokenKind::kPunct) return a;
    const std::string_view o = op.text;
    const bool angle = o == "<" || o == ">" || o == "<=" || o == ">=";
    if (!(angle || o == "=" || o == "!=")) return a;
    Raw();
    const Value b = Additive();
    if (o == "<") a = Compare(op, a, b, [](double x, double y) { return x < y; });
    if (o == ">") a = Compare(op, a, b, [](double x, double y) { return x > y; });
    if (o == "<=") a = Compare(op, a, b, [](double x, double y) { return x <= y; });
    if (o == ">=") a = Compare(op, a, b, [](double x, double y) { return x >= y; });
    if (o == "=") a = Compare(op, a, b, [](double x, double y) { return x == y; });
    if (o == "!=") a = Compare(op, a, b, [](double x, double y) { return x != y; });
  }
}

Value Parser::Additive() {
  Value a = Multiplicative();
  for (;;) {
    const Token op = PeekRaw();
    if (op.Is('+')) {
      Raw();
      a = Combine(op, a, Multiplicative(), [](double x, double y) { return x + y; });
    } else if (op.Is('-')) {
      Raw();
      a = Combine(op, a, Multiplicative(), [](double x, double y) { return x - y; });
    } else {
      return a;
    }
  }
}

Value Parser::Multiplicative() {
  Value a = Unary();
  for (;;) {
    const Token op = PeekRaw();
    if (op.Is('*')) {
      Raw();
      a = Combine(op, a, Unary(), [](double x, double y) { return x * y; });
    } else if (op.Is('/')) {
      Raw();
      const Value b = Unary();
      if (b.IsNumeric()) {
        for (int i = 0; i < Dim(b); ++i) {
          if (b.v[i] == 0) Fail(op, "division by zero");
        }
      }
      a = Combine(op, a, b, [](double x, double y) { return x / y; });
    } else {
      return a;
    }
  }
}

Value Parser::Unary() {
  const Token op = PeekRaw();
  if (op.Is('-') || op.Is('+') || op.Is('!')) {
    Raw();
    NestingGuard guard(*this, op.where);
    Value value = Unary();
    if (!value.IsNumeric()) {
      Fail(op, "the operator '" + std::string(op.text) + "' cannot take " + TypeName(value.type));
    }
    if (op.Is('!')) {
      if (value.type != ValueType::kFloat) Fail(op, "'!' takes a float");
      return Value::Float(value.v[0] == 0 ? 1 : 0);
    }
    if (op.Is('-')) {
      for (int i = 0; i < Dim(value); ++i) value.v[i] = -value.v[i];
    }
    return value;
  }
  return Postfix();
}

Value Parser::Postfix() {
  Value value = Primary();
  while (PeekRaw().Is('.')) {
    const Token dot = Raw();
    const Token name = Raw();
    int index = name.kind == TokenKind::kWord ? Component(name.text) : -1;
    if (name.IsWord("gray") || name.IsWord("grey")) {
      if (!value.IsNumeric()) Fail(dot, "'.gray' needs a colour");
      double c[5];
      Promote(value, 5, c);
      value = Value::Float(0.297 * c[0] + 0.589 * c[1] + 0.114 * c[2]);
      continue;
    }
    if (index < 0) Fail(name, "expected a component (x, y, z, t, red ...) after '.'");
    if (!value.IsNumeric()) Fail(dot, std::string("'.' cannot take ") + TypeName(value.type));
    if (value.type == ValueType::kFloat) Fail(dot, "a float has no components");
    if (index >= value.dim) {
      Fail(name, "the vector has " + std::to_string(value.dim) + " components, no ." +
                     std::string(name.text));
    }
    value = Value::Float(value.v[index]);
  }
  return value;
}

Value Parser::Primary() {
  const Token token = Next();
  switch (token.kind) {
    case TokenKind::kNumber:
      return Value::Float(token.number);
    case TokenKind::kString:
      return MakeString(Unescape(token.text), token.where);
    case TokenKind::kWord:
      return IdentifierValue(token);
    case TokenKind::kPunct:
      if (token.Is('(')) {
        ScopedFlag flag(full_, true);
        NestingGuard guard(*this, token.where);
        Value value = Expression();
        Expect(')', "to close the parenthesis");
        return value;
      }
      if (token.Is('<')) return VectorLiteral(token);
      break;
    default:
      break;
  }
  Fail(token, "expected a number, vector or other expression, found " + Describe(token));
}

Value Parser::VectorLiteral(const Token& open) {
  NestingGuard guard(*this, open.where);
  ScopedFlag flag(full_, false);
  double v[5];
  int n = 0;
  for (;;) {
    const Token at = PeekRaw();
    if (at.Is('>')) {
      Raw();
      break;
    }
    if (n == 5) Fail(at, "a vector has at most 5 components");
    const Value component = Additive();
    if (component.type != ValueType::kFloat) {
      Fail(at,
           std::string("a vector's component must be a float, found ") + TypeName(component.type));
    }
    v[n++] = component.v[0];
    if (PeekRaw().Is(',')) Raw();  // commas between components are optional
  }
  if (n < 2) Fail(open, "a vector needs 2 to 5 components, found " + std::to_string(n));
  return Value::Vector(n, v);
}

Value Parser::ColourKeyword(const Token& word) {
  double c[5] = {0, 0, 0, 0, 0};
  Token part = word;
  bool first = true;
  const bool colour = word.IsWord("color") || word.IsWord("colour");
  for (;;) {
    const std::string_view w = part.kind == TokenKind::kWord ? part.text : std::string_view();
    const bool srgb = w.substr(0, 4) == "srgb";
    const std::string_view kind = srgb ? w.substr(1) : w;
    double v[5];
    if (kind == "rgb") {
      VectorN(3, v);
      std::memcpy(c, v, 3 * sizeof(double));
    } else if (kind == "rgbf") {
      VectorN(4, v);
      std::memcpy(c, v, 4 * sizeof(double));
    } else if (kind == "rgbt") {
      VectorN(4, v);
      std::memcpy(c, v, 3 * sizeof(double));
      c[4] = v[3];
    } else if (kind == "rgbft") {
      VectorN(5, v);
      std::memcpy(c, v, 5 * sizeof(double));
    } else if (w == "red" || w == "green" || w == "blue" || w == "filter" || w == "transmit") {
      c[Component(w)] = Float();
    } else if (first && colour) {
      // "color C", "color <r, g, b>": an expression.
      const Value value = Expression();
      if (!value.IsNumeric())
        Fail(word, std::string("expected a colour, found ") + TypeName(value.type));
      Promote(value, value.type == ValueType::kFloat ? 5 : 5, c);
    } else {
      break;
    }
    if (srgb) {
      for (int i = 0; i < 3; ++i) c[i] = SrgbToLinear(c[i]);
    }
    first = false;
    const Token next = PeekRaw();
    if (next.kind != TokenKind::kWord) break;
    const std::string_view n = next.text;
    if (!(n == "rgb" || n == "rgbf" || n == "rgbt" || n == "rgbft" || n.substr(0, 4) == "srgb" ||
          n == "red" || n == "green" || n == "blue" || n == "filter" || n == "transmit")) {
      break;
    }
    part = Raw();
  }
  return Value::Vector(5, c);
}

Value Parser::IdentifierValue(const Token& name) {
  const std::string_view w = name.text;
  static const double kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0}, kZ[3] = {0, 0, 1}, kT[4] = {0, 0, 0, 1},
                      kU[2] = {1, 0}, kV[2] = {0, 1};
  if (const ValueRef value = Lookup(w)) {
    if (value->type == ValueType::kArray && PeekRaw().Is('[')) {
      const std::shared_ptr<ArrayValue> array = value->array;
      const Value* slot = ArrayElement(name, array);
      if (slot->type == ValueType::kNone) {
        Fail(name, "an element of array " + Quote(w) + " is used before it is set");
      }
      return *slot;
    }
    if (value->type == ValueType::kOther && value->text == "function" && PeekRaw().Is('(')) {
      return UserFunctionCall(name);
    }
    return *value;
  }
  if (w == "x") return Value::Vector(3, kX);
  if (w == "y") return Value::Vector(3, kY);
  if (w == "z") return Value::Vector(3, kZ);
  if (w == "t") return Value::Vector(4, kT);
  if (w == "u") return Value::Vector(2, kU);
  if (w == "v") return Value::Vector(2, kV);
  if (w == "pi") return Value::Float(M_PI);
  if (w == "tau") return Value::Float(2 * M_PI);
  if (w == "true" || w == "yes" || w == "on") return Value::Float(1);
  if (w == "false" || w == "no" || w == "off") return Value::Float(0);
  if (w == "version") return Value::Float(3.7);
  if (w == "clock" || w == "initial_clock" || w == "clock_delta" || w == "clock_on" ||
      w == "frame_number" || w == "initial_frame") {
    return Value::Float(w == "clock_delta" ? 1 : 0);
  }
  if (w == "final_clock" || w == "final_frame") return Value::Float(w == "final_clock" ? 1 : 1);
  if (w == "image_width") return Value::Float(320);
  if (w == "image_height") return Value::Float(240);
  if (w == "color" || w == "colour" || w == "rgb" || w == "rgbf" || w == "rgbt" || w == "rgbft" ||
      w == "srgb" || w == "srgbf" || w == "srgbt" || w == "srgbft" || w == "red" || w == "green" ||
      w == "blue" || w == "filter" || w == "transmit") {
    return ColourKeyword(name);
  }
  if (PeekRaw().Is('(')) return FunctionCall(name);
  if (IsReservedWord(w)) {
    Fail(name, "the keyword '" + Quote(w) + "' cannot stand in an expression");
  }
  Fail(name, "undefined identifier '" + Quote(w) + "'");
}

Value* Parser::ArrayElement(const Token& name, const std::shared_ptr<ArrayValue>& array) {
  ArrayValue& a = *array;
  int64_t flat = 0;
  for (size_t d = 0; d < a.sizes.size(); ++d) {
    Expect('[', "for the index of the array");
    const Token at = PeekRaw();
    double index;
    {
      ScopedFlag flag(full_, true);
      index = Float();
    }
    Expect(']', "to close the index of the array");
    const int64_t i = WholeNumber(index);
    if (!(index >= 0) || i >= a.sizes[d]) {
      Fail(at, "index " + FormatNumber(index, 0, 0) + " is outside array " + Quote(name.text) +
                   " (size " + std::to_string(a.sizes[d]) + ")");
    }
    flat = flat * a.sizes[d] + i;
  }
  return &a.items[static_cast<size_t>(flat)];
}

Value Parser::ArrayDeclaration(const Token& at) {
  auto array = std::make_shared<ArrayValue>();
  int64_t total = 1;
  while (PeekRaw().Is('[')) {
    Raw();
    const Token size_at = PeekRaw();
    const double size = Float();
    Expect(']', "to close the size of the array");
    if (array->sizes.size() == 5) Fail(size_at, "an array has at most 5 dimensions");
    if (!(size >= 1) || size * static_cast<double>(total) > options_.limits.array_elements) {
      Fail(size_at, "an array of " + FormatNumber(size * static_cast<double>(total), 0, 0) +
                        " elements is more than this reader holds (" +
                        std::to_string(options_.limits.array_elements) + ")");
    }
    array->sizes.push_back(static_cast<int64_t>(size));
    total *= static_cast<int64_t>(size);
  }
  if (array->sizes.empty()) Fail(at, "expected '[' and the size of the array");
  budget_.Allocate(static_cast<uint64_t>(total) * sizeof(Value), at.where);
  array->items.resize(static_cast<size_t>(total));
  if (PeekRaw().Is('{')) {
    // The initialiser: nested braces, one level per dimension.
    int64_t next = 0;
    std::function<void(size_t)> fill = [&](size_t d) {
      Expect('{', "to begin the array's initialiser");
      for (int64_t i = 0; i < array->sizes[d]; ++i) {
        if (d + 1 < array->sizes.size()) {
          fill(d + 1);
        } else {
          array->items[static_cast<size_t>(next++)] = RValue("");
        }
        if (PeekRaw().Is(',')) Raw();
      }
      Expect('}', "after the last element of the array's initialiser");
    };
    fill(0);
  }
  Value value;
  value.type = ValueType::kArray;
  value.array = std::move(array);
  return value;
}

// trace(OBJECT, START, DIRECTION [, NORMAL]) and inside(OBJECT, POINT) need
// the shapes themselves, which this reader does not build: trace answers
// what POV-Ray answers for a ray that hits nothing, <0, 0, 0> (and a zero
// normal), inside 0. A warning, once for each, says so.
Value Parser::ShapeQuery(const Token& name) {
  const bool trace = name.IsWord("trace");
  const char* what = trace ? "trace" : "inside";
  Expression();  // the object
  Expect(',', (std::string("after the object of ") + what).c_str());
  Expression();  // the start, or the point
  if (trace) {
    Expect(',', "after the start of trace");
    Expression();  // the direction
    if (PeekRaw().Is(',')) {
      Raw();
      const Token normal = Raw();
      if (normal.kind != TokenKind::kWord || IsReservedWord(normal.text)) {
        Fail(normal, "expected the identifier for trace's normal, found " + Describe(normal));
      }
      const double zero[3] = {0, 0, 0};
      symbols_.Declare(std::string(normal.text), Value::Vector(3, zero), false);
    }
  }
  Expect(')', (std::string("to close ") + what + "()").c_str());
  bool& warned = trace ? warned_trace_ : warned_inside_;
  if (!warned) {
    warned = true;
    Warn(name.where, trace ? "trace() needs the scene's shapes, which this reader does not build: "
                             "it gives <0, 0, 0> (no hit) here, so what the file places by it "
                             "may stand elsewhere than in POV-Ray"
                           : "inside() needs the scene's shapes, which this reader does not "
                             "build: it gives 0 (outside) here");
  }
  if (!trace) return Value::Float(0);
  const double zero[3] = {0, 0, 0};
  return Value::Vector(3, zero);
}

std::vector<Value> Parser::Arguments(const Token& name, std::vector<Position>* where) {
  std::vector<Value> args;
  if (PeekRaw().Is(')')) {
    Raw();
    return args;
  }
  for (;;) {
    where->push_back(PeekRaw().where);
    args.push_back(Expression());
    const Token separator = Next();
    if (separator.Is(')')) return args;
    if (!separator.Is(',')) {
      Fail(separator, "expected ',' or ')' in the arguments of " + std::string(name.text) +
                          ", found " + Describe(separator));
    }
  }
}

// A function the file declares (function { ... }, and those of
// functions.inc): this reader does not evaluate them. The call's arguments
// are read and it gives 0, with a warning the first time.
Value Parser::UserFunctionCall(const Token& name) {
  Expect('(', "after the function's name");
  std::vector<Position> where;
  Arguments(name, &where);
  if (!warned_function_) {
    warned_function_ = true;
    Warn(name.where, "functions declared with function { } are not evaluated by this reader: " +
                         std::string(name.text) + "() and the others give 0 here");
  }
  return Value::Float(0);
}

Value Parser::FunctionCall(const Token& name) {
  const std::string_view f = name.text;
  Expect('(', "after the function's name");
  // A function of one argument reads it as a parenthesised expression;
  // arguments in a list are plain expressions (POV-Ray's rule).
  static constexpr std::string_view kOneArgument[] = {
      "abs",    "acos",        "acosh", "asc",  "asin",    "asinh",     "atan",
      "atanh",  "ceil",        "chr",   "cos",  "cosh",    "degrees",   "dimensions",
      "exp",    "file_exists", "floor", "int",  "ln",      "log",       "radians",
      "rand",   "seed",        "sin",   "sinh", "sqrt",    "strlen",    "strlwr",
      "strupr", "tan",         "tanh",  "val",  "vlength", "vnormalize"};
  bool one = false;
  for (std::string_view n : kOneArgument) one = one || n == f;
  ScopedFlag flag(full_, one);
  if (f == "trace" || f == "inside") return ShapeQuery(name);
  if (f == "defined") {
    const Token id = Raw();
    Expect(')', "to close defined()");
    return Value::Float(id.kind == TokenKind::kWord && Lookup(id.text) != nullptr ? 1 : 0);
  }
  std::vector<Position> where;
  const std::vector<Value> args = Arguments(name, &where);
  auto count = [&](size_t low, size_t high) {
    if (args.size() < low || args.size() > high) {
      Fail(name, std::string(f) + " takes " +
                     (low == high ? std::to_string(low)
                                  : std::to_string(low) + " to " + std::to_string(high)) +
                     " arguments, found " + std::to_string(args.size()));
    }
  };
  auto number = [&](size_t i) {
    if (args[i].type != ValueType::kFloat) {
      Fail(where[i], std::string("argument ") + std::to_string(i + 1) + " of " + std::string(f) +
                         " must be a float, found " + TypeName(args[i].type));
    }
    return args[i].v[0];
  };
  auto vector = [&](size_t i) {
    if (!args[i].IsNumeric()) {
      Fail(where[i], std::string("argument ") + std::to_string(i + 1) + " of " + std::string(f) +
                         " must be a vector, found " + TypeName(args[i].type));
    }
    double v[3];
    Promote(args[i], 3, v);
    return Vec3{v[0], v[1], v[2]};
  };
  auto text = [&](size_t i) -> const std::string& {
    if (args[i].type != ValueType::kString) {
      Fail(where[i], std::string("argument ") + std::to_string(i + 1) + " of " + std::string(f) +
                         " must be a string, found " + TypeName(args[i].type));
    }
    return args[i].text;
  };
  auto vec = [](const Vec3& v) {
    const double d[3] = {v.x, v.y, v.z};
    return Value::Vector(3, d);
  };
  auto domain = [&](bool ok) {
    if (!ok) Fail(name, "the argument of " + std::string(f) + " is outside its domain");
  };

  using Unary = double (*)(double);
  static const struct {
    const char* name;
    Unary fn;
  } kUnary[] = {
      {"abs", [](double a) { return std::fabs(a); }},
      {"acos", [](double a) { return std::acos(a); }},
      {"acosh", [](double a) { return std::acosh(a); }},
      {"asin", [](double a) { return std::asin(a); }},
      {"asinh", [](double a) { return std::asinh(a); }},
      {"atan", [](double a) { return std::atan(a); }},
      {"atanh", [](double a) { return std::atanh(a); }},
      {"ceil", [](double a) { return std::ceil(a); }},
      {"cos", [](double a) { return std::cos(a); }},
      {"cosh", [](double a) { return std::cosh(a); }},
      {"degrees", [](double a) { return a * 180.0 / M_PI; }},
      {"exp", [](double a) { return std::exp(a); }},
      {"floor", [](double a) { return std::floor(a); }},
      {"int", [](double a) { return std::trunc(a); }},
      {"ln", [](double a) { return std::log(a); }},
      {"log", [](double a) { return std::log10(a); }},
      {"radians", [](double a) { return a * M_PI / 180.0; }},
      {"sin", [](double a) { return std::sin(a); }},
      {"sinh", [](double a) { return std::sinh(a); }},
      {"sqrt", [](double a) { return std::sqrt(a); }},
      {"tan", [](double a) { return std::tan(a); }},
      {"tanh", [](double a) { return std::tanh(a); }},
  };
  for (const auto& entry : kUnary) {
    if (f == entry.name) {
      count(1, 1);
      const double a = number(0);
      if (f == "sqrt") domain(a >= 0);
      if (f == "ln" || f == "log") domain(a > 0);
      if (f == "acos" || f == "asin") domain(a >= -1 && a <= 1);
      return Value::Float(entry.fn(a));
    }
  }
  if (f == "pow") {
    count(2, 2);
    return Value::Float(std::pow(number(0), number(1)));
  }
  if (f == "atan2") {
    count(2, 2);
    return Value::Float(std::atan2(number(0), number(1)));
  }
  if (f == "mod" || f == "div") {
    count(2, 2);
    const double b = number(1);
    if (b == 0) Fail(where[1], "division by zero in " + std::string(f));
    return Value::Float(f == "mod" ? std::fmod(number(0), b) : std::trunc(number(0) / b));
  }
  if (f == "min" || f == "max") {
    if (args.empty()) count(1, 1);
    double r = number(0);
    for (size_t i = 1; i < args.size(); ++i)
      r = f == "min" ? std::min(r, number(i)) : std::max(r, number(i));
    return Value::Float(r);
  }
  if (f == "select") {
    count(3, 4);
    const double s = number(0);
    if (args.size() == 3) return s < 0 ? args[1] : args[2];
    return s < 0 ? args[1] : s == 0 ? args[2] : args[3];
  }
  if (f == "bitwise_and" || f == "bitwise_or" || f == "bitwise_xor") {
    if (args.size() < 2) count(2, 2);
    int64_t r = WholeNumber(number(0));
    for (size_t i = 1; i < args.size(); ++i) {
      const int64_t b = WholeNumber(number(i));
      r = f == "bitwise_and" ? (r & b) : f == "bitwise_or" ? (r | b) : (r ^ b);
    }
    return Value::Float(static_cast<double>(r));
  }
  if (f == "vlength") {
    count(1, 1);
    const Vec3 a = vector(0);
    return Value::Float(std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z));
  }
  if (f == "vnormalize") {
    count(1, 1);
    const Vec3 a = vector(0);
    const double l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    if (l == 0) return vec(a);
    return vec({a.x / l, a.y / l, a.z / l});
  }
  if (f == "vdot") {
    count(2, 2);
    const Vec3 a = vector(0), b = vector(1);
    return Value::Float(a.x * b.x + a.y * b.y + a.z * b.z);
  }
  if (f == "vcross") {
    count(2, 2);
    const Vec3 a = vector(0), b = vector(1);
    return vec({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x});
  }
  if (f == "vrotate") {
    count(2, 2);
    return vec(Transform::Rotate(vector(1)).Point(vector(0)));
  }
  if (f == "vaxis_rotate") {
    count(3, 3);
    const Vec3 p = vector(0), axis = vector(1);
    const double l = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (l == 0) return vec(p);
    const Vec3 k{axis.x / l, axis.y / l, axis.z / l};
    const double a = -number(2) * M_PI / 180.0;  // left-handed: clockwise looking down the axis
    const double c = std::cos(a), s = std::sin(a);
    const double d = k.x * p.x + k.y * p.y + k.z * p.z;
    const Vec3 cr{k.y * p.z - k.z * p.y, k.z * p.x - k.x * p.z, k.x * p.y - k.y * p.x};
    return vec({p.x * c + cr.x * s + k.x * d * (1 - c), p.y * c + cr.y * s + k.y * d * (1 - c),
                p.z * c + cr.z * s + k.z * d * (1 - c)});
  }
  if (f == "seed") {
    count(1, 1);
    random_streams_.push_back(static_cast<uint32_t>(WholeNumber(number(0))));
    return Value::Float(static_cast<double>(random_streams_.size() - 1));
  }
  if (f == "rand") {
    count(1, 1);
    const double s = number(0);
    if (!(s >= 0 && s < static_cast<double>(random_streams_.size()))) {
      Fail(where[0], "rand() needs a stream made by seed()");
    }
    uint32_t& state = random_streams_[static_cast<size_t>(s)];
    state = state * 1812433253u + 12345u;
    return Value::Float(static_cast<double>(state >> 8) / 16777216.0);
  }
  if (f == "dimensions" || f == "dimension_size") {
    count(f == "dimensions" ? 1 : 2, f == "dimensions" ? 1 : 2);
    if (args[0].type != ValueType::kArray) Fail(where[0], std::string(f) + " takes an array");
    const auto& sizes = args[0].array->sizes;
    if (f == "dimensions") return Value::Float(static_cast<double>(sizes.size()));
    const double d = number(1);
    if (!(d >= 1 && d < static_cast<double>(sizes.size()) + 1)) {
      Fail(where[1], "no such dimension");
    }
    return Value::Float(static_cast<double>(sizes[static_cast<size_t>(d) - 1]));
  }
  if (f == "strlen") {
    count(1, 1);
    return Value::Float(static_cast<double>(text(0).size()));
  }
  if (f == "val") {
    count(1, 1);
    return Value::Float(std::strtod(text(0).c_str(), nullptr));
  }
  if (f == "asc") {
    count(1, 1);
    const std::string& s = text(0);
    return Value::Float(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
  }
  if (f == "strcmp") {
    count(2, 2);
    const int c = text(0).compare(text(1));
    return Value::Float(c < 0 ? -1 : c > 0 ? 1 : 0);
  }
  if (f == "file_exists") {
    count(1, 1);
    const std::string path = text(0);
    return Value::Float(!path.empty() && access(path.c_str(), R_OK) == 0 ? 1 : 0);
  }
  if (f == "concat") {
    std::string s;
    uint64_t size = 0;
    for (size_t i = 0; i < args.size(); ++i) size += text(i).size();
    budget_.Allocate(size, name.where);
    for (size_t i = 0; i < args.size(); ++i) s += text(i);
    return Value::String(s);
  }
  if (f == "str") {
    count(3, 3);
    return MakeString(FormatNumber(number(0), SmallInt(number(1)), SmallInt(number(2))),
                      name.where);
  }
  if (f == "vstr") {
    count(5, 5);
    const int n = std::clamp(SmallInt(number(0)), 1, 5);
    double v[5];
    if (!args[1].IsNumeric()) Fail(where[1], "vstr takes a vector");
    Promote(args[1], n, v);
    std::string s;
    for (int i = 0; i < n; ++i) {
      if (i > 0) s += text(2);
      s += FormatNumber(v[i], SmallInt(number(3)), SmallInt(number(4)));
    }
    return MakeString(std::move(s), name.where);
  }
  if (f == "chr") {
    count(1, 1);
    return Value::String(std::string(1, static_cast<char>(SmallInt(number(0)))));
  }
  if (f == "substr") {
    count(3, 3);
    const std::string& s = text(0);
    const int64_t start = WholeNumber(number(1)) - 1, length = WholeNumber(number(2));
    if (start < 0 || length < 0 || start + length > static_cast<int64_t>(s.size())) {
      Fail(name, "substr reaches outside its string");
    }
    return MakeString(s.substr(static_cast<size_t>(start), static_cast<size_t>(length)),
                      name.where);
  }
  if (f == "strupr" || f == "strlwr") {
    count(1, 1);
    std::string s = text(0);
    for (char& c : s)
      c = f == "strupr" ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                        : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return MakeString(std::move(s), name.where);
  }
  if (IsReservedWord(f)) {
    Fail(name, "the function " + Quote(f) + " is not evaluated by this reader");
  }
  Fail(name, "undefined identifier '" + Quote(f) + "'");
}

}  // namespace sdl
