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

// What an isosurface's mesh shows of its function, for the reader's
// warnings.
struct IsosurfaceSurvey {
  // The function meets its threshold inside the container; when it does
  // not, whether it stays below it (the container is all there is).
  bool crosses = true;
  bool below_everywhere = false;
  // It does, in parts the mesh's cells (of edge `cell`) are too coarse to
  // find.
  bool thinner_than_cells = false;
  double cell = 0;
  // The steepest slope of the function found where it meets its threshold
  // (at up to a few thousand of the mesh's points).
  double steepest = 0;
  // A point of the container where the function is not a number (a
  // division by zero), taken as outside; when `not_a_number`.
  bool not_a_number = false;
  Vec3 where_not_a_number;
};
IsosurfaceSurvey SurveyIsosurface(const Isosurface& iso, const sdl::MeshData& mesh,
                                  double tolerance);

}  // namespace shapes
