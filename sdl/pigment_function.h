// PigmentFunction: a pigment read as a function of a point (`function {
// pigment { } }`), what isosurfaces and height fields are made of: the
// pattern's value at the point (after the pigment's transformations and
// turbulence warps, undone in the reverse order), wrapped into 0..1 and
// looked up in its colour map. Immutable once read and shared by the
// programs that call it; At is pure and may run on any thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "sdl/transform.h"

namespace sdl {

struct FunctionProgram;

// The patterns computed here. The noise-based ones (bozo, spotted, bumps,
// granite, agate, wrinkles) stand on this reader's noise: of POV-Ray's
// kind, not its numbers.
enum class PatternKind : uint8_t {
  kSolid,  // a colour alone
  kFunction,
  kChecker,
  kGradient,
  kOnion,
  kSpherical,
  kBoxed,
  kPlanar,
  kBozo,  // bozo, spotted and bumps
  kGranite,
  kAgate,
  kWrinkles,
  kCrackle,  // cells about a point in each unit cube (its own points, not POV-Ray's)
};
// The pattern a pigment's word names, if it is one computed here.
std::optional<PatternKind> PatternOfWord(std::string_view word);

// How a pattern's wrapped value is shaped before its colour is looked up.
enum class Wave : uint8_t { kRamp, kTriangle, kSine, kScallop, kCubic, kPoly };
// The wave a pigment's word (ramp_wave ...) names.
std::optional<Wave> WaveOfWord(std::string_view word);

using Colour = std::array<double, 5>;  // red, green, blue, filter, transmit

// The component `.word` of a colour function's value: 0-4 as Colour, 5 the
// gray; -1 for a word that is none.
int ColourComponentOfWord(std::string_view word);

struct PigmentFunction {
  struct MapEntry {
    double value = 0;
    Colour colour{};
  };
  struct Turbulence {
    Vec3 amount;
    int octaves = 6;
    double omega = 0.5, lambda = 2;
  };
  // Between the point and the pattern: a transformation (its inverse kept)
  // or a turbulence warp.
  struct Step {
    std::optional<Transform> inverse;
    Turbulence turbulence;
  };

  PatternKind kind = PatternKind::kSolid;
  std::shared_ptr<const FunctionProgram> function;  // kFunction
  Vec3 gradient{1, 0, 0};                           // kGradient, of unit length
  // kCrackle: the weights of the distances to the nearest, second and third
  // cell points, the distance's metric (its exponent), what is added to
  // each distance; `solid`: each cell one value.
  Vec3 form{-1, 1, 0};
  double metric = 2, offset = 0;
  bool solid = false;
  Colour colours[2] = {};            // kSolid: the first; kChecker: even and odd cells
  std::vector<MapEntry> colour_map;  // by value; empty: black to white
  std::vector<Step> steps;           // in the order read
  double frequency = 1, phase = 0;
  Wave wave = Wave::kRamp;
  double exponent = 1;  // kPoly's
  // A number only pigments that compute the same share.
  uint64_t fingerprint = 0;
  // About what a call costs, in instructions of a function (the reading's
  // budget).
  int64_t cost = 10;

  Colour At(const Vec3& p) const;
  // One component of At (ColourComponentOfWord's numbering).
  double Component(const Vec3& p, int component) const;
};

}  // namespace sdl
