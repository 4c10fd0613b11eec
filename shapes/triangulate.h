// Triangulation of plane regions given as closed loops with the even-odd
// rule (POV-Ray's polygon, the caps of a prism, a glyph's outlines): loops
// inside an odd number of others are holes. Pure functions.
#pragma once

#include <array>
#include <vector>

namespace shapes {

struct Point2 {
  double x = 0, y = 0;
};

// Triangles of the region as indices into the loops' points taken one loop
// after another; each triangle counter-clockwise. Loops with fewer than
// three points, and the parts of a loop that cross itself that cannot be
// cut into ears, give no triangles.
std::vector<std::array<int, 3>> TriangulateEvenOdd(const std::vector<std::vector<Point2>>& loops);

// For each loop, how many of the others hold it: even for an outline,
// odd for a hole.
std::vector<int> LoopDepths(const std::vector<std::vector<Point2>>& loops);

// Whether `p` is inside the region by the even-odd rule.
bool InsideEvenOdd(const std::vector<std::vector<Point2>>& loops, const Point2& p);

}  // namespace shapes
