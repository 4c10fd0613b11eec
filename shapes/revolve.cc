#include "shapes/revolve.h"

#include <cmath>

namespace shapes {

namespace {

double Length(const Vec3& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

}  // namespace

double EqualAreaFactor(int n) {
  const double a = 2 * M_PI / n;
  return std::sqrt(a / std::sin(a));
}

void Revolve(const std::vector<OutlinePoint>& outline, int n, const Transform& frame,
             MeshBuilder& out) {
  const double k = EqualAreaFactor(n);
  std::vector<uint32_t> previous, ring;
  for (size_t i = 0; i < outline.size(); ++i) {
    const OutlinePoint& p = outline[i];
    ring.clear();
    for (int j = 0; j <= n; ++j) {
      const double a = 2 * M_PI * (j % n) / n;
      const double c = std::cos(a), s = std::sin(a);
      const Vec3 position = frame.Point({p.r * k * c, p.y, p.r * k * s});
      Vec3 normal = frame.Vector({p.nr * c, p.ny, p.nr * s});
      const double l = Length(normal);
      if (l > 0) normal = {normal.x / l, normal.y / l, normal.z / l};
      ring.push_back(out.Vertex(position, normal, {static_cast<double>(j) / n, p.v, 0}));
    }
    if (i > 0) {
      const OutlinePoint& q = outline[i - 1];
      const bool same_place = q.r == p.r && q.y == p.y;
      if (!same_place && !(q.r == 0 && p.r == 0)) {
        for (int j = 0; j < n; ++j) {
          if (q.r == 0) {
            out.Triangle(previous[j], ring[j + 1], ring[j]);
          } else if (p.r == 0) {
            out.Triangle(previous[j], previous[j + 1], ring[j]);
          } else {
            out.Quad(previous[j], previous[j + 1], ring[j + 1], ring[j]);
          }
        }
      }
    }
    previous.swap(ring);
  }
}

Transform AxisFrame(const Vec3& base, const Vec3& axis) {
  const Vec3 y = axis;
  const Vec3 helper = std::fabs(y.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
  Vec3 x{helper.y * y.z - helper.z * y.y, helper.z * y.x - helper.x * y.z,
         helper.x * y.y - helper.y * y.x};
  const double lx = Length(x);
  x = {x.x / lx, x.y / lx, x.z / lx};
  const Vec3 z{x.y * y.z - x.z * y.y, x.z * y.x - x.x * y.z, x.x * y.y - x.y * y.x};
  // Rows: where x, y and z of the outline's space go, then the origin.
  const double m[12] = {x.x, x.y, x.z, y.x, y.y, y.z, z.x, z.y, z.z, base.x, base.y, base.z};
  return Transform::Matrix(m);
}

}  // namespace shapes
