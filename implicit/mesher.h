// The implicit-surface mesher: the surface where a scalar field crosses
// zero (negative inside, positive outside), over a box cut into equal cubic
// cells. Each cell is split into six tetrahedra about its main diagonal, the
// same way in every cell, so neighbours share their faces' cuts and the
// surface comes out closed wherever the field is positive on the box's
// faces. Crossings are found on the field itself (not interpolated), so
// every vertex lies on the surface; normals come from the field's gradient.
// MeshSurface is a pure function of its arguments. The field must be safe
// to call from two threads at once: a grid without a slope bound has its
// corners evaluated by two.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "sdl/transform.h"

namespace implicit {

using sdl::Vec3;

// The field: negative inside the solid, positive outside.
using Field = std::function<double(const Vec3&)>;
// The same field at `count` points at once (xs[i], ys[i], zs[i]) into
// out[i], exactly the values Field gives.
using FieldMany = std::function<void(const double* xs, const double* ys, const double* zs,
                                     size_t count, double* out)>;

struct Grid {
  Vec3 min, max;    // the box meshed
  double cell = 0;  // a cell's edge; raised when the box would need more
                    // than about a million cells along one axis
  // A bound on the field's slope: a block of cells whose centre value is
  // farther from zero than this times its half diagonal holds no surface
  // and is skipped unseen. 0 means no bound: every cell is looked at.
  double lipschitz = 0;
  // Where a crossing is taken to be found: this fraction of a cell's edge
  // (a field that only says inside or outside needs no finer).
  double precision = 1e-9;
  // Normals from the field's slope (six more calls per vertex); off for a
  // field that only says inside or outside, whose normals come from
  // NormalsFromFaces.
  bool gradient_normals = true;
  // Whether the surface may cross the box lo..hi: a block it clears is
  // skipped unseen, as the slope bound skips (null: no such test).
  std::function<bool(const Vec3& lo, const Vec3& hi)> may_cross;
  // When set, the corners of a grid without a slope bound are asked of it
  // a row at a time (the crossings and normals still of the Field).
  FieldMany many;
  // Asked now and then; true stops the meshing, the surface left partial.
  std::function<bool()> stop;
};

struct Surface {
  std::vector<Vec3> positions, normals;            // normals: unit, outwards
  std::vector<std::array<uint32_t, 3>> triangles;  // counter-clockwise from outside
};

struct MeshStats {
  int64_t evaluations = 0;  // calls of the field
  int64_t cells = 0;        // cells looked at (not skipped by the slope bound)
  // The triangle limit, the cells' (six million looked at, eight million
  // corners without a slope bound) or `stop` was reached: the surface is
  // partial.
  bool stopped = false;
};

// Meshes the zero crossing of `field` over `grid` into `out` (emptied
// first); stops, leaving a partial surface, once `max_triangles` are made.
MeshStats MeshSurface(const Field& field, const Grid& grid, int64_t max_triangles, Surface& out);

// Replaces each vertex's normal by the mean of its faces' (area weighted),
// for a field that only says inside or outside and so has no slope to give
// them; a vertex without faces keeps its own.
void NormalsFromFaces(Surface& surface);

}  // namespace implicit
