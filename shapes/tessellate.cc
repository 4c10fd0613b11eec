#include "shapes/tessellate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "implicit/mesher.h"
#include "shapes/arc_solid.h"
#include "shapes/blob.h"
#include "shapes/height_field.h"
#include "shapes/isosurface.h"
#include "shapes/julia.h"
#include "shapes/mesh_builder.h"
#include "shapes/overloaded.h"
#include "shapes/parametric.h"
#include "shapes/polynomial.h"
#include "shapes/profile.h"
#include "shapes/revolve.h"
#include "shapes/sphere_sweep.h"

namespace shapes {

namespace {

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// ---- box ----

void BoxMesh(const Box& b, MeshBuilder& out) {
  const Vec3 lo{std::min(b.corner1.x, b.corner2.x), std::min(b.corner1.y, b.corner2.y),
                std::min(b.corner1.z, b.corner2.z)};
  const Vec3 hi{std::max(b.corner1.x, b.corner2.x), std::max(b.corner1.y, b.corner2.y),
                std::max(b.corner1.z, b.corner2.z)};
  // Each face: its normal axis and side, four corners counter-clockwise
  // seen from outside, and its own uv square.
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      double n[3] = {0, 0, 0};
      n[axis] = side ? 1 : -1;
      const double lo3[3] = {lo.x, lo.y, lo.z}, hi3[3] = {hi.x, hi.y, hi.z};
      uint32_t corner[4];
      for (int k = 0; k < 4; ++k) {
        // (0,0) (1,0) (1,1) (0,1) in (u, v), reversed on the low side.
        const int cu = (k == 1 || k == 2) ? 1 : 0, cv = k >= 2 ? 1 : 0;
        const int su = side ? cu : cv, sv = side ? cv : cu;
        double p[3];
        p[axis] = side ? hi3[axis] : lo3[axis];
        p[u] = su ? hi3[u] : lo3[u];
        p[v] = sv ? hi3[v] : lo3[v];
        corner[k] = out.Vertex({p[0], p[1], p[2]}, {n[0], n[1], n[2]},
                               {static_cast<double>(su), static_cast<double>(sv), 0});
      }
      out.Quad(corner[0], corner[1], corner[2], corner[3]);
    }
  }
}

void SphereMesh(const Sphere& s, int n, MeshBuilder& out) {
  const int rings = std::max(2, n / 2);
  const double k = EqualAreaFactor(2 * rings);
  std::vector<OutlinePoint> outline;
  for (int i = 0; i <= rings; ++i) {
    const double phi = -M_PI / 2 + M_PI * i / rings;
    const double c = i == 0 || i == rings ? 0 : std::cos(phi), sn = std::sin(phi);
    outline.push_back({s.radius * k * c, s.radius * k * sn, c, sn, static_cast<double>(i) / rings});
  }
  Revolve(outline, n, Transform::Translate(s.center), out);
}

void ConeMesh(const Cone& c, int n, MeshBuilder& out) {
  const Vec3 axis = Sub(c.cap, c.base);
  const double h = Length(axis);
  if (!(h > 0)) return;
  const double r0 = std::fabs(c.base_radius), r1 = std::fabs(c.cap_radius);
  // The side's normal in (r, y): perpendicular to the slant.
  double nr = h, ny = r0 - r1;
  const double l = std::sqrt(nr * nr + ny * ny);
  nr /= l;
  ny /= l;
  std::vector<OutlinePoint> outline;
  if (!c.open && r0 > 0) {
    outline.push_back({0, 0, 0, -1, 0});
    outline.push_back({r0, 0, 0, -1, 0});
  }
  outline.push_back({r0, 0, nr, ny, 0});
  outline.push_back({r1, h, nr, ny, 1});
  if (!c.open && r1 > 0) {
    outline.push_back({r1, h, 0, 1, 1});
    outline.push_back({0, h, 0, 1, 1});
  }
  Revolve(outline, n, AxisFrame(c.base, {axis.x / h, axis.y / h, axis.z / h}), out);
}

void TorusMesh(const Torus& t, int n, MeshBuilder& out) {
  const double k = EqualAreaFactor(n);
  const double minor = std::fabs(t.minor);
  std::vector<OutlinePoint> outline;
  for (int i = 0; i <= n; ++i) {
    const double a = M_PI + 2 * M_PI * (i % n) / n;  // from the inner equator, upwards
    const double c = std::cos(a), s = std::sin(a);
    outline.push_back({t.major + minor * k * c, -minor * k * s, c, -s, static_cast<double>(i) / n});
  }
  Revolve(outline, n, Transform(), out);
}

