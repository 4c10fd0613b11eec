// The shapes made from a 2-D outline: polygon, prism (swept along y) and
// lathe and sor (turned about y). The outline's splines are evaluated as
// POV-Ray evaluates them (measured with its trace()): a quadratic piece
// runs from P[i] to P[i+1] leaving P[i] along (P[i+1] - P[i-1]) / 2; a
// cubic piece is the Catmull-Rom curve through P[i] and P[i+1]; a bezier
// piece takes four points; a sor's radius squared is the cubic in y
// through its points with slopes 2 r dr/dy from their neighbours. Pure
// functions.
#pragma once

#include <vector>

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"
#include "shapes/triangulate.h"

namespace shapes {

// A piece of an outline as a cubic Bezier curve (every spline kind's pieces
// are cubics or straight lines).
struct CurvePiece {
  Point2 p[4];
  bool straight;  // p[0] to p[3] in a line
};
// The closed loops of a prism's outline as their pieces.
std::vector<std::vector<CurvePiece>> PrismPieces(const Prism& prism);
// The closed loops of a prism's outline, each piece of a curve in `steps`
// straight steps; a loop's last point is not its first repeated.
std::vector<std::vector<Point2>> PrismLoops(const Prism& prism, int steps);
// A lathe's outline as (distance from the axis, height) points, each piece
// in `steps` steps; for a sor, its radius over its height.
std::vector<Point2> LatheOutline(const Lathe& lathe, int steps);

// The number of points a prism, lathe or sor of `spline` needs at least,
// and whether `count` points fit it (bezier pieces take four each).
int MinimumPoints(SplineKind spline, bool sor);
bool PointCountFits(SplineKind spline, bool sor, size_t count);

Bounds PrismBounds(const Prism& prism);
Bounds LatheBounds(const Lathe& lathe);
bool InsidePrism(const Prism& prism, const Vec3& p);
bool InsideLathe(const Lathe& lathe, const Vec3& p);

void PolygonMesh(const Polygon& polygon, MeshBuilder& out);
void PrismMesh(const Prism& prism, int segments, MeshBuilder& out);
void LatheMesh(const Lathe& lathe, int segments, MeshBuilder& out);

}  // namespace shapes
