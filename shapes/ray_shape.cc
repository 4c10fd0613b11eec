#include "shapes/ray_shape.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "shapes/overloaded.h"
#include "shapes/vec_math.h"

namespace shapes {

namespace {

using namespace vec;

// The nearest of the candidate hits found so far.
class Nearest {
 public:
  explicit Nearest(double t_min) : t_min_(t_min) {}
  void Offer(double t, const Vec3& normal) {
    if (!(t > t_min_) || !std::isfinite(t) || (found_ && t >= best_.t)) return;
    found_ = true;
    best_ = {t, normal};
  }
  std::optional<ShapeHit> Result() const {
    if (!found_) return std::nullopt;
    return ShapeHit{best_.t, Normalized(best_.normal)};
  }

 private:
  double t_min_;
  bool found_ = false;
  ShapeHit best_;
};

// The real roots of a t^2 + 2 b t + c = 0, ascending; how many.
int HalfQuadraticRoots(double a, double b, double c, double roots[2]) {
  if (a == 0) {
    if (b == 0) return 0;
    roots[0] = -c / (2 * b);
    return 1;
  }
  const double disc = b * b - a * c;
  if (disc < 0) return 0;
  const double s = std::sqrt(disc);
  // The stable form: no difference of nearly equal numbers.
  const double q = b > 0 ? -(b + s) : -(b - s);
  roots[0] = q / a;
  roots[1] = q != 0 ? c / q : roots[0];
  if (roots[0] > roots[1]) std::swap(roots[0], roots[1]);
  return 2;
}

double Axis(const Vec3& v, int k) { return k == 0 ? v.x : k == 1 ? v.y : v.z; }

std::optional<ShapeHit> TraceBox(const Box& box, const Vec3& o, const Vec3& d, double t_min) {
  Nearest hits(t_min);
  const Vec3 lo{std::min(box.corner1.x, box.corner2.x), std::min(box.corner1.y, box.corner2.y),
                std::min(box.corner1.z, box.corner2.z)};
  const Vec3 hi{std::max(box.corner1.x, box.corner2.x), std::max(box.corner1.y, box.corner2.y),
                std::max(box.corner1.z, box.corner2.z)};
  // Each face: a hit where the ray crosses its plane within the other two
  // axes' ranges.
  for (int k = 0; k < 3; ++k) {
    const double dk = Axis(d, k);
    if (dk == 0) continue;
    for (int side = 0; side < 2; ++side) {
      const double plane = side == 0 ? Axis(lo, k) : Axis(hi, k);
      const double t = (plane - Axis(o, k)) / dk;
      const Vec3 p = Add(o, Scale(d, t));
      bool within = true;
      for (int j = 0; j < 3; ++j) {
        if (j != k && (Axis(p, j) < Axis(lo, j) || Axis(p, j) > Axis(hi, j))) within = false;
      }
      if (!within) continue;
      Vec3 n;
      (k == 0 ? n.x : k == 1 ? n.y : n.z) = side == 0 ? -1 : 1;
      hits.Offer(t, n);
    }
  }
  return hits.Result();
}

std::optional<ShapeHit> TraceSphere(const Sphere& s, const Vec3& o, const Vec3& d, double t_min) {
  Nearest hits(t_min);
  const Vec3 w = Sub(o, s.center);
  double roots[2];
  const int n = HalfQuadraticRoots(Dot(d, d), Dot(w, d), Dot(w, w) - s.radius * s.radius, roots);
  for (int i = 0; i < n; ++i) hits.Offer(roots[i], Sub(Add(o, Scale(d, roots[i])), s.center));
  return hits.Result();
}

// The side of a cone: the points at height h from the base along the
// axis and at distance r0 + k h from it; the caps unless open.
std::optional<ShapeHit> TraceCone(const Cone& c, const Vec3& o, const Vec3& d, double t_min) {
  Nearest hits(t_min);
  const Vec3 axis = Sub(c.cap, c.base);
  const double length = Length(axis);
  if (!(length > 0)) return std::nullopt;
  const Vec3 a = Scale(axis, 1 / length);
  const double r0 = std::fabs(c.base_radius), r1 = std::fabs(c.cap_radius);
  const double k = (r1 - r0) / length;
  const Vec3 wo = Sub(o, c.base);
  const double so = Dot(wo, a), sd = Dot(d, a);
  const Vec3 u = Sub(wo, Scale(a, so)), v = Sub(d, Scale(a, sd));
  const double ra = r0 + k * so, rb = k * sd;  // the radius at t: ra + rb t
  double roots[2];
  const int n =
      HalfQuadraticRoots(Dot(v, v) - rb * rb, Dot(u, v) - ra * rb, Dot(u, u) - ra * ra, roots);
  for (int i = 0; i < n; ++i) {
    const double t = roots[i], s = so + t * sd;
    if (s < 0 || s > length || ra + rb * t < 0) continue;
    const Vec3 radial = Add(u, Scale(v, t));
    hits.Offer(t, Sub(Normalized(radial), Scale(a, k)));
  }
  if (!c.open && sd != 0) {
    for (const auto& [height, radius, sign] : {std::tuple{0.0, r0, -1.0}, {length, r1, 1.0}}) {
      const double t = (height - so) / sd;
      const Vec3 radial = Add(u, Scale(v, t));
      if (Dot(radial, radial) <= radius * radius) hits.Offer(t, Scale(a, sign));
    }
  }
  return hits.Result();
}

std::optional<ShapeHit> TraceDisc(const Disc& disc, const Vec3& o, const Vec3& d, double t_min) {
  Nearest hits(t_min);
  const double dn = Dot(d, disc.normal);
  if (dn == 0) return std::nullopt;
  const double t = Dot(Sub(disc.center, o), disc.normal) / dn;
  const Vec3 w = Sub(Add(o, Scale(d, t)), disc.center);
  const double r2 = Dot(w, w);
  if (r2 <= disc.radius * disc.radius && r2 >= disc.hole * disc.hole) hits.Offer(t, disc.normal);
  return hits.Result();
}

std::optional<ShapeHit> TracePlane(const Plane& plane, const Vec3& o, const Vec3& d, double t_min) {
  Nearest hits(t_min);
  const double dn = Dot(d, plane.normal);
  if (dn == 0) return std::nullopt;
  const double t = (plane.distance * Length(plane.normal) - Dot(o, plane.normal)) / dn;
  hits.Offer(t, plane.normal);
  return hits.Result();
}

}  // namespace

bool HasClosedFormTrace(const Shape& shape) {
  return std::visit(Overloaded{
                        [](const Box&) { return true; },
                        [](const Sphere&) { return true; },
                        [](const Cone&) { return true; },
                        [](const Disc&) { return true; },
                        [](const Plane&) { return true; },
                        [](const auto&) { return false; },
                    },
                    shape.params);
}

std::optional<ShapeHit> TraceShape(const Shape& shape, const Vec3& origin, const Vec3& direction,
                                   double t_min) {
  const Vec3& o = origin;
  const Vec3& d = direction;
  return std::visit(Overloaded{
                        [&](const Box& b) { return TraceBox(b, o, d, t_min); },
                        [&](const Sphere& s) { return TraceSphere(s, o, d, t_min); },
                        [&](const Cone& c) { return TraceCone(c, o, d, t_min); },
                        [&](const Disc& disc) { return TraceDisc(disc, o, d, t_min); },
                        [&](const Plane& p) { return TracePlane(p, o, d, t_min); },
                        [](const auto&) -> std::optional<ShapeHit> { return std::nullopt; },
                    },
                    shape.params);
}

}  // namespace shapes
