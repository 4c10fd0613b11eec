#include "sdl/builtins.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <utility>

#include "sdl/noise.h"

namespace sdl {

namespace {

using A = ArgType;
constexpr uint8_t kAny = Builtin::kAnyCount;

// A small whole number (widths, precisions, character codes).
int SmallInt(double value) {
  return static_cast<int>(std::clamp<int64_t>(WholeNumber(value), -1000000, 1000000));
}

Value Float(double f) { return Value::Float(f); }

Value Vector(const Vec3& v) {
  const double d[3] = {v.x, v.y, v.z};
  return Value::Vector(3, d);
}

double Length(const Vec3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

// A function of one float; `domain` false where it is not defined.
template <double (*F)(double)>
Value Unary(const BuiltinCall& c) {
  return Float(F(c.Number(0)));
}

void Domain(const BuiltinCall& c, bool inside) {
  if (!inside) c.Fail("the argument of " + std::string(c.name.text) + " is outside its domain");
}

double Degrees(double a) { return a * 180.0 / M_PI; }
double Radians(double a) { return a * M_PI / 180.0; }
double Abs(double a) { return std::fabs(a); }
double Acosh(double a) { return std::acosh(a); }
double Asinh(double a) { return std::asinh(a); }
double Atan(double a) { return std::atan(a); }
double Atanh(double a) { return std::atanh(a); }
double Ceil(double a) { return std::ceil(a); }
double Cos(double a) { return std::cos(a); }
double Cosh(double a) { return std::cosh(a); }
double Exp(double a) { return std::exp(a); }
double Floor(double a) { return std::floor(a); }
double Int(double a) { return std::trunc(a); }
double Sin(double a) { return std::sin(a); }
double Sinh(double a) { return std::sinh(a); }
double Tan(double a) { return std::tan(a); }
double Tanh(double a) { return std::tanh(a); }
double Sqrt1(double a) { return std::sqrt(a); }
double Ln1(double a) { return std::log(a); }
double Log1(double a) { return std::log10(a); }
double Acos1(double a) { return std::acos(a); }
double Asin1(double a) { return std::asin(a); }
double Pow2(double a, double b) { return std::pow(a, b); }
double Atan2(double a, double b) { return std::atan2(a, b); }
double Mod2(double a, double b) { return std::fmod(a, b); }
double Div2(double a, double b) { return std::trunc(a / b); }

// Sorted by name, for binary search.
constexpr std::pair<std::string_view, MathFunction1> kMath1[] = {
    {"abs", Abs},         {"acos", Acos1},      {"acosh", Acosh}, {"asin", Asin1}, {"asinh", Asinh},
    {"atan", Atan},       {"atanh", Atanh},     {"ceil", Ceil},   {"cos", Cos},    {"cosh", Cosh},
    {"degrees", Degrees}, {"exp", Exp},         {"floor", Floor}, {"int", Int},    {"ln", Ln1},
    {"log", Log1},        {"radians", Radians}, {"sin", Sin},     {"sinh", Sinh},  {"sqrt", Sqrt1},
    {"tan", Tan},         {"tanh", Tanh},
};
constexpr std::pair<std::string_view, MathFunction2> kMath2[] = {
    {"atan2", Atan2}, {"div", Div2}, {"mod", Mod2}, {"pow", Pow2}};

template <class F, size_t N>
constexpr bool SortedByName(const std::pair<std::string_view, F> (&table)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (!(table[i - 1].first < table[i].first)) return false;
  }
  return true;
}
static_assert(SortedByName(kMath1) && SortedByName(kMath2), "math tables must be sorted");

template <class F, size_t N>
F FindIn(const std::pair<std::string_view, F> (&table)[N], std::string_view name) {
  const auto* end = table + N;
  const auto* found = std::lower_bound(
      table, end, name,
      [](const std::pair<std::string_view, F>& e, std::string_view n) { return e.first < n; });
  return found != end && found->first == name ? found->second : nullptr;
}

Value Sqrt(const BuiltinCall& c) {
  Domain(c, c.Number(0) >= 0);
  return Float(std::sqrt(c.Number(0)));
}
Value Ln(const BuiltinCall& c) {
  Domain(c, c.Number(0) > 0);
  return Float(std::log(c.Number(0)));
}
Value Log(const BuiltinCall& c) {
  Domain(c, c.Number(0) > 0);
  return Float(std::log10(c.Number(0)));
}
Value Acos(const BuiltinCall& c) {
  Domain(c, c.Number(0) >= -1 && c.Number(0) <= 1);
  return Float(std::acos(c.Number(0)));
}
Value Asin(const BuiltinCall& c) {
  Domain(c, c.Number(0) >= -1 && c.Number(0) <= 1);
  return Float(std::asin(c.Number(0)));
}
template <MathFunction2 F>
Value Binary(const BuiltinCall& c) {
  return Float(F(c.Number(0), c.Number(1)));
}

template <MathFunction2 F>
Value Dividing(const BuiltinCall& c) {
  if (c.Number(1) == 0) c.FailAt(1, "division by zero in " + std::string(c.name.text));
  return Binary<F>(c);
}

template <bool kMin>
Value Extreme(const BuiltinCall& c) {
  double r = c.Number(0);
  for (size_t i = 1; i < c.args.size(); ++i) {
    r = kMin ? std::min(r, c.Number(i)) : std::max(r, c.Number(i));
  }
  return Float(r);
}

Value Select(const BuiltinCall& c) {
  if (c.args[0].type != ValueType::kFloat) {
    c.FailAt(
        0, "argument 1 of select must be a float, found " + std::string(TypeName(c.args[0].type)));
  }
  const double s = c.Number(0);
  if (c.args.size() == 3) return s < 0 ? c.args[1] : c.args[2];
  return s < 0 ? c.args[1] : s == 0 ? c.args[2] : c.args[3];
}

template <int kOp>  // 0 and, 1 or, 2 xor
Value Bitwise(const BuiltinCall& c) {
  int64_t r = WholeNumber(c.Number(0));
  for (size_t i = 1; i < c.args.size(); ++i) {
    const int64_t b = WholeNumber(c.Number(i));
    r = kOp == 0 ? (r & b) : kOp == 1 ? (r | b) : (r ^ b);
  }
  return Float(static_cast<double>(r));
}

Value VLength(const BuiltinCall& c) { return Float(Length(c.Vector(0))); }

Value VNormalize(const BuiltinCall& c) {
  const Vec3 a = c.Vector(0);
  const double l = Length(a);
  return Vector(l == 0 ? a : Vec3{a.x / l, a.y / l, a.z / l});
}

Value VDot(const BuiltinCall& c) {
  const Vec3 a = c.Vector(0), b = c.Vector(1);
  return Float(a.x * b.x + a.y * b.y + a.z * b.z);
}

Value VCross(const BuiltinCall& c) {
  const Vec3 a = c.Vector(0), b = c.Vector(1);
  return Vector({a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x});
}

Value VRotate(const BuiltinCall& c) {
  return Vector(Transform::Rotate(c.Vector(1)).Point(c.Vector(0)));
}

Value VAxisRotate(const BuiltinCall& c) {
  const Vec3 p = c.Vector(0), axis = c.Vector(1);
  const double l = Length(axis);
  if (l == 0) return Vector(p);
  const Vec3 k{axis.x / l, axis.y / l, axis.z / l};
  // As vrotate turns about x, y and z: vaxis_rotate(x, y, 90) is vrotate(x, 90 * y).
  const double a = c.Number(2) * M_PI / 180.0;
  const double cs = std::cos(a), sn = std::sin(a);
  const double d = k.x * p.x + k.y * p.y + k.z * p.z;
  const Vec3 cr{k.y * p.z - k.z * p.y, k.z * p.x - k.x * p.z, k.x * p.y - k.y * p.x};
  return Vector({p.x * cs + cr.x * sn + k.x * d * (1 - cs),
                 p.y * cs + cr.y * sn + k.y * d * (1 - cs),
                 p.z * cs + cr.z * sn + k.z * d * (1 - cs)});
}

Value VTurbulence(const BuiltinCall& c) {
  const int octaves = static_cast<int>(std::clamp<int64_t>(WholeNumber(c.Number(2)), 0, 64));
  return Vector(VectorTurbulence(c.Number(0), c.Number(1), octaves, c.Vector(3)));
}

Value Seed(const BuiltinCall& c) {
  c.random_streams.push_back(static_cast<uint32_t>(WholeNumber(c.Number(0))));
  return Float(static_cast<double>(c.random_streams.size() - 1));
}

Value Rand(const BuiltinCall& c) {
  const double s = c.Number(0);
  if (!(s >= 0 && s < static_cast<double>(c.random_streams.size()))) {
    c.FailAt(0, "rand() needs a stream made by seed()");
  }
  uint32_t& state = c.random_streams[static_cast<size_t>(s)];
  state = state * 1812433253u + 12345u;
  return Float(static_cast<double>(state >> 8) / 16777216.0);
}

Value Dimensions(const BuiltinCall& c) {
  return Float(static_cast<double>(c.args[0].array->sizes.size()));
}

Value DimensionSize(const BuiltinCall& c) {
  const auto& sizes = c.args[0].array->sizes;
  const double d = c.Number(1);
  if (!(d >= 1 && d < static_cast<double>(sizes.size()) + 1)) c.FailAt(1, "no such dimension");
  return Float(static_cast<double>(sizes[static_cast<size_t>(d) - 1]));
}

Value Strlen(const BuiltinCall& c) { return Float(static_cast<double>(c.Text(0).size())); }
Value Val(const BuiltinCall& c) { return Float(std::strtod(c.Text(0).c_str(), nullptr)); }

Value Asc(const BuiltinCall& c) {
  const std::string& s = c.Text(0);
  return Float(s.empty() ? 0 : static_cast<unsigned char>(s[0]));
}

Value Strcmp(const BuiltinCall& c) {
  const int r = c.Text(0).compare(c.Text(1));
  return Float(r < 0 ? -1 : r > 0 ? 1 : 0);
}

Value FileExists(const BuiltinCall& c) {
  const std::string& path = c.Text(0);
  if (c.file_exists != nullptr) return Float(c.file_exists(c.context, path, c.name.where) ? 1 : 0);
  return Float(!path.empty() && access(path.c_str(), R_OK) == 0 ? 1 : 0);
}

Value Concat(const BuiltinCall& c) {
  uint64_t size = 0;
  for (size_t i = 0; i < c.args.size(); ++i) size += c.Text(i).size();
  c.budget.Allocate(size, c.name.where);
  std::string s;
  s.reserve(size);
  for (size_t i = 0; i < c.args.size(); ++i) s += c.Text(i);
  return Value::String(std::move(s));
}

Value Str(const BuiltinCall& c) {
  return c.String(FormatNumber(c.Number(0), SmallInt(c.Number(1)), SmallInt(c.Number(2))));
}

Value Vstr(const BuiltinCall& c) {
  const int n = std::clamp(SmallInt(c.Number(0)), 1, 5);
  if (!c.args[1].IsNumeric()) c.FailAt(1, "vstr takes a vector");
  double v[5];
  Promote(c.args[1], n, v);
  std::string s;
  for (int i = 0; i < n; ++i) {
    if (i > 0) s += c.Text(2);
    s += FormatNumber(v[i], SmallInt(c.Number(3)), SmallInt(c.Number(4)));
  }
  return c.String(std::move(s));
}

Value Chr(const BuiltinCall& c) {
  return c.String(std::string(1, static_cast<char>(SmallInt(c.Number(0)))));
}

Value Substr(const BuiltinCall& c) {
  const std::string& s = c.Text(0);
  const int64_t start = WholeNumber(c.Number(1)) - 1, length = WholeNumber(c.Number(2));
  if (start < 0 || length < 0 || start + length > static_cast<int64_t>(s.size())) {
    c.Fail("substr reaches outside its string");
  }
  return c.String(s.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
}

template <int (*F)(int)>
Value ChangeCase(const BuiltinCall& c) {
  std::string s = c.Text(0);
  for (char& ch : s) ch = static_cast<char>(F(static_cast<unsigned char>(ch)));
  return c.String(std::move(s));
}
int Upper(int ch) { return std::toupper(ch); }
int Lower(int ch) { return std::tolower(ch); }

// Sorted by name, for binary search.
constexpr Builtin kBuiltins[] = {
    {"abs", 1, 1, {A::kFloat}, true, Unary<Abs>},
    {"acos", 1, 1, {A::kFloat}, true, Acos},
    {"acosh", 1, 1, {A::kFloat}, true, Unary<Acosh>},
    {"asc", 1, 1, {A::kString}, true, Asc},
    {"asin", 1, 1, {A::kFloat}, true, Asin},
    {"asinh", 1, 1, {A::kFloat}, true, Unary<Asinh>},
    {"atan", 1, 1, {A::kFloat}, true, Unary<Atan>},
    {"atan2", 2, 2, {A::kFloat, A::kFloat}, false, Binary<Atan2>},
    {"atanh", 1, 1, {A::kFloat}, true, Unary<Atanh>},
    {"bitwise_and", 2, kAny, {A::kFloat, A::kFloat}, false, Bitwise<0>},
    {"bitwise_or", 2, kAny, {A::kFloat, A::kFloat}, false, Bitwise<1>},
    {"bitwise_xor", 2, kAny, {A::kFloat, A::kFloat}, false, Bitwise<2>},
    {"ceil", 1, 1, {A::kFloat}, true, Unary<Ceil>},
    {"chr", 1, 1, {A::kFloat}, true, Chr},
    {"concat",
     0,
     kAny,
     {A::kString, A::kString, A::kString, A::kString, A::kString},
     false,
     Concat},
    {"cos", 1, 1, {A::kFloat}, true, Unary<Cos>},
    {"cosh", 1, 1, {A::kFloat}, true, Unary<Cosh>},
    {"degrees", 1, 1, {A::kFloat}, true, Unary<Degrees>},
    {"dimension_size", 2, 2, {A::kArray, A::kFloat}, false, DimensionSize},
    {"dimensions", 1, 1, {A::kArray}, true, Dimensions},
    {"div", 2, 2, {A::kFloat, A::kFloat}, false, Dividing<Div2>},
    {"exp", 1, 1, {A::kFloat}, true, Unary<Exp>},
    {"file_exists", 1, 1, {A::kString}, true, FileExists},
    {"floor", 1, 1, {A::kFloat}, true, Unary<Floor>},
    {"int", 1, 1, {A::kFloat}, true, Unary<Int>},
    {"ln", 1, 1, {A::kFloat}, true, Ln},
    {"log", 1, 1, {A::kFloat}, true, Log},
    {"max", 1, kAny, {A::kFloat}, false, Extreme<false>},
    {"min", 1, kAny, {A::kFloat}, false, Extreme<true>},
    {"mod", 2, 2, {A::kFloat, A::kFloat}, false, Dividing<Mod2>},
    {"pow", 2, 2, {A::kFloat, A::kFloat}, false, Binary<Pow2>},
    {"radians", 1, 1, {A::kFloat}, true, Unary<Radians>},
    {"rand", 1, 1, {A::kFloat}, true, Rand},
    {"seed", 1, 1, {A::kFloat}, true, Seed},
    {"select", 3, 4, {A::kAny, A::kAny, A::kAny, A::kAny}, false, Select},
    {"sin", 1, 1, {A::kFloat}, true, Unary<Sin>},
    {"sinh", 1, 1, {A::kFloat}, true, Unary<Sinh>},
    {"sqrt", 1, 1, {A::kFloat}, true, Sqrt},
    {"str", 3, 3, {A::kFloat, A::kFloat, A::kFloat}, false, Str},
    {"strcmp", 2, 2, {A::kString, A::kString}, false, Strcmp},
    {"strlen", 1, 1, {A::kString}, true, Strlen},
    {"strlwr", 1, 1, {A::kString}, true, ChangeCase<Lower>},
    {"strupr", 1, 1, {A::kString}, true, ChangeCase<Upper>},
    {"substr", 3, 3, {A::kString, A::kFloat, A::kFloat}, false, Substr},
    {"tan", 1, 1, {A::kFloat}, true, Unary<Tan>},
    {"tanh", 1, 1, {A::kFloat}, true, Unary<Tanh>},
    {"val", 1, 1, {A::kString}, true, Val},
    {"vaxis_rotate", 3, 3, {A::kVector, A::kVector, A::kFloat}, false, VAxisRotate},
    {"vcross", 2, 2, {A::kVector, A::kVector}, false, VCross},
    {"vdot", 2, 2, {A::kVector, A::kVector}, false, VDot},
    {"vlength", 1, 1, {A::kVector}, true, VLength},
    {"vnormalize", 1, 1, {A::kVector}, true, VNormalize},
    {"vrotate", 2, 2, {A::kVector, A::kVector}, false, VRotate},
    {"vstr", 5, 5, {A::kFloat, A::kAny, A::kString, A::kFloat, A::kFloat}, false, Vstr},
    {"vturbulence", 4, 4, {A::kFloat, A::kFloat, A::kFloat, A::kVector}, false, VTurbulence},
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kBuiltins); ++i) {
    if (!(kBuiltins[i - 1].name < kBuiltins[i].name)) return false;
  }
  return true;
}
static_assert(Sorted(), "kBuiltins must be sorted by name");

const char* Expected(ArgType type) {
  switch (type) {
    case ArgType::kFloat:
      return "a float";
    case ArgType::kVector:
      return "a vector";
    case ArgType::kString:
      return "a string";
    case ArgType::kArray:
      return "an array";
    case ArgType::kAny:
      break;
  }
  return "a value";
}

bool Fits(ArgType type, const Value& value) {
  switch (type) {
    case ArgType::kFloat:
      return value.type == ValueType::kFloat;
    case ArgType::kVector:
      return value.IsNumeric();
    case ArgType::kString:
      return value.type == ValueType::kString;
    case ArgType::kArray:
      return value.type == ValueType::kArray && value.array != nullptr;
    case ArgType::kAny:
      return true;
  }
  return false;
}

}  // namespace

