// Spline: a spline { } of the scene language, its points sorted by their
// parameter, evaluated as POV-Ray 3.7 evaluates it (measured against its
// #debug output): linear_spline by straight pieces; cubic_spline through
// the inner points, with each point's tangent the mean of the slopes of the
// pieces beside it, held at its second and last-but-one point outside
// them; natural_spline the natural cubic through every point;
// quadratic_spline each piece on the parabola through its ends and the
// point before it (the first piece, the point after it). Built once
// and shared by every identifier that holds it; Evaluate is reentrant.
#pragma once

#include <array>
#include <vector>

namespace sdl {

struct Spline {
  enum class Kind { kLinear, kQuadratic, kCubic, kNatural };
  Kind kind = Kind::kLinear;
  std::vector<double> t;                      // ascending
  std::vector<std::array<double, 5>> point;   // at each t
  int dim = 3;                                // components of the points given
  std::vector<std::array<double, 5>> second;  // natural: second derivatives

  // Sorts the points and prepares the natural spline's derivatives.
  void Finish();
  // The point at `at` into out[0 .. 4].
  void Evaluate(double at, double out[5]) const;
};

}  // namespace sdl
