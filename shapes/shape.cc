#include "shapes/shape.h"

#include <algorithm>
#include <cmath>

#include "shapes/profile.h"

namespace shapes {

namespace {

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

Bounds Infinite() {
  Bounds b;
  b.min = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  b.max = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  return b;
}

// The box of a disc of `radius` about `center` in the plane normal to `axis`.
Bounds RoundBounds(const Vec3& center, const Vec3& axis, double radius) {
  const double l = Length(axis);
  Bounds b;
  if (!(l > 0)) return b;
  const double a[3] = {axis.x / l, axis.y / l, axis.z / l};
  const double c[3] = {center.x, center.y, center.z};
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    const double reach = radius * std::sqrt(std::max(0.0, 1 - a[k] * a[k]));
    lo[k] = c[k] - reach;
    hi[k] = c[k] + reach;
  }
  b.min = {lo[0], lo[1], lo[2]};
  b.max = {hi[0], hi[1], hi[2]};
  return b;
}

}  // namespace

void Bounds::Add(const Vec3& p) {
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

void Bounds::Include(const Bounds& b) {
  if (b.Empty()) return;
  Add(b.min);
  Add(b.max);
}

Bounds Bounds::Transformed(const Transform& t) const {
  Bounds out;
  if (Empty()) return out;
  const bool infinite = !std::isfinite(min.x) || !std::isfinite(min.y) || !std::isfinite(min.z) ||
                        !std::isfinite(max.x) || !std::isfinite(max.y) || !std::isfinite(max.z);
  if (infinite) return Infinite();
  for (int i = 0; i < 8; ++i) {
    out.Add(t.Point({(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z}));
  }
  return out;
}

Bounds BoundsOf(const Shape& shape) {
  return std::visit(
      Overloaded{
          [](const Box& b) {
            Bounds out;
            out.Add(b.corner1);
            out.Add(b.corner2);
            return out;
          },
          [](const Sphere& s) {
            Bounds out;
            out.Add({s.center.x - s.radius, s.center.y - s.radius, s.center.z - s.radius});
            out.Add({s.center.x + s.radius, s.center.y + s.radius, s.center.z + s.radius});
            return out;
          },
          [](const Cone& c) {
            const Vec3 axis = Sub(c.cap, c.base);
            Bounds out = RoundBounds(c.base, axis, std::fabs(c.base_radius));
            out.Include(RoundBounds(c.cap, axis, std::fabs(c.cap_radius)));
            return out;
          },
          [](const Torus& t) {
            const double r = std::fabs(t.major) + std::fabs(t.minor);
            Bounds out;
            out.Add({-r, -std::fabs(t.minor), -r});
            out.Add({r, std::fabs(t.minor), r});
            return out;
          },
          [](const Disc& d) { return RoundBounds(d.center, d.normal, std::fabs(d.radius)); },
          [](const Plane&) { return Infinite(); },
          [](const Superellipsoid&) {
            Bounds out;
            out.Add({-1, -1, -1});
            out.Add({1, 1, 1});
            return out;
          },
          [](const Polygon& p) {
            Bounds out;
            for (const Vec3& v : p.points) out.Add(v);
            return out;
          },
          [](const Prism& p) { return PrismBounds(p); },
          [](const Lathe& l) { return LatheBounds(l); },
      },
      shape.params);
}

bool IsSolid(const Shape& shape) {
  return std::visit(Overloaded{
                        [](const Cone& c) { return !c.open; },
                        [](const Disc&) { return false; },
                        [](const Polygon&) { return false; },
                        [](const Prism& p) { return !p.open; },
                        [](const Lathe& l) { return !(l.sor && l.open); },
                        [](const auto&) { return true; },
                    },
                    shape.params);
}

namespace {

bool InsideCone(const Cone& c, const Vec3& p) {
  const Vec3 axis = Sub(c.cap, c.base);
  const double h = Length(axis);
  if (!(h > 0)) return false;
  const Vec3 d = Sub(p, c.base);
  const double t = Dot(d, axis) / h;
  if (t < 0 || t > h) return false;
  const double radial2 = std::max(0.0, Dot(d, d) - t * t);
  const double r = c.base_radius + (c.cap_radius - c.base_radius) * (t / h);
  return radial2 < r * r;
}

bool InsideSuperellipsoid(const Superellipsoid& s, const Vec3& p) {
  const double e = s.e, n = s.n;
  const double xy =
      std::pow(std::pow(std::fabs(p.x), 2 / e) + std::pow(std::fabs(p.y), 2 / e), e / n);
  return xy + std::pow(std::fabs(p.z), 2 / n) < 1;
}

}  // namespace

bool Inside(const Shape& shape, const Vec3& p) {
  const bool in =
      std::visit(Overloaded{
                     [&](const Box& b) {
                       return p.x >= std::min(b.corner1.x, b.corner2.x) &&
                              p.x <= std::max(b.corner1.x, b.corner2.x) &&
                              p.y >= std::min(b.corner1.y, b.corner2.y) &&
                              p.y <= std::max(b.corner1.y, b.corner2.y) &&
                              p.z >= std::min(b.corner1.z, b.corner2.z) &&
                              p.z <= std::max(b.corner1.z, b.corner2.z);
                     },
                     [&](const Sphere& s) {
                       const Vec3 d = Sub(p, s.center);
                       return Dot(d, d) < s.radius * s.radius;
                     },
                     [&](const Cone& c) { return InsideCone(c, p); },
                     [&](const Torus& t) {
                       const double ring = std::sqrt(p.x * p.x + p.z * p.z) - t.major;
                       return ring * ring + p.y * p.y < t.minor * t.minor;
                     },
                     [&](const Disc& d) {
                       // As a plane through the disc: the side away from its normal.
                       return Dot(Sub(p, d.center), d.normal) < 0;
                     },
                     [&](const Plane& pl) {
                       const double l = Length(pl.normal);
                       return l > 0 && Dot(p, pl.normal) / l < pl.distance;
                     },
                     [&](const Superellipsoid& s) { return InsideSuperellipsoid(s, p); },
                     [&](const Polygon&) { return false; },
                     [&](const Prism& pr) { return InsidePrism(pr, p); },
                     [&](const Lathe& l) { return InsideLathe(l, p); },
                 },
                 shape.params);
  return in != shape.inverse;
}

}  // namespace shapes