void DiscMesh(const Disc& d, int n, MeshBuilder& out) {
  const double l = Length(d.normal);
  if (!(l > 0)) return;
  std::vector<OutlinePoint> outline;
  const double hole = std::fabs(d.hole), radius = std::fabs(d.radius);
  outline.push_back({hole, 0, 0, 1, 0});
  outline.push_back({radius, 0, 0, 1, 1});
  Revolve(outline, n, AxisFrame(d.center, {d.normal.x / l, d.normal.y / l, d.normal.z / l}), out);
}

// ---- plane ----

// The polygon where the plane meets the clip box, in order about its normal.
void PlaneMesh(const Plane& p, const Bounds& clip, MeshBuilder& out) {
  const double l = Length(p.normal);
  if (!(l > 0) || clip.Empty()) return;
  const Vec3 nrm{p.normal.x / l, p.normal.y / l, p.normal.z / l};
  const double corners[8][3] = {
      {clip.min.x, clip.min.y, clip.min.z}, {clip.max.x, clip.min.y, clip.min.z},
      {clip.min.x, clip.max.y, clip.min.z}, {clip.max.x, clip.max.y, clip.min.z},
      {clip.min.x, clip.min.y, clip.max.z}, {clip.max.x, clip.min.y, clip.max.z},
      {clip.min.x, clip.max.y, clip.max.z}, {clip.max.x, clip.max.y, clip.max.z}};
  std::vector<Vec3> points;
  for (int a = 0; a < 8; ++a) {
    for (int b = a + 1; b < 8; ++b) {
      // Edges of the box join corners that differ in one coordinate.
      const int differ = (a ^ b);
      if (differ != 1 && differ != 2 && differ != 4) continue;
      const Vec3 pa{corners[a][0], corners[a][1], corners[a][2]};
      const Vec3 pb{corners[b][0], corners[b][1], corners[b][2]};
      const double da = Dot(pa, nrm) - p.distance, db = Dot(pb, nrm) - p.distance;
      if ((da < 0) == (db < 0) || da == db) continue;
      const double t = da / (da - db);
      points.push_back(
          {pa.x + (pb.x - pa.x) * t, pa.y + (pb.y - pa.y) * t, pa.z + (pb.z - pa.z) * t});
    }
  }
  if (points.size() < 3) return;
  Vec3 center{0, 0, 0};
  for (const Vec3& q : points) center = {center.x + q.x, center.y + q.y, center.z + q.z};
  center = {center.x / points.size(), center.y / points.size(), center.z / points.size()};
  const Transform frame = AxisFrame(center, nrm);
  const Transform back = frame.Inverse();
  std::sort(points.begin(), points.end(), [&](const Vec3& a, const Vec3& b) {
    const Vec3 la = back.Point(a), lb = back.Point(b);
    return std::atan2(la.z, la.x) < std::atan2(lb.z, lb.x);
  });
  std::vector<uint32_t> ids;
  for (const Vec3& q : points) {
    const Vec3 local = back.Point(q);
    ids.push_back(out.Vertex(q, nrm, {local.x, local.z, 0}));
  }
  for (size_t i = 1; i + 1 < ids.size(); ++i) out.Triangle(ids[0], ids[i + 1], ids[i]);
}

// ---- superellipsoid ----

double SignedPow(double base, double exponent) {
  return std::copysign(std::pow(std::fabs(base), exponent), base);
}

// Parameters 0 .. pi/2 of the quarter curve (cos^e t, sin^e t), `count`
// steps spread evenly over its length and its turning together, so that the
// sharp corners of small exponents get their samples and flat sides few.
std::vector<double> QuarterSteps(double e, int count) {
  constexpr int kFine = 512;
  std::vector<double> measure(kFine + 1, 0.0);
  double px = 1, py = 0, pa = M_PI / 2;  // the tangent's direction at t = 0
  for (int i = 1; i <= kFine; ++i) {
    const double t = M_PI / 2 * i / kFine;
    const double x = SignedPow(std::cos(t), e), y = SignedPow(std::sin(t), e);
    const double a = std::atan2(y - py, x - px);
    const double chord = std::hypot(x - px, y - py);
    double turn = std::fabs(a - pa);
    if (turn > M_PI) turn = 2 * M_PI - turn;
    measure[i] = measure[i - 1] + chord + (i > 1 ? turn : 0);
    px = x;
    py = y;
    pa = a;
  }
  std::vector<double> steps;
  int j = 0;
  for (int k = 0; k <= count; ++k) {
    const double target = measure[kFine] * k / count;
    while (j < kFine && measure[j + 1] < target) ++j;
    const double span = measure[std::min(j + 1, kFine)] - measure[j];
    const double f = span > 0 ? (target - measure[j]) / span : 0;
    steps.push_back(M_PI / 2 * (std::min(j + f, static_cast<double>(kFine))) / kFine);
  }
  steps.front() = 0;
  steps.back() = M_PI / 2;
  return steps;
}

