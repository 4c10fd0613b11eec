// parametric: its (u, v) rectangle as a grid of points on the surface,
// each direction as fine as the chord error asks (the middles of the
// grid's edges measured against the surface), normals from the partial
// derivatives. The cut to the container is not made here: a parametric is
// placed as clipped by its container (ContainerShape). Pure functions.
#pragma once

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

// The container as the box or sphere shape it is.
Shape ContainerShape(const Container& container);
Bounds ContainerBounds(const Container& container);

// The grid of a parametric over its whole rectangle, its chords within
// tolerance * (the container's half diagonal) / 2 of the surface.
void ParametricMesh(const Parametric& p, double tolerance, MeshBuilder& out);
// The triangles ParametricMesh makes, about (evaluates the surface).
int64_t ParametricTriangles(const Parametric& p, double tolerance);

}  // namespace shapes
