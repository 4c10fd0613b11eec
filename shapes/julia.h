// A julia_fractal's geometry: whether a point's orbit stays bounded, its
// box, and its mesh on a grid (the fractal has no surface finer than the
// grid can show). Pure functions of the shape's parameters.
#pragma once

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

bool InsideJulia(const JuliaFractal& j, const Vec3& p);
// POV-Ray's box: the ball of radius 1 + |c|.
Bounds JuliaBounds(const JuliaFractal& j);
void JuliaMesh(const JuliaFractal& j, double tolerance, MeshBuilder& out);
int JuliaCells(double tolerance);

}  // namespace shapes