// cos and sin of `t`, exactly 0 and +-1 at the multiples of pi/2: raised
// to a small exponent, cos(pi/2) = 6e-17 would be 0.15, opening a gap.
void CosSin(double t, double* c, double* s) {
  const double quarters = t / (M_PI / 2);
  const double nearest = std::round(quarters);
  if (std::fabs(quarters - nearest) < 1e-12) {
    const int q = static_cast<int>(std::fmod(std::fmod(nearest, 4) + 4, 4));
    static constexpr double kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    *c = kCos[q];
    *s = kSin[q];
    return;
  }
  *c = std::cos(t);
  *s = std::sin(t);
}

// Angles -pi..pi about z (or -pi/2..pi/2 up it), quarter by quarter.
std::vector<double> Turn(const std::vector<double>& quarter, int quarters, double start) {
  std::vector<double> out;
  for (int q = 0; q < quarters; ++q) {
    for (size_t i = 0; i + 1 < quarter.size(); ++i) {
      // Odd quarters run the curve backwards, so that each mirrors its neighbour.
      const double t = q % 2 == 0 ? quarter[i] : M_PI / 2 - quarter[quarter.size() - 1 - i];
      out.push_back(start + q * M_PI / 2 + t);
    }
  }
  out.push_back(start + quarters * M_PI / 2);
  return out;
}

void SuperellipsoidMesh(const Superellipsoid& s, int n, MeshBuilder& out) {
  const double e = std::max(s.e, 1e-3), nn = std::max(s.n, 1e-3);
  // Sharp edges take more steps than a circle of the same tolerance.
  const int per_quarter = std::max(4, n / 2);
  const std::vector<double> around = Turn(QuarterSteps(e, per_quarter), 4, -M_PI);
  const std::vector<double> up = Turn(QuarterSteps(nn, per_quarter), 2, -M_PI / 2);
  const size_t columns = around.size(), rows = up.size();
  std::vector<uint32_t> previous, row;
  for (size_t i = 0; i < rows; ++i) {
    double cv, sv;
    CosSin(up[i], &cv, &sv);
    row.clear();
    for (size_t j = 0; j < columns; ++j) {
      double cu, su;
      CosSin(around[j], &cu, &su);
      const Vec3 p{SignedPow(cv, nn) * SignedPow(cu, e), SignedPow(cv, nn) * SignedPow(su, e),
                   SignedPow(sv, nn)};
      // The gradient of the implicit function gives the normal.
      const double ax = std::fabs(p.x), ay = std::fabs(p.y), az = std::fabs(p.z);
      const double sxy = std::pow(ax, 2 / e) + std::pow(ay, 2 / e);
      const double outer = sxy > 0 ? std::pow(sxy, e / nn - 1) : 0;
      Vec3 g{std::copysign(ax > 0 ? outer * std::pow(ax, 2 / e - 1) : 0, p.x),
             std::copysign(ay > 0 ? outer * std::pow(ay, 2 / e - 1) : 0, p.y),
             std::copysign(az > 0 ? std::pow(az, 2 / nn - 1) : 0, p.z)};
      const double l = Length(g);
      g = l > 0 && std::isfinite(l) ? Vec3{g.x / l, g.y / l, g.z / l}
                                    : Vec3{0, 0, p.z < 0 ? -1.0 : 1.0};
      row.push_back(out.Vertex(
          p, g, {static_cast<double>(j) / (columns - 1), static_cast<double>(i) / (rows - 1), 0}));
    }
    if (i > 0) {
      for (size_t j = 0; j + 1 < columns; ++j) {
        if (i == 1) {
          out.Triangle(previous[j], row[j + 1], row[j]);
        } else if (i + 1 == rows) {
          out.Triangle(previous[j], previous[j + 1], row[j]);
        } else {
          out.Quad(previous[j], previous[j + 1], row[j + 1], row[j]);
        }
      }
    }
    previous.swap(row);
  }
}

// The cell edge that meshes curves of radius r within the tolerance.
double SweepCell(const SweepField& field, double tolerance) {
  return 3.2 * field.FeatureRadius() * std::sqrt(std::clamp(tolerance, 1e-6, 0.5));
}

