// The polynomial shapes (quadric, cubic, quartic, poly): their terms, value,
// box and mesh. Pure functions of the shape's parameters; safe from any
// thread.
#pragma once

#include <array>
#include <vector>

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

// The highest order POV-Ray takes.
constexpr int kMostOrder = 35;

// The terms of a polynomial of `order`, in POV-Ray's order, as exponents
// of x, y and z.
std::vector<std::array<int, 3>> PolynomialTerms(int order);

double PolynomialValue(const Polynomial& p, const Vec3& at);

// POV-Ray's box: exact for a quadric whose quadratic part is positive
// definite (an ellipsoid), otherwise unbounded.
Bounds PolynomialBounds(const Polynomial& p);

// The surface inside `domain` (the shape's box where it has one, else the
// box the infinite shape is cut to) on a grid of cells fine enough for
// `tolerance` of the domain's size; with `closed`, closed by the domain's
// faces. Open, the domain first shrinks to where a coarse grid finds the
// surface, so that a bounded surface in a large domain keeps its detail.
void PolynomialMesh(const Polynomial& p, const Bounds& domain, double tolerance, bool closed,
                    MeshBuilder& out);

// A quadric that a unit sphere or a unit cylinder about an axis becomes
// when scaled by `radii` and moved to `centre` (the cylinder's radius 1 in
// the two other axes, its axis unscaled): the forms a kernel makes exactly.
struct QuadricForm {
  enum class Kind { kOther, kEllipsoid, kCylinder } kind = Kind::kOther;
  int axis = 0;  // the cylinder's
  Vec3 centre, radii{1, 1, 1};
  bool inverse = false;  // the polynomial is below 0 outside it
};
QuadricForm FormOf(const Polynomial& p);

// The cells PolynomialMesh uses along the domain's longest side.
int PolynomialCells(double tolerance);

}  // namespace shapes
