// SweepField: a sphere_sweep as a field, the least of |p - centre(t)| -
// radius(t) over its spheres: negative inside, and it changes by no more
// than the distance moved, which lets the mesher skip empty space. Built
// once from the shape (its pieces and a tree over their boxes); read-only
// afterwards and safe to share between threads.
#pragma once

#include <vector>

#include "shapes/shape.h"

namespace shapes {

class SweepField {
 public:
  explicit SweepField(const SphereSweep& sweep);

  double Value(const Vec3& p) const;
  // A box around every sphere of the sweep (not POV-Ray's box: that is
  // BoundsOf).
  Bounds Hull() const;
  // The radius the mesh must resolve: the smallest of the sweep, but not
  // below a fiftieth of the largest.
  double FeatureRadius() const;
  // The sweep's surface area, roughly.
  double Area() const;

 private:
  // One piece of the spline, centre and radius as cubics in t from 0 to 1
  // (power form), and the box of its centres' Bezier hull.
  struct Piece {
    Vec3 c[4];
    double r[4] = {0, 0, 0, 0};
    bool linear = false;
    Vec3 lo, hi;
    double rmax = 0;
  };
  struct Node {
    Vec3 lo, hi;
    double rmax = 0;
    int first = 0, count = 0;  // pieces of a leaf, in order_
    int left = -1, right = -1;
  };

  double PieceValue(const Piece& piece, const Vec3& p) const;
  int Build(int first, int count);

  std::vector<Piece> pieces_;
  std::vector<int> order_;
  std::vector<Node> nodes_;
  double rmin_ = 0, rmax_ = 0;
};

}  // namespace shapes
