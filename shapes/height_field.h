// A height_field's geometry: its surface as triangles, its box, and what
// is under it. Pure functions of the shape's parameters; safe from any
// thread.
#pragma once

#include "sdl/mesh_data.h"
#include "shapes/shape.h"

namespace shapes {

// The surface (cut at the water level), turned upwards; with `smooth`,
// each vertex has the mean normal of the cells around it, otherwise the
// mesh has face normals only.
void HeightFieldMesh(const HeightField& field, sdl::MeshData& mesh);
// POV-Ray's box: the unit square, from the lowest height (or the water
// level, if higher) to the highest.
Bounds HeightFieldBounds(const HeightField& field);
// Under the surface and over the unit square (at any depth), as POV-Ray's
// inside() answers.
bool InsideHeightField(const HeightField& field, const Vec3& p);

}  // namespace shapes
