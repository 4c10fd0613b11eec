// Expressions of POV-Ray's scene language: floats, vectors and colours with
// POV-Ray's operators, precedence and promotions, the built-in constants and
// functions, strings, and arrays.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "sdl/builtins.h"
#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

int Dim(const Value& value) { return value.type == ValueType::kFloat ? 1 : value.dim; }

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
  Value condition = Logical();
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

// '&' and '|' share one level and group from the left, as in POV-Ray:
// (1 | 0 & 0) is 0.
Value Parser::Logical() {
  Value a = Comparison();
  for (;;) {
    const Token op = PeekRaw();
    if (!op.Is('&') && !op.Is('|')) return a;
    Raw();
    const Value b = Comparison();
    a = op.Is('&') ? Compare(op, a, b, [](double x, double y) { return x != 0 && y != 0; })
                   : Compare(op, a, b, [](double x, double y) { return x != 0 || y != 0; });
  }
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
    if (a.type == ValueType::kString && b.type == ValueType::kString) {
      // Strings compare by their bytes.
      const int c = a.text.compare(b.text);
      const bool holds = o == "<"    ? c < 0
                         : o == ">"  ? c > 0
                         : o == "<=" ? c <= 0
                         : o == ">=" ? c >= 0
                         : o == "="  ? c == 0
                                     : c != 0;
      a = Value::Float(holds ? 1 : 0);
      continue;
    }
    if (o == "<") a = Compare(op, a, b, [](double x, double y) { return x < y; });
    if (o == ">") a = Compare(op, a, b, [](double x, double y) { return x > y; });
    if (o == "<=") a = Compare(op, a, b, [](double x, double y) { return x <= y; });
    if (o == ">=") a = Compare(op, a, b, [](double x, double y) { return x >= y; });
    if (o == "=") a = Compare(op, a, b, [](double x, double y) { return x == y; });
    if (o == "!=") a = Compare(op, a, b, [](double x, double y) { return x != y; });
  }
}

// After a string only a misplaced operator can follow (strings have none
// but the comparisons): unless the next character is one, the value ends
// there without looking ahead, so that a directive after
// "#declare S = concat(...)" runs once S is declared.
bool Parser::OperatorFollows() {
  if (!pushed_.empty()) {
    const Token& next = pushed_.back();
    return next.kind == TokenKind::kPunct && std::strchr("+-*/.", next.text[0]) != nullptr;
  }
  const char c = lexer_.PeekChar();
  return c != '\0' && std::strchr("+-*/.", c) != nullptr;
}

Value Parser::Additive() {
  Value a = Multiplicative();
  if (a.type == ValueType::kString && !full_ && !OperatorFollows()) return a;
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
  if (a.type == ValueType::kString && !OperatorFollows()) return a;
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
  if (value.type == ValueType::kString && !OperatorFollows()) return value;
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
  for (;;) {
    const ColourWord kind =
        part.kind == TokenKind::kWord ? ColourWordOf(part.text) : ColourWord::kNone;
    if (const int channels = ChannelsOf(kind); channels > 0) {
      double v[5];
      VectorN(channels, v);
      const bool transmit_fourth = kind == ColourWord::kRgbt || kind == ColourWord::kSrgbt;
      std::memcpy(c, v, static_cast<size_t>(transmit_fourth ? 3 : channels) * sizeof(double));
      if (transmit_fourth) c[4] = v[3];
    } else if (const int channel = ChannelOf(kind); channel >= 0) {
      c[channel] = Float();
    } else if (first && kind == ColourWord::kColor) {
      // "color C", "color <r, g, b>": an expression.
      const Value value = Expression();
      if (!value.IsNumeric()) {
        Fail(word, std::string("expected a colour, found ") + TypeName(value.type));
      }
      Promote(value, 5, c);
    } else {
      break;
    }
    if (IsSrgb(kind)) {
      for (int i = 0; i < 3; ++i) c[i] = SrgbToLinear(c[i]);
    }
    first = false;
    const Token next = PeekRaw();
    if (next.kind != TokenKind::kWord) break;
    const ColourWord more = ColourWordOf(next.text);
    if (more == ColourWord::kNone || more == ColourWord::kColor) break;
    part = Raw();
  }
  return Value::Vector(5, c);
}

