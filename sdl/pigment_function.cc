#include "sdl/pigment_function.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "sdl/function.h"
#include "sdl/noise.h"

namespace sdl {

namespace {

constexpr std::pair<std::string_view, PatternKind> kPatterns[] = {
    {"agate", PatternKind::kAgate},       {"boxed", PatternKind::kBoxed},
    {"bozo", PatternKind::kBozo},         {"bumps", PatternKind::kBozo},
    {"checker", PatternKind::kChecker},   {"crackle", PatternKind::kCrackle},
    {"function", PatternKind::kFunction}, {"gradient", PatternKind::kGradient},
    {"granite", PatternKind::kGranite},   {"onion", PatternKind::kOnion},
    {"planar", PatternKind::kPlanar},     {"spherical", PatternKind::kSpherical},
    {"spotted", PatternKind::kBozo},      {"wrinkles", PatternKind::kWrinkles},
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

// A number in 0..1 from a cell's coordinates and a salt (splitmix64).
double CellRandom(int64_t i, int64_t j, int64_t k, uint64_t salt) {
  uint64_t z = static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ULL ^
               static_cast<uint64_t>(j) * 0xC2B2AE3D27D4EB4FULL ^
               static_cast<uint64_t>(k) * 0x165667B19E3779F9ULL ^ salt * 0x27D4EB2F165667C5ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) * 0x1.0p-53;
}

// v^metric for v >= 0: by multiplication (and a square root) for whole
// and half exponents up to 8, which is what scenes give.
double Power(double v, double metric) {
  const double twice = 2 * metric;
  if (twice == std::floor(twice) && metric >= 1 && metric <= 8) {
    const int whole = static_cast<int>(metric);
    double r = v;
    for (int i = 1; i < whole; ++i) r *= v;
    return metric == whole ? r : r * std::sqrt(v);
  }
  return std::pow(v, metric);
}

// Crackle: the distances from p to the three nearest of the points, one in
// each unit cube, looked for in the cubes about p's. The distances are
// compared by the sums of their powers and rooted once at the end.
double CrackleValue(const PigmentFunction& f, const Vec3& p) {
  const double cell[3] = {std::floor(p.x), std::floor(p.y), std::floor(p.z)};
  for (double c : cell) {
    if (!(std::fabs(c) < 1e15)) return 0;  // and not a number
  }
  const int64_t ci = static_cast<int64_t>(cell[0]), cj = static_cast<int64_t>(cell[1]),
                ck = static_cast<int64_t>(cell[2]);
  double nearest[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  double nearest_value = 0;
  for (int64_t i = ci - 1; i <= ci + 1; ++i) {
    for (int64_t j = cj - 1; j <= cj + 1; ++j) {
      for (int64_t k = ck - 1; k <= ck + 1; ++k) {
        const double dx = std::fabs(static_cast<double>(i) + CellRandom(i, j, k, 1) - p.x);
        const double dy = std::fabs(static_cast<double>(j) + CellRandom(i, j, k, 2) - p.y);
        const double dz = std::fabs(static_cast<double>(k) + CellRandom(i, j, k, 3) - p.z);
        const double d = Power(dx, f.metric) + Power(dy, f.metric) + Power(dz, f.metric);
        if (d < nearest[0]) {
          nearest[2] = nearest[1];
          nearest[1] = nearest[0];
          nearest[0] = d;
          nearest_value = CellRandom(i, j, k, 4);
        } else if (d < nearest[1]) {
          nearest[2] = nearest[1];
          nearest[1] = d;
        } else if (d < nearest[2]) {
          nearest[2] = d;
        }
      }
    }
  }
  if (f.solid) return nearest_value;
  const double root = 1 / f.metric;
  auto distance = [&](double sum) {
    return (f.metric == 2 ? std::sqrt(sum) : f.metric == 1 ? sum : std::pow(sum, root)) + f.offset;
  };
  return f.form.x * distance(nearest[0]) + f.form.y * distance(nearest[1]) +
         f.form.z * distance(nearest[2]);
}

// The pattern's own value at p (in its space), before wrapping.
double PatternValue(const PigmentFunction& f, const Vec3& p) {
  switch (f.kind) {
    case PatternKind::kFunction: {
      if (f.function == nullptr) return 0;
      return f.function->EvaluateAt(p.x, p.y, p.z);
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
    case PatternKind::kCrackle:
      return CrackleValue(f, p);
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
