// Surfaces made by turning an outline about the y axis (sphere, cylinder,
// cone, torus, disc, lathe, sor), and the frame that stands such a shape on
// an arbitrary axis. Pure functions.
#pragma once

#include <vector>

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

// A point of an outline: its distance from the axis, its height, the
// outline's normal there (in the same two axes) and its v coordinate. A
// sharp corner is two points at the same place with different normals.
struct OutlinePoint {
  double r, y, nr, ny, v;
};

// The ring polygon of `n` sides that encloses the area of the circle it
// stands for has its corners this much farther out than the circle.
double EqualAreaFactor(int n);

// Turns the outline about y in `n` steps into `out`, mapped by `frame` into
// the shape's space; ring radii are grown by EqualAreaFactor(n). Each pair
// of consecutive points makes a band; a point on the axis closes a band
// into a fan.
void Revolve(const std::vector<OutlinePoint>& outline, int n, const Transform& frame,
             MeshBuilder& out);

// A frame whose y axis runs from `base` along `axis` (of unit length).
Transform AxisFrame(const Vec3& base, const Vec3& axis);

}  // namespace shapes
