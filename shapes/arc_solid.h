// ovus and lemon: solids turned about an axis whose outlines are arcs of
// circles, each a radius r(h) = centre_r + sqrt(radius^2 - (h - centre_h)^2)
// over a span of heights h along the axis. The arcs are worked out from the
// shapes' parameters as POV-Ray places them (an ovus's band is the spindle
// torus tangent to its two spheres; a lemon's arc runs through the rims of
// its end discs, its centre on the far side of the axis). Pure functions.
#pragma once

#include <vector>

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

struct ArcPiece {
  double centre_r, centre_h, radius;
  double h0, h1;  // the heights it spans, h0 <= h1
};

// An outline in (distance from the axis, height) of arcs in height order,
// turned about the y axis and then placed by `frame`.
struct ArcOutline {
  std::vector<ArcPiece> arcs;
  bool caps = false;  // flat ends where the first and last arcs end off the axis
  Transform frame;    // from the outline's space into the shape's
};

ArcOutline OvusOutline(const Ovus& ovus);
ArcOutline LemonOutline(const Lemon& lemon);

// The least inner radius a lemon may have (its arc's centre on the axis);
// POV-Ray raises a smaller one to it.
double LemonLeastInnerRadius(const Lemon& lemon);

Bounds OvusBounds(const Ovus& ovus);
// How far POV-Ray's box of a lemon reaches from its axis: its widest circle
// if the arc passes it, else its wider end.
double LemonReach(const Lemon& lemon);
bool InsideArcOutline(const ArcOutline& outline, const Vec3& p);
// `n` steps about the axis; the arcs in steps that stray no more than
// the rings do.
void ArcOutlineMesh(const ArcOutline& outline, int n, MeshBuilder& out);

}  // namespace shapes
