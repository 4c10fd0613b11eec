// Exact first hits of a ray on the shapes whose surfaces have a closed
// form (box, sphere, cylinder, cone, disc, plane), in the shape's own space,
// for the scene language's trace(): macros that step along a surface by
// trace() go where POV-Ray's do only on the true surface, not on a mesh of
// it. The other shapes are traced on their meshes (RayMesh). Pure functions.
#pragma once

#include <optional>

#include "shapes/shape.h"

namespace shapes {

struct ShapeHit {
  double t = 0;  // the hit is at origin + t * direction
  Vec3 normal;   // outward, of unit length, in the shape's space
};

// Whether TraceShape answers for `shape`.
bool HasClosedFormTrace(const Shape& shape);

// The first hit on the surface of `shape` along origin + t * direction with
// t > t_min, or none.
std::optional<ShapeHit> TraceShape(const Shape& shape, const Vec3& origin, const Vec3& direction,
                                   double t_min);

}  // namespace shapes
