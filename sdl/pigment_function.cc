#include "sdl/pigment_function.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sdl/function.h"
#include "sdl/noise.h"

namespace sdl {

namespace {

constexpr std::pair<std::string_view, PatternKind> kPatterns[] = {
    {"agate", PatternKind::kAgate},         {"boxed", PatternKind::kBoxed},
    {"bozo", PatternKind::kBozo},           {"bumps", PatternKind::kBozo},
    {"checker", PatternKind::kChecker},     {"function", PatternKind::kFunction},
    {"gradient", PatternKind::kGradient},   {"granite", PatternKind::kGranite},
    {"onion", PatternKind::kOnion},         {"planar", PatternKind::kPlanar},
    {"spherical", PatternKind::kSpherical}, {"spotted", PatternKind::kBozo},
    {"wrinkles", PatternKind::kWrinkles},
};

constexpr std::pair<std::string_view, Wave> kWaves[] = {
    {"cubic_wave", Wave::kCubic}, {"poly_wave", Wave::kPoly},
    {"ramp_wave", Wave::kRamp},   {"scallop_wave", Wave::kScallop},
    {"sine_wave", Wave::kSine},   {"triangle_wave", Wave::kTriangle},
};

constexpr std::pair<std::string_view, int> kComponents[] = {
    {"blue", 2}, {"filter", 3},   {"gray", 5}, {"green", 1}, {"grey", 5}, {"red", 0},
    {"t", 4},    {"transmit", 4}, {"x", 0},    {"y", 1},     {"z", 2},
};

double Length(const Vec3& p) { return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z); }

// A pattern's value as POV-Ray wraps it: kept in 0..1, else its fraction.
double Wrapped(double v) {
  if (v >= 0 && v <= 1) return v;
  if (!std::isfinite(v)) return 0;
  return v - std::floor(v);
}

// Noise about 0, in -1..1.
double SignedNoise(const Vec3& p) { return 2 * Noise(p) - 1; }

// Octaves of the noise's size, each twice as fine and half as strong.
double Octaves(const Vec3& p, int octaves, bool absolute) {
  double sum = 0, scale = 1;
  for (int i = 0; i < octaves; ++i) {
    const double n = SignedNoise({p.x * scale, p.y * scale, p.z * scale});
    sum += (absolute ? std::fabs(n) : n) / scale;
    scale *= 2;
  }
  return sum;
}

// The pattern's own value at p (in its space), before wrapping.
double PatternValue(const PigmentFunction& f, const Vec3& p) {
  switch (f.kind) {
    case PatternKind::kFunction: {
      if (f.function == nullptr) return 0;
      double args[8] = {p.x, p.y, p.z, 0, 0, 0, 0, 0};
      if (f.function->params.size() <= std::size(args)) return f.function->Evaluate(args);
      std::vector<double> many(f.function->params.size(), 0.0);
      std::copy(args, args + 3, many.begin());
      return f.function->Evaluate(many.data());
    }
    case PatternKind::kGradient:
      return p.x * f.gradient.x + p.y * f.gradient.y + p.z * f.gradient.z;
    case PatternKind::kOnion:
      return Length(p);
    case PatternKind::kSpherical:
      return std::max(0.0, 1 - Length(p));
    case PatternKind::kBoxed:
      return std::max(0.0, 1 - std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}));
    case PatternKind::kPlanar:
      return std::max(0.0, 1 - std::fabs(p.y));
    case PatternKind::kBozo:
      return Noise(p);
    case PatternKind::kGranite:
      // Ridges of six octaves of noise four times finer than bozo's.
      return std::min(1.0, 0.5 * Octaves({p.x * 4, p.y * 4, p.z * 4}, 6, true));
    case PatternKind::kAgate: {
      // Bands along z bent by turbulence, leaning towards the light end.
      const double turbulence = Octaves(p, 7, false);
      return std::pow(0.5 * (std::sin(M_PI * (1.3 * turbulence + 1.1 * p.z)) + 1), 0.77);
    }
    case PatternKind::kWrinkles:
      return std::min(1.0, 0.5 + 0.5 * Octaves(p, 10, true) - 0.25);
    case PatternKind::kSolid:
    case PatternKind::kChecker:
      break;
  }
  return 0;
}

double Waved(Wave wave, double exponent, double v) {
  switch (wave) {
    case Wave::kRamp:
      return v;
    case Wave::kTriangle:
      return v < 0.5 ? 2 * v : 2 * (1 - v);
    case Wave::kSine:
      return 0.5 * (1 + std::sin(2 * M_PI * v));
    case Wave::kScallop:
      return std::fabs(std::sin(M_PI * v));
    case Wave::kCubic:
      return v * v * (3 - 2 * v);
    case Wave::kPoly:
      return std::pow(v, exponent);
  }
  return v;
}

Colour InMap(const std::vector<PigmentFunction::MapEntry>& map, double v) {
  if (map.empty()) return {v, v, v, 0, 0};
  if (!(v > map.front().value)) return map.front().colour;  // NaN too
  if (!(v < map.back().value)) return map.back().colour;
  const auto above = std::upper_bound(
      map.begin(), map.end(), v,
      [](double value, const PigmentFunction::MapEntry& e) { return value < e.value; });
  const PigmentFunction::MapEntry& hi = *above;
  const PigmentFunction::MapEntry& lo = *(above - 1);
  const double span = hi.value - lo.value;
  const double t = span > 0 ? (v - lo.value) / span : 0;
  Colour out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = lo.colour[i] + t * (hi.colour[i] - lo.colour[i]);
  return out;
}

}  // namespace

std::optional<Wave> WaveOfWord(std::string_view word) {
  for (const auto& [name, wave] : kWaves) {
    if (name == word) return wave;
  }
  return std::nullopt;
}

std::optional<PatternKind> PatternOfWord(std::string_view word) {
  for (const auto& [name, kind] : kPatterns) {
    if (name == word) return kind;
  }
  return std::nullopt;
}

int ColourComponentOfWord(std::string_view word) {
  for (const auto& [name, component] : kComponents) {
    if (name == word) return component;
  }
  return -1;
}

Colour PigmentFunction::At(const Vec3& point) const {
  if (kind == PatternKind::kSolid) return colours[0];
  Vec3 p = point;
  for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
    if (step->inverse) {
      p = step->inverse->Point(p);
    } else {
      const Turbulence& t = step->turbulence;
      const Vec3 d = VectorTurbulence(t.lambda, t.omega, t.octaves, p);
      p = {p.x + t.amount.x * d.x, p.y + t.amount.y * d.y, p.z + t.amount.z * d.z};
    }
  }
  if (kind == PatternKind::kChecker) {
    // Cells of unit size, the one at the origin even.
    const double sum = std::floor(p.x) + std::floor(p.y) + std::floor(p.z);
    return colours[std::fmod(std::fabs(sum), 2.0) == 1 ? 1 : 0];
  }
  const double raw = PatternValue(*this, p);
  double v = Wrapped(raw);
  if (frequency != 1 || phase != 0) {
    // POV-Ray's own wrap here: a hair over 1, a negative value lifted by 1.
    v = std::fmod(raw * frequency + phase, 1.00001);
    if (v < 0) v += 1;
    if (!std::isfinite(v)) v = 0;
  }
  return InMap(colour_map, Waved(wave, exponent, v));
}

double PigmentFunction::Component(const Vec3& p, int component) const {
  const Colour c = At(p);
  if (component == 5) return 0.297 * c[0] + 0.589 * c[1] + 0.114 * c[2];
  return component >= 0 && component < 5 ? c[static_cast<size_t>(component)] : 0;
}

}  // namespace sdl