// The animation's words: POV-Ray gives them all 0 for a still image; for a
// frame of an animation from frame 1, the clock and frame asked for, with
// the clock running from 0 to 1.
std::optional<double> Parser::AnimationValue(std::string_view w) const {
  const Animation& a = options_.animation;
  if (w == "clock") return a.clock;
  if (w == "frame_number") return static_cast<double>(a.frame);
  if (w == "clock_on") return a.on ? 1.0 : 0.0;
  if (w == "initial_clock") return 0.0;
  if (w == "final_clock") return a.on ? 1.0 : 0.0;
  if (w == "initial_frame") return a.on ? 1.0 : 0.0;
  if (w == "final_frame") return a.on ? static_cast<double>(std::max<int64_t>(a.frame, 1)) : 0.0;
  if (w == "clock_delta") return 0.0;
  return std::nullopt;
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
      return CopyOf(*slot, name.where);
    }
    if (value->type == ValueType::kOther && value->text == "function" && PeekRaw().Is('(')) {
      return UserFunctionCall(name);
    }
    if (value->spline != nullptr && PeekRaw().Is('(')) return SplineCall(name, *value->spline);
    return CopyOf(*value, name.where);
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
  if (const std::optional<double> value = AnimationValue(w)) return Value::Float(*value);
  if (w == "image_width") return Value::Float(320);
  if (w == "image_height") return Value::Float(240);
  if (ColourWordOf(w) != ColourWord::kNone) return ColourKeyword(name);
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

// min_extent(OBJECT), max_extent(OBJECT): a corner of the box around the
// object's meshes where the object places them. An object with no mesh
// (the other shapes, which this reader does not build) has no box here:
// <0, 0, 0>, with a warning once.
Value Parser::Extent(const Token& name, bool minimum) {
  const Token at = PeekRaw();
  const Value object = Expression();
  Expect(')', minimum ? "to close min_extent()" : "to close max_extent()");
  if (object.type != ValueType::kObject) {
    Fail(at,
         std::string("min_extent and max_extent take an object, found ") + TypeName(object.type));
  }
  const shapes::Bounds box =
      object.object != nullptr ? ObjectBounds(*object.object) : shapes::Bounds();
  if (box.Empty()) {
    if (!warned_extent_) {
      warned_extent_ = true;
      Warn(name.where,
           "min_extent() and max_extent() of an object this reader does not build give "
           "<0, 0, 0>");
    }
    const double zero[3] = {0, 0, 0};
    return Value::Vector(3, zero);
  }
  // An unbounded side as POV-Ray prints it.
  constexpr double kUnbounded = 1e10;
  const Vec3& v = minimum ? box.min : box.max;
  const double out[3] = {std::clamp(v.x, -kUnbounded, kUnbounded),
                         std::clamp(v.y, -kUnbounded, kUnbounded),
                         std::clamp(v.z, -kUnbounded, kUnbounded)};
  return Value::Vector(3, out);
}