// A sphere_sweep has no simple parametric surface (its envelope folds
// where it bends tighter than its radius): it goes through the implicit
// mesher, whose field is the sweep's own distance.
void SphereSweepMesh(const SphereSweep& s, double tolerance, MeshBuilder& out) {
  const SweepField field(s);
  const Bounds hull = field.Hull();
  if (hull.Empty()) return;
  const double cell = SweepCell(field, tolerance);
  implicit::Grid grid;
  grid.min = Sub(hull.min, {cell, cell, cell});
  grid.max = Sub(hull.max, {-cell, -cell, -cell});
  grid.cell = cell;
  grid.lipschitz = 1;
  implicit::Surface surface;
  constexpr int64_t kMostTriangles = 8'000'000;
  implicit::MeshSurface([&field](const Vec3& p) { return field.Value(p); }, grid, kMostTriangles,
                        surface);
  out.Surface(std::move(surface), std::clamp(tolerance, 1e-6, 0.5) * field.FeatureRadius());
}

// ---- bicubic_patch ----

// The Bernstein weights of degree 3 at t, and their derivatives.
void Bernstein(double t, double b[4], double d[4]) {
  const double s = 1 - t;
  b[0] = s * s * s;
  b[1] = 3 * t * s * s;
  b[2] = 3 * t * t * s;
  b[3] = t * t * t;
  d[0] = -3 * s * s;
  d[1] = 3 * s * s - 6 * t * s;
  d[2] = 6 * t * s - 3 * t * t;
  d[3] = 3 * t * t;
}

int PatchSteps(int floor_steps, int n) {
  const int asked = 1 << std::clamp(floor_steps, 0, 8);
  return std::clamp(std::max(asked, n / 2), 1, 256);
}

void PatchMesh(const BicubicPatch& p, int n, MeshBuilder& out) {
  const int nu = PatchSteps(p.u_steps, n), nv = PatchSteps(p.v_steps, n);
  std::vector<uint32_t> previous, row;
  for (int j = 0; j <= nv; ++j) {
    const double v = static_cast<double>(j) / nv;
    double bv[4], dv[4];
    Bernstein(v, bv, dv);
    row.clear();
    for (int i = 0; i <= nu; ++i) {
      const double u = static_cast<double>(i) / nu;
      double bu[4], du[4];
      Bernstein(u, bu, du);
      Vec3 at{}, su{}, sv{};
      for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
          const Vec3& q = p.points[r * 4 + c];
          const double w = bv[r] * bu[c], wu = bv[r] * du[c], wv = dv[r] * bu[c];
          at = {at.x + w * q.x, at.y + w * q.y, at.z + w * q.z};
          su = {su.x + wu * q.x, su.y + wu * q.y, su.z + wu * q.z};
          sv = {sv.x + wv * q.x, sv.y + wv * q.y, sv.z + wv * q.z};
        }
      }
      Vec3 normal{su.y * sv.z - su.z * sv.y, su.z * sv.x - su.x * sv.z, su.x * sv.y - su.y * sv.x};
      const double l = Length(normal);
      normal = l > 0 ? Vec3{normal.x / l, normal.y / l, normal.z / l} : Vec3{0, 0, 1};
      row.push_back(out.Vertex(at, normal, {u, v, 0}));
    }
    if (j > 0) {
      for (int i = 0; i < nu; ++i) out.Quad(previous[i], previous[i + 1], row[i + 1], row[i]);
    }
    previous.swap(row);
  }
}

}  // namespace

int SegmentsPerTurn(double tolerance) {
  const double t = std::clamp(std::isfinite(tolerance) ? tolerance : 0.005, 1e-6, 0.5);
  const double n = std::ceil(M_PI / std::acos(1 - t));
  return static_cast<int>(std::clamp(n, 8.0, 1024.0));
}

