#include "shapes/shape.h"

#include <algorithm>
#include <cmath>

#include "shapes/arc_solid.h"
#include "shapes/blob.h"
#include "shapes/height_field.h"
#include "shapes/isosurface.h"
#include "shapes/julia.h"
#include "shapes/overloaded.h"
#include "shapes/parametric.h"
#include "shapes/polynomial.h"
#include "shapes/profile.h"
#include "shapes/sphere_sweep.h"

namespace shapes {

namespace {

// How thick POV-Ray takes its flat shapes (disc, polygon) to be.
constexpr double kFlat = 1e-3;

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Bounds Infinite() {
  Bounds b;
  b.min = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  b.max = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  return b;
}

// The rotation that takes z to `axis` (of unit length) the shortest way,
// then the move to `base`: the frame POV-Ray gives round shapes' boxes.
Transform ZToAxis(const Vec3& base, const Vec3& axis) {
  const double c = axis.z;
  Vec3 k{-axis.y, axis.x, 0};  // z x axis
  const double s = std::sqrt(k.x * k.x + k.y * k.y);
  double r[3][3];
  if (s < 1e-12) {
    const double f = c < 0 ? -1 : 1;  // z or -z: a half turn about x for -z
    const double m[3][3] = {{1, 0, 0}, {0, f, 0}, {0, 0, f}};
    std::copy(&m[0][0], &m[0][0] + 9, &r[0][0]);
  } else {
    k = {k.x / s, k.y / s, 0};
    const double t = 1 - c;
    // Rodrigues' formula: m[i] is the image of the i-th axis.
    const double m[3][3] = {{c + t * k.x * k.x, t * k.x * k.y, -s * k.y},
                            {t * k.x * k.y, c + t * k.y * k.y, s * k.x},
                            {s * k.y, -s * k.x, c}};
    std::copy(&m[0][0], &m[0][0] + 9, &r[0][0]);
  }
  const double rows[12] = {r[0][0], r[0][1], r[0][2], r[1][0], r[1][1], r[1][2],
                           r[2][0], r[2][1], r[2][2], base.x,  base.y,  base.z};
  return Transform::Matrix(rows);
}

// The box [-reach, reach]^2 x [z0, z1] in the frame of `axis` at `base`.
Bounds FrameBox(const Vec3& base, const Vec3& axis, double reach, double z0, double z1) {
  const double l = Length(axis);
  Bounds local;
  local.Add(Vec3{-reach, -reach, z0});
  local.Add(Vec3{reach, reach, z1});
  if (!(l > 0)) return local.Transformed(Transform::Translate(base));
  return local.Transformed(ZToAxis(base, {axis.x / l, axis.y / l, axis.z / l}));
}

// POV-Ray's box of a sphere_sweep: that of its given spheres, their radii
// doubled for the Catmull-Rom spline (which strays past its points).
Bounds SweepBounds(const SphereSweep& s) {
  const double grow = s.spline == SphereSweep::Spline::kCubic ? 2 : 1;
  Bounds out;
  for (size_t i = 0; i < s.centers.size() && i < s.radii.size(); ++i) {
    const double r = grow * std::fabs(s.radii[i]);
    out.Add(Sub(s.centers[i], {r, r, r}));
    out.Add(Sub(s.centers[i], {-r, -r, -r}));
  }
  return out;
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
            const double reach = std::max(std::fabs(c.base_radius), std::fabs(c.cap_radius));
            return FrameBox(c.base, axis, reach, 0, Length(axis));
          },
          [](const Torus& t) {
            const double r = std::fabs(t.major) + std::fabs(t.minor);
            Bounds out;
            out.Add({-r, -std::fabs(t.minor), -r});
            out.Add({r, std::fabs(t.minor), r});
            return out;
          },
          [](const Disc& d) {
            // As thick as POV-Ray's flat shapes are taken to be.
            return FrameBox(d.center, d.normal, std::fabs(d.radius), -kFlat, kFlat);
          },
          [](const Plane&) { return Infinite(); },
          [](const Superellipsoid&) {
            Bounds out;
            out.Add({-1 - 1e-4, -1 - 1e-4, -1 - 1e-4});
            out.Add({1 + 1e-4, 1 + 1e-4, 1 + 1e-4});
            return out;
          },
          [](const Polygon& p) {
            Bounds out;
            for (const Vec3& v : p.points) out.Add(v);
            // A flat side of the box is given POV-Ray's thickness.
            if (!out.Empty()) {
              if (out.max.x == out.min.x) out.min.x -= kFlat, out.max.x += kFlat;
              if (out.max.y == out.min.y) out.min.y -= kFlat, out.max.y += kFlat;
              if (out.max.z == out.min.z) out.min.z -= kFlat, out.max.z += kFlat;
            }
            return out;
          },
          [](const Prism& p) { return PrismBounds(p); },
          [](const Lathe& l) { return LatheBounds(l); },
          [](const Text& t) { return PrismBounds(t.outline).Transformed(TextFrame()); },
          [](const SphereSweep& s) { return SweepBounds(s); },
          [](const HeightField& h) { return HeightFieldBounds(h); },
          [](const Polynomial& p) { return PolynomialBounds(p); },
          [](const Isosurface& i) { return IsosurfaceBounds(i); },
          [](const Blob& b) { return BlobBounds(b); },
          [](const JuliaFractal& j) { return JuliaBounds(j); },
          [](const Ovus& o) { return OvusBounds(o); },
          [](const Parametric& p) { return ContainerBounds(p.container); },
          [](const Lemon& l) {
            const Vec3 axis = Sub(l.cap, l.base);
            return FrameBox(l.base, axis, LemonReach(l), 0, Length(axis));
          },
          [](const BicubicPatch& p) {
            Bounds out;
            for (const Vec3& q : p.points) out.Add(q);
            return out;
          },
      },
      shape.params);
}

Transform TextFrame() {
  const double swap[12] = {1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0};
  return Transform::Matrix(swap);
}

bool IsSolid(const Shape& shape) {
  return std::visit(Overloaded{
                        [](const Cone& c) { return !c.open; },
                        [](const Disc&) { return false; },
                        [](const Polygon&) { return false; },
                        [](const HeightField&) { return false; },
                        [](const BicubicPatch&) { return false; },
                        [](const Isosurface& i) { return !i.open; },
                        [](const Prism& p) { return !p.open; },
                        [](const Lathe& l) { return !(l.sor && l.open); },
                        [](const Lemon& l) { return !l.open; },
                        [](const Parametric&) { return false; },
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
                     [&](const Text& t) {
                       return InsidePrism(t.outline, {p.x, p.z, p.y});
                     },
                     [&](const SphereSweep& s) { return SweepField(s).Value(p) < 0; },
                     [&](const HeightField& h) { return InsideHeightField(h, p); },
                     [&](const Polynomial& poly) { return PolynomialValue(poly, p) < 0; },
                     [&](const Isosurface& iso) { return InsideIsosurface(iso, p); },
                     [&](const Blob& b) { return InsideBlob(b, p); },
                     [&](const BicubicPatch&) { return false; },
                     [&](const JuliaFractal& j) { return InsideJulia(j, p); },
                     [&](const Ovus& o) { return InsideArcOutline(OvusOutline(o), p); },
                     [&](const Lemon& l) { return InsideArcOutline(LemonOutline(l), p); },
                     [&](const Parametric&) { return false; },
                 },
                 shape.params);
  return in != shape.inverse;
}

}  // namespace shapes
