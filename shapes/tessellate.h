// Tessellation of a Shape into a triangle mesh in the shape's own space:
// vertices on (or, for curved surfaces, evenly about) the exact surface,
// the exact surface normal at each vertex (split at sharp edges), and uv
// where POV-Ray maps the shape so. Pure functions of their arguments; safe
// from any thread.
#pragma once

#include <cstdint>

#include "sdl/mesh_data.h"
#include "shapes/shape.h"

namespace shapes {

struct Detail {
  // The chord error allowed, relative to the radius of each curved part.
  double tolerance = 0.005;
  // Where an infinite shape (a plane) is cut off, in the shape's own space.
  Bounds clip;
  // An infinite shape cut off is closed by the faces of `clip` (for a
  // boolean, which needs solids) rather than left open where it is cut.
  bool closed = false;
};

// Segments per full turn of a circle for `tolerance`: the polygon whose
// edges stray at most tolerance * radius from the circle.
int SegmentsPerTurn(double tolerance);

// The mesh of `shape` into `mesh` (emptied first), with one material slot
// that the object's texture takes. Curved surfaces are spread about the
// exact one (their polygons enclose the same area), so that the volume of
// a solid comes out right rather than always too small. An inverse shape
// is the same surface.
void Tessellate(const Shape& shape, const Detail& detail, sdl::MeshData& mesh);

// The triangles Tessellate makes for `shape` at `tolerance`, about.
int64_t EstimateTriangles(const Shape& shape, double tolerance);

}  // namespace shapes