// trace(OBJECT, START, DIRECTION [, NORMAL]) and inside(OBJECT, POINT), as
// POV-Ray answers them from the object's shapes and meshes: a ray that
// hits nothing gives <0, 0, 0> (and a zero normal).
Value Parser::ShapeQuery(const Token& name) {
  const bool trace = name.IsWord("trace");
  const char* what = trace ? "trace" : "inside";
  const Token at = PeekRaw();
  const Value object = Expression();
  if (object.type != ValueType::kObject) {
    Fail(at, std::string(what) + " takes an object, found " + TypeName(object.type));
  }
  Expect(',', (std::string("after the object of ") + what).c_str());
  const Vec3 point = Vector3();
  if (!trace) {
    Expect(')', "to close inside()");
    return Value::Float(object.object != nullptr && InsideObject(*object.object, point) ? 1 : 0);
  }
  Expect(',', "after the start of trace");
  const Vec3 direction = Vector3();
  std::string normal_name;
  if (PeekRaw().Is(',')) {
    Raw();
    const Token normal = Raw();
    if (normal.kind != TokenKind::kWord || IsReservedWord(normal.text)) {
      Fail(normal, "expected the identifier for trace's normal, found " + Describe(normal));
    }
    normal_name = std::string(normal.text);
  }
  Expect(')', "to close trace()");
  shapes::RayMesh::Hit hit;
  if (object.object != nullptr) hit = TraceObject(object.object, point, direction, name.where);
  const double p[3] = {hit.point.x, hit.point.y, hit.point.z};
  const double n[3] = {hit.normal.x, hit.normal.y, hit.normal.z};
  if (!normal_name.empty()) symbols_.Declare(normal_name, Value::Vector(3, n), false);
  return Value::Vector(3, p);
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

// spline { [kind] T, POINT ... } or spline { Declared_Spline [kind] ... }.
Value Parser::SplineDeclaration(const Token& keyword) {
  auto spline = std::make_shared<Spline>();
  Expect('{', "after spline");
  for (bool first = true;; first = false) {
    const Token token = Peek();
    if (token.Is('}')) {
      Next();
      break;
    }
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this spline");
    if (token.kind == TokenKind::kWord) {
      const std::string_view w = token.text;
      const ValueRef declared = first ? Lookup(w) : nullptr;
      if (declared != nullptr && declared->spline != nullptr) {
        Next();
        *spline = *declared->spline;
        continue;
      }
      if (w == "linear_spline" || w == "quadratic_spline" || w == "cubic_spline" ||
          w == "natural_spline") {
        Next();
        spline->kind = w == "linear_spline"      ? Spline::Kind::kLinear
                       : w == "quadratic_spline" ? Spline::Kind::kQuadratic
                       : w == "cubic_spline"     ? Spline::Kind::kCubic
                                                 : Spline::Kind::kNatural;
        continue;
      }
    }
    budget_.Allocate(sizeof(double) * 6, token.where);
    spline->t.push_back(Float());
    OptionalComma();
    const Token at = PeekRaw();
    const Value point = Expression();
    if (!point.IsNumeric()) {
      Fail(at, std::string("expected the point of the spline, found ") + TypeName(point.type));
    }
    std::array<double, 5> p{};
    Promote(point, 5, p.data());
    spline->point.push_back(p);
    spline->dim = std::max(spline->dim, point.type == ValueType::kFloat ? 3 : point.dim);
    OptionalComma();
  }
  spline->Finish();
  Value value;
  value.type = ValueType::kOther;
  value.text = "spline";
  value.spline = std::move(spline);
  return value;
}

// S(T): the spline's point at T.
Value Parser::SplineCall(const Token& name, const Spline& spline) {
  Expect('(', ("after the spline " + Quote(name.text)).c_str());
  double at;
  {
    ScopedFlag flag(full_, true);
    at = Float();
    if (PeekRaw().Is(',')) {  // a kind named for this call: the spline's own is kept
      Raw();
      Raw();
    }
  }
  Expect(')', "to close the spline's call");
  double out[5];
  spline.Evaluate(at, out);
  return Value::Vector(spline.dim, out);
}

// A call of a function the file declares (function { ... }, and those of
// functions.inc): the value of its compiled program. One this reader did
// not compile (of a pattern, a spline, POV-Ray's noise, some of
// functions.inc) gives 0, with a warning the first time.
Value Parser::UserFunctionCall(const Token& name) {
  const ValueRef function = Lookup(name.text);  // held while the arguments are read
  Expect('(', "after the function's name");
  std::vector<Position> where;
  std::vector<Value> args;
  {
    ScopedFlag flag(full_, false);
    args = Arguments(name, &where);
  }
  if (function != nullptr && function->function != nullptr) {
    const FunctionProgram& program = *function->function;
    if (args.size() != program.params.size()) {
      Fail(name, Quote(name.text) + " takes " + std::to_string(program.params.size()) +
                     " arguments, found " + std::to_string(args.size()));
    }
    std::vector<double> values(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i].type != ValueType::kFloat) {
        Fail(where[i], "argument " + std::to_string(i + 1) + " of " + Quote(name.text) +
                           " must be a float, found " + TypeName(args[i].type));
      }
      values[i] = args[i].v[0];
    }
    budget_.Work(program.cost, name.where);
    return Value::Float(program.Evaluate(values.data()));
  }
  if (!warned_function_) {
    warned_function_ = true;
    Warn(name.where,
         "functions of patterns, transforms, splines and noise, and some of functions.inc, are "
         "not evaluated by this reader: " +
             std::string(name.text) + "() and the others give 0 here");
  }
  return Value::Float(0);
}

Value Parser::FunctionCall(const Token& name) {
  const std::string_view f = name.text;
  Expect('(', "after the function's name");
  if (f == "trace" || f == "inside") {
    ScopedFlag flag(full_, false);
    return ShapeQuery(name);
  }
  if (f == "min_extent" || f == "max_extent") {
    ScopedFlag flag(full_, true);
    return Extent(name, f == "min_extent");
  }
  if (f == "defined") {
    const Token id = Raw();
    const ValueRef value = id.kind == TokenKind::kWord ? Lookup(id.text) : nullptr;
    bool defined = value != nullptr;
    if (PeekRaw().Is('[') && value != nullptr && value->type == ValueType::kArray) {
      // defined(A[i]): whether the element holds a value.
      const std::shared_ptr<ArrayValue> array = value->array;
      defined = ArrayElement(id, array)->type != ValueType::kNone;
    }
    Expect(')', "to close defined()");
    return Value::Float(defined ? 1 : 0);
  }
  const Builtin* builtin = FindBuiltin(f);
  if (builtin == nullptr) {
    if (IsReservedWord(f))
      Fail(name, "the function " + Quote(f) + " is not evaluated by this reader");
    Fail(name, "undefined identifier '" + Quote(f) + "'");
  }
  std::vector<Position> where;
  std::vector<Value> args;
  {
    ScopedFlag flag(full_, builtin->parenthesised);
    args = Arguments(name, &where);
  }
  BuiltinCall call{name, args, where, budget_, random_streams_};
  call.file_exists = [](const void* parser, const std::string& file, const Position& at) {
    return static_cast<const Parser*>(parser)->SceneFileExists(file, at);
  };
  call.context = this;
  return CallBuiltin(*builtin, call);
}

}  // namespace sdl
