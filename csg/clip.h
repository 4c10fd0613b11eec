// A mesh cut to what lies inside a region (clipped_by): triangles wholly
// inside stay, those wholly outside go, and those across the region's
// surface are cut where it crosses their edges, found by bisection on the
// region's exact inside test. Neighbouring triangles share their cut
// points. A pure function; runs on the calling thread.
#pragma once

#include <functional>

#include "sdl/mesh_data.h"

namespace csg {

// What is inside the clipping region: true to keep a point.
using Keep = std::function<bool(const sdl::Vec3&)>;

// The part of `mesh` inside the region into `out` (emptied first); normals
// and uv at cut points are interpolated along the edge. `precision` is the
// length the bisection narrows a crossing to.
void ClipMesh(const sdl::MeshData& mesh, const Keep& keep, double precision, sdl::MeshData& out);

}  // namespace csg
