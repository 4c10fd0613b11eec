// An isosurface's geometry: its container's box, what is inside it, and
// its mesh from the implicit mesher. Pure functions of the shape's
// parameters (the function is called from the calling thread).
#pragma once

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

Bounds IsosurfaceBounds(const Isosurface& iso);
bool InsideIsosurface(const Isosurface& iso, const Vec3& p);
// The surface where the function meets its threshold, on a grid fine
// enough for `tolerance` of the container's size; closed by the container
// unless `open`.
void IsosurfaceMesh(const Isosurface& iso, double tolerance, MeshBuilder& out);
// The cells along the container's longest side.
int IsosurfaceCells(double tolerance);

}  // namespace shapes