Vec3 BuiltinCall::Vector(size_t i) const {
  double v[3];
  Promote(args[i], 3, v);
  return {v[0], v[1], v[2]};
}

Value BuiltinCall::String(std::string text) const {
  budget.Allocate(text.size(), name.where);
  return Value::String(std::move(text));
}

void BuiltinCall::Fail(const std::string& message) const { throw ParseError{message, name.where}; }

void BuiltinCall::FailAt(size_t i, const std::string& message) const {
  throw ParseError{message, i < where.size() ? where[i] : name.where};
}

MathFunction1 FindMath1(std::string_view name) { return FindIn(kMath1, name); }
MathFunction2 FindMath2(std::string_view name) { return FindIn(kMath2, name); }

const Builtin* FindBuiltin(std::string_view name) {
  const Builtin* end = kBuiltins + std::size(kBuiltins);
  const Builtin* found = std::lower_bound(
      kBuiltins, end, name, [](const Builtin& b, std::string_view n) { return b.name < n; });
  return found != end && found->name == name ? found : nullptr;
}

Value CallBuiltin(const Builtin& builtin, const BuiltinCall& call) {
  const std::string name(builtin.name);
  const size_t count = call.args.size();
  if (count < builtin.min_args ||
      (builtin.max_args != Builtin::kAnyCount && count > builtin.max_args)) {
    const std::string takes =
        builtin.max_args == Builtin::kAnyCount ? "at least " + std::to_string(builtin.min_args)
        : builtin.min_args == builtin.max_args
            ? std::to_string(builtin.min_args)
            : std::to_string(builtin.min_args) + " to " + std::to_string(builtin.max_args);
    call.Fail(name + " takes " + takes + " arguments, found " + std::to_string(count));
  }
  for (size_t i = 0; i < count; ++i) {
    const ArgType type = builtin.types[std::min<size_t>(i, 4)];
    if (!Fits(type, call.args[i])) {
      call.FailAt(i, "argument " + std::to_string(i + 1) + " of " + name + " must be " +
                         Expected(type) + ", found " + TypeName(call.args[i].type));
    }
  }
  return builtin.call(call);
}

}  // namespace sdl