void Tessellate(const Shape& shape, const Detail& detail, sdl::MeshData& mesh) {
  if (const auto* field = std::get_if<HeightField>(&shape.params)) {
    // Its own grid, exactly: no tolerance.
    HeightFieldMesh(*field, mesh);
    return;
  }
  mesh = sdl::MeshData();
  MeshBuilder out(mesh);
  const int n = SegmentsPerTurn(detail.tolerance);
  std::visit(Overloaded{
                 [&](const Box& b) { BoxMesh(b, out); },
                 [&](const Sphere& s) { SphereMesh(s, n, out); },
                 [&](const Cone& c) { ConeMesh(c, n, out); },
                 [&](const Torus& t) { TorusMesh(t, n, out); },
                 [&](const Disc& d) { DiscMesh(d, n, out); },
                 [&](const Plane& p) { PlaneMesh(p, detail.clip, out); },
                 [&](const Superellipsoid& s) { SuperellipsoidMesh(s, n, out); },
                 [&](const Polygon& p) { PolygonMesh(p, out); },
                 [&](const Prism& p) { PrismMesh(p, n, out); },
                 [&](const Lathe& l) { LatheMesh(l, n, out); },
                 [&](const Text& t) { PrismMesh(t.outline, n, out); },
                 [&](const SphereSweep& s) { SphereSweepMesh(s, detail.tolerance, out); },
                 [](const HeightField&) {},
                 [&](const Isosurface& i) { IsosurfaceMesh(i, detail.tolerance, out); },
                 [&](const Blob& b) { BlobMesh(b, detail.tolerance, out); },
                 [&](const BicubicPatch& p) { PatchMesh(p, n, out); },
                 [&](const JuliaFractal& j) { JuliaMesh(j, detail.tolerance, out); },
                 [&](const Ovus& o) { ArcOutlineMesh(OvusOutline(o), n, out); },
                 [&](const Lemon& l) { ArcOutlineMesh(LemonOutline(l), n, out); },
                 [&](const Parametric& p) { ParametricMesh(p, detail.tolerance, out); },
                 [&](const Polynomial& p) {
                   const Bounds own = PolynomialBounds(p);
                   const bool bounded = std::isfinite(own.min.x) || own.Empty();
                   PolynomialMesh(p, bounded ? own : detail.clip, detail.tolerance,
                                  bounded || detail.closed, out);
                 },
             },
             shape.params);
  out.Finish();
  if (std::holds_alternative<Text>(shape.params)) {
    // The prism's y is the text's z: a mirror, so each face turns over too.
    mesh.Apply(TextFrame());
    for (auto* faces : {&mesh.faces, &mesh.normal_faces, &mesh.uv_faces}) {
      for (auto& f : *faces) std::swap(f[1], f[2]);
    }
  }
}

int64_t EstimateTriangles(const Shape& shape, double tolerance) {
  const int64_t n = SegmentsPerTurn(tolerance);
  return std::visit(
      Overloaded{
          [](const Box&) -> int64_t { return 12; },
          [&](const Sphere&) { return n * n; },
          [&](const Cone&) { return 4 * n; },
          [&](const Torus&) { return 2 * n * n; },
          [&](const Disc&) { return 2 * n; },
          [](const Plane&) -> int64_t { return 4; },
          [&](const Superellipsoid&) { return n * n; },
          [](const Polygon& p) { return static_cast<int64_t>(p.points.size()); },
          [&](const Prism& p) { return static_cast<int64_t>(p.points.size()) * (4 + n / 4); },
          [&](const Lathe& l) {
            return static_cast<int64_t>(l.points.size()) * 2 * n * (1 + n / 16);
          },
          [&](const Text& t) {
            return static_cast<int64_t>(t.outline.points.size()) * (2 + n / 4);
          },
          [&](const SphereSweep& s) {
            const SweepField field(s);
            const double cell = SweepCell(field, tolerance);
            return static_cast<int64_t>(std::min(4 * field.Area() / (cell * cell), 1e12));
          },
          [&](const Blob& b) { return BlobTriangles(b, tolerance); },
          [&](const Ovus&) { return n * n; },
          [&](const Lemon&) { return n * n / 2 + 2 * n; },
          [&](const Parametric& p) { return ParametricTriangles(p, tolerance); },
          [&](const JuliaFractal&) -> int64_t {
            const int64_t cells = JuliaCells(tolerance);
            return 4 * cells * cells;
          },
          [&](const BicubicPatch& p) -> int64_t {
            return 2 * int64_t{PatchSteps(p.u_steps, static_cast<int>(n))} *
                   PatchSteps(p.v_steps, static_cast<int>(n));
          },
          [&](const Isosurface&) -> int64_t {
            const int64_t cells = IsosurfaceCells(tolerance);
            return 4 * cells * cells;
          },
          [&](const Polynomial&) -> int64_t {
            const int64_t cells = PolynomialCells(tolerance);
            return 4 * cells * cells;
          },
          [](const HeightField& h) -> int64_t {
            return 2 * static_cast<int64_t>(std::max(h.columns - 1, 0)) * std::max(h.rows - 1, 0);
          },
      },
      shape.params);
}

}  // namespace shapes
