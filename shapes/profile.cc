#include "shapes/profile.h"

#include <algorithm>
#include <cmath>

#include "shapes/revolve.h"

namespace shapes {

namespace {

Point2 P2(const Vec3& v) { return {v.x, v.y}; }
bool Same(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y; }

// One piece of a curve, sampled at t = 0, 1/steps, ... (steps - 1)/steps.
void QuadraticPiece(const Point2& before, const Point2& a, const Point2& b, int steps,
                    std::vector<Point2>& out) {
  const Point2 tangent{(b.x - before.x) / 2, (b.y - before.y) / 2};
  const Point2 bend{b.x - a.x - tangent.x, b.y - a.y - tangent.y};
  for (int s = 0; s < steps; ++s) {
    const double t = static_cast<double>(s) / steps;
    out.push_back({a.x + tangent.x * t + bend.x * t * t, a.y + tangent.y * t + bend.y * t * t});
  }
}

void CubicPiece(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int steps,
                std::vector<Point2>& out) {
  for (int s = 0; s < steps; ++s) {
    const double t = static_cast<double>(s) / steps, t2 = t * t, t3 = t2 * t;
    auto c = [&](double a0, double a1, double a2, double a3) {
      return 0.5 * (2 * a1 + (-a0 + a2) * t + (2 * a0 - 5 * a1 + 4 * a2 - a3) * t2 +
                    (-a0 + 3 * a1 - 3 * a2 + a3) * t3);
    };
    out.push_back({c(p0.x, p1.x, p2.x, p3.x), c(p0.y, p1.y, p2.y, p3.y)});
  }
}

void BezierPiece(const Point2& p0, const Point2& p1, const Point2& p2, const Point2& p3, int steps,
                 std::vector<Point2>& out) {
  for (int s = 0; s < steps; ++s) {
    const double t = static_cast<double>(s) / steps, u = 1 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    out.push_back({b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x,
                   b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y});
  }
}

// The sor's radius squared at height y within piece i (points i .. i+1).
double SorRadius2(const std::vector<Vec3>& p, size_t i, double y) {
  const double h = p[i + 1].y - p[i].y;
  if (!(h != 0)) return p[i].x * p[i].x;
  auto slope = [&](size_t k) {
    const double dy = p[k + 1].y - p[k - 1].y;
    return dy != 0 ? 2 * p[k].x * (p[k + 1].x - p[k - 1].x) / dy : 0.0;
  };
  const double t = (y - p[i].y) / h, t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * p[i].x * p[i].x + (t3 - 2 * t2 + t) * h * slope(i) +
         (-2 * t3 + 3 * t2) * p[i + 1].x * p[i + 1].x + (t3 - t2) * h * slope(i + 1);
}

// Per-point normals of a polyline in 2-D, (dy, -dx) of its direction; a
// corner sharper than 30 degrees becomes two points, one per side.
struct NormalPoint {
  Point2 p, n;
  double v;
};
std::vector<NormalPoint> WithNormals(const std::vector<Point2>& line, bool closed) {
  std::vector<NormalPoint> out;
  const size_t n = line.size();
  if (n < 2) return out;
  auto segment_normal = [&](size_t i) {  // of the segment i -> i+1
    const Point2 &a = line[i % n], &b = line[(i + 1) % n];
    const double dx = b.x - a.x, dy = b.y - a.y, l = std::hypot(dx, dy);
    return l > 0 ? Point2{dy / l, -dx / l} : Point2{0, 0};
  };
  double length = 0;
  std::vector<double> at(n + 1, 0);
  for (size_t i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
    length += std::hypot(line[(i + 1) % n].x - line[i].x, line[(i + 1) % n].y - line[i].y);
    at[i + 1] = length;
  }
  const size_t count = closed ? n + 1 : n;
  for (size_t i = 0; i < count; ++i) {
    const double v = length > 0 ? at[i] / length : 0;
    const bool has_before = closed || i > 0, has_after = closed || i + 1 < n;
    const Point2 before = has_before ? segment_normal((i + n - 1) % n) : segment_normal(i);
    const Point2 after = has_after ? segment_normal(i % n) : before;
    const Point2& p = line[i % n];
    if (before.x * after.x + before.y * after.y < std::cos(M_PI / 6)) {
      out.push_back({p, before, v});
      out.push_back({p, after, v});
    } else {
      Point2 m{before.x + after.x, before.y + after.y};
      const double l = std::hypot(m.x, m.y);
      if (l > 0) m = {m.x / l, m.y / l};
      out.push_back({p, m, v});
    }
  }
  return out;
}

}  // namespace

int MinimumPoints(SplineKind spline, bool sor) {
  if (sor) return 4;
  switch (spline) {
    case SplineKind::kLinear:
      return 2;
    case SplineKind::kQuadratic:
      return 3;
    case SplineKind::kCubic:
    case SplineKind::kBezier:
      return 4;
  }
  return 2;
}

bool PointCountFits(SplineKind spline, bool sor, size_t count) {
  if (count < static_cast<size_t>(MinimumPoints(spline, sor))) return false;
  return sor || spline != SplineKind::kBezier || count % 4 == 0;
}

namespace {

Point2 Add(const Point2& a, const Point2& b, double f) { return {a.x + b.x * f, a.y + b.y * f}; }
Point2 Sub2(const Point2& a, const Point2& b) { return {a.x - b.x, a.y - b.y}; }

CurvePiece Straight(const Point2& a, const Point2& b) { return {{a, a, b, b}, true}; }

// The quadratic piece from a to b that leaves a along (b - before) / 2, as
// a cubic.
CurvePiece QuadraticAsCubic(const Point2& before, const Point2& a, const Point2& b) {
  const Point2 tangent{(b.x - before.x) / 2, (b.y - before.y) / 2};
  const Point2 bend = Sub2(Sub2(b, a), tangent);
  const Point2 end_tangent = Add(tangent, bend, 2);
  return {{a, Add(a, tangent, 1.0 / 3), Add(b, end_tangent, -1.0 / 3), b}, false};
}

// The Catmull-Rom piece from p1 to p2, as a cubic.
CurvePiece CatmullRomAsCubic(const Point2& p0, const Point2& p1, const Point2& p2,
                             const Point2& p3) {
  return {{p1, Add(p1, Sub2(p2, p0), 1.0 / 6), Add(p2, Sub2(p3, p1), -1.0 / 6), p2}, false};
}

}  // namespace

std::vector<std::vector<CurvePiece>> PrismPieces(const Prism& prism) {
  const std::vector<Vec3>& p = prism.points;
  const size_t n = p.size();
  std::vector<std::vector<CurvePiece>> loops;
  size_t i = 0;
  while (i < n) {
    std::vector<CurvePiece> loop;
    const size_t start = i;
    if (prism.spline == SplineKind::kLinear) {
      // Points up to one equal to the first; the last joins the first.
      size_t j = start + 1;
      while (j < n && !Same(p[j], p[start])) ++j;
      const size_t end = std::min(j, n);
      for (size_t k = start; k < end; ++k) {
        loop.push_back(Straight(P2(p[k]), P2(p[k + 1 < end ? k + 1 : start])));
      }
      i = j + 1;
    } else if (prism.spline == SplineKind::kBezier) {
      size_t j = start;
      for (; j + 3 < n; j += 4) {
        // A piece whose inner points sit on its ends is straight.
        const bool straight = Same(p[j + 1], p[j]) && Same(p[j + 2], p[j + 3]);
        loop.push_back({{P2(p[j]), P2(p[j + 1]), P2(p[j + 2]), P2(p[j + 3])}, straight});
        if (Same(p[j + 3], p[start])) break;
      }
      i = j + 4;
    } else {
      // The first point steers; the loop closes at a point equal to the
      // second (a cubic's last point steers too).
      if (start + 2 >= n) break;
      size_t j = start + 2;
      while (j < n && !Same(p[j], p[start + 1])) ++j;
      if (j >= n) j = n - 1;
      for (size_t k = start + 1; k < j; ++k) {
        if (prism.spline == SplineKind::kQuadratic) {
          loop.push_back(QuadraticAsCubic(P2(p[k - 1]), P2(p[k]), P2(p[k + 1])));
        } else {
          const Point2 after = k + 2 < n ? P2(p[k + 2]) : P2(p[start + 2]);
          loop.push_back(CatmullRomAsCubic(P2(p[k - 1]), P2(p[k]), P2(p[k + 1]), after));
        }
      }
      i = prism.spline == SplineKind::kCubic ? j + 2 : j + 1;
    }
    if (!loop.empty()) loops.push_back(std::move(loop));
  }
  return loops;
}

std::vector<std::vector<Point2>> PrismLoops(const Prism& prism, int steps) {
  std::vector<std::vector<Point2>> loops;
  for (const auto& pieces : PrismPieces(prism)) {
    std::vector<Point2> loop;
    for (const CurvePiece& piece : pieces) {
      if (piece.straight) {
        loop.push_back(piece.p[0]);
      } else {
        BezierPiece(piece.p[0], piece.p[1], piece.p[2], piece.p[3], steps, loop);
      }
    }
    if (loop.size() >= 3) loops.push_back(std::move(loop));
  }
  return loops;
}

std::vector<Point2> LatheOutline(const Lathe& lathe, int steps) {
  const std::vector<Vec3>& p = lathe.points;
  const size_t n = p.size();
  std::vector<Point2> out;
  if (!PointCountFits(lathe.spline, lathe.sor, n)) return out;
  if (lathe.sor) {
    for (size_t i = 1; i + 2 < n; ++i) {
      for (int s = 0; s < steps; ++s) {
        const double y = p[i].y + (p[i + 1].y - p[i].y) * s / steps;
        out.push_back({std::sqrt(std::max(0.0, SorRadius2(p, i, y))), y});
      }
    }
    out.push_back({std::fabs(p[n - 2].x), p[n - 2].y});
    return out;
  }
  switch (lathe.spline) {
    case SplineKind::kLinear:
      for (const Vec3& v : p) out.push_back(P2(v));
      return out;
    case SplineKind::kQuadratic:
      for (size_t i = 1; i + 1 < n; ++i)
        QuadraticPiece(P2(p[i - 1]), P2(p[i]), P2(p[i + 1]), steps, out);
      out.push_back(P2(p[n - 1]));
      return out;
    case SplineKind::kCubic:
      for (size_t i = 1; i + 2 < n; ++i) {
        CubicPiece(P2(p[i - 1]), P2(p[i]), P2(p[i + 1]), P2(p[i + 2]), steps, out);
      }
      out.push_back(P2(p[n - 2]));
      return out;
    case SplineKind::kBezier:
      for (size_t i = 0; i + 3 < n; i += 4) {
        BezierPiece(P2(p[i]), P2(p[i + 1]), P2(p[i + 2]), P2(p[i + 3]), steps, out);
      }
      out.push_back(P2(p[n - 1]));
      return out;
  }
  return out;
}

Bounds PrismBounds(const Prism& prism) {
  Bounds b;
  for (const double y : {prism.height1, prism.height2}) {
    const double s = prism.conic ? y : 1;
    for (const Vec3& v : prism.points) b.Add(Vec3{v.x * s, y, v.y * s});
  }
  return b;
}

Bounds LatheBounds(const Lathe& lathe) {
  Bounds b;
  double r = 0;
  const std::vector<Vec3>& p = lathe.points;
  // A sor reaches from its second point to its last but one.
  const size_t first = lathe.sor && p.size() >= 4 ? 1 : 0;
  const size_t last = lathe.sor && p.size() >= 4 ? p.size() - 2 : p.size() - 1;
  if (p.empty()) return b;
  for (size_t i = 0; i < p.size(); ++i) r = std::max(r, std::fabs(p[i].x));
  for (size_t i = first; i <= last; ++i) {
    b.Add(Vec3{-r, p[i].y, -r});
    b.Add(Vec3{r, p[i].y, r});
  }
  return b;
}

bool InsidePrism(const Prism& prism, const Vec3& p) {
  const double lo = std::min(prism.height1, prism.height2);
  const double hi = std::max(prism.height1, prism.height2);
  if (p.y < lo || p.y > hi) return false;
  Point2 q{p.x, p.z};
  if (prism.conic) {
    if (p.y == 0) return false;
    q = {p.x / p.y, p.z / p.y};
  }
  return InsideEvenOdd(PrismLoops(prism, 16), q);
}

bool InsideLathe(const Lathe& lathe, const Vec3& p) {
  const double r = std::hypot(p.x, p.z);
  if (lathe.sor) {
    const std::vector<Vec3>& pts = lathe.points;
    for (size_t i = 1; i + 2 < pts.size(); ++i) {
      const double y0 = std::min(pts[i].y, pts[i + 1].y), y1 = std::max(pts[i].y, pts[i + 1].y);
      if (p.y >= y0 && p.y <= y1) return r * r < SorRadius2(pts, i, p.y);
    }
    return false;
  }
  // Crossings of the outline by the ray from (r, y) outwards; as POV-Ray
  // counts them, a piece whose end is at the ray's height crosses it.
  const std::vector<Point2> line = LatheOutline(lathe, 16);
  bool in = false;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const Point2 &a = line[i], &b = line[i + 1];
    if (a.y == b.y || p.y < std::min(a.y, b.y) || p.y > std::max(a.y, b.y)) continue;
    if (r < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

void PolygonMesh(const Polygon& polygon, MeshBuilder& out) {
  const std::vector<Vec3>& p = polygon.points;
  if (p.size() < 3) return;
  // The plane's normal by Newell's sums over the points in order.
  Vec3 normal{0, 0, 0};
  for (size_t i = 0; i < p.size(); ++i) {
    const Vec3 &a = p[i], &b = p[(i + 1) % p.size()];
    normal.x += (a.y - b.y) * (a.z + b.z);
    normal.y += (a.z - b.z) * (a.x + b.x);
    normal.z += (a.x - b.x) * (a.y + b.y);
  }
  const double l = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
  if (!(l > 0)) return;
  normal = {normal.x / l, normal.y / l, normal.z / l};
  const Transform frame = AxisFrame(p[0], normal);
  const Transform back = frame.Inverse();
  // Loops end at a point equal to their first.
  std::vector<std::vector<Point2>> loops;
  std::vector<Vec3> corners;
  for (size_t i = 0; i < p.size();) {
    const size_t start = i;
    size_t j = start + 1;
    while (j < p.size() &&
           !(p[j].x == p[start].x && p[j].y == p[start].y && p[j].z == p[start].z)) {
      ++j;
    }
    std::vector<Point2> loop;
    for (size_t k = start; k < j && k < p.size(); ++k) {
      const Vec3 local = back.Point(p[k]);
      loop.push_back({local.x, local.z});
    }
    loops.push_back(std::move(loop));
    i = j + 1;
  }
  std::vector<uint32_t> ids;
  for (const auto& loop : loops) {
    for (const Point2& q : loop) {
      ids.push_back(out.Vertex(frame.Point({q.x, 0, q.y}), normal, {q.x, q.y, 0}));
    }
  }
  for (const auto& t : TriangulateEvenOdd(loops)) out.Triangle(ids[t[0]], ids[t[1]], ids[t[2]]);
}

void PrismMesh(const Prism& prism, int segments, MeshBuilder& out) {
  const int steps = prism.spline == SplineKind::kLinear ? 1 : std::max(2, segments / 2);
  const std::vector<std::vector<Point2>> loops = PrismLoops(prism, steps);
  const double h1 = prism.height1, h2 = prism.height2;
  auto place = [&](const Point2& q, double y) {
    const double s = prism.conic ? y : 1;
    return Vec3{q.x * s, y, q.y * s};
  };
  for (const auto& loop : loops) {
    if (prism.conic) {
      // Flat faces: each side quad with its own normal.
      for (size_t i = 0; i < loop.size(); ++i) {
        const Point2 &a = loop[i], &b = loop[(i + 1) % loop.size()];
        const Vec3 pa1 = place(a, h1), pb1 = place(b, h1), pb2 = place(b, h2), pa2 = place(a, h2);
        Vec3 n = sdl::FaceNormal(pa2, pa1, pb1);
        if (n.x == 0 && n.y == 0 && n.z == 0) n = sdl::FaceNormal(pa2, pb1, pb2);
        const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (l > 0) n = {n.x / l, n.y / l, n.z / l};
        out.Quad(out.Vertex(pa1, n, {0, 0, 0}), out.Vertex(pb1, n, {1, 0, 0}),
                 out.Vertex(pb2, n, {1, 1, 0}), out.Vertex(pa2, n, {0, 1, 0}));
      }
      continue;
    }
    const std::vector<NormalPoint> side = WithNormals(loop, true);
    for (size_t i = 0; i + 1 < side.size(); ++i) {
      const NormalPoint &a = side[i], &b = side[i + 1];
      if (a.p.x == b.p.x && a.p.y == b.p.y) continue;
      const Vec3 na{a.n.x, 0, a.n.y}, nb{b.n.x, 0, b.n.y};
      out.Quad(
          out.Vertex(place(a.p, h1), na, {a.v, 0, 0}), out.Vertex(place(b.p, h1), nb, {b.v, 0, 0}),
          out.Vertex(place(b.p, h2), nb, {b.v, 1, 0}), out.Vertex(place(a.p, h2), na, {a.v, 1, 0}));
    }
  }
  if (prism.open) return;
  const auto triangles = TriangulateEvenOdd(loops);
  for (const double y : {h1, h2}) {
    const Vec3 n{0, y == std::max(h1, h2) ? 1.0 : -1.0, 0};
    std::vector<uint32_t> ids;
    for (const auto& loop : loops) {
      for (const Point2& q : loop) ids.push_back(out.Vertex(place(q, y), n, {q.x, q.y, 0}));
    }
    for (const auto& t : triangles) out.Triangle(ids[t[0]], ids[t[1]], ids[t[2]]);
  }
}

void LatheMesh(const Lathe& lathe, int segments, MeshBuilder& out) {
  const int steps =
      lathe.spline == SplineKind::kLinear && !lathe.sor ? 1 : std::max(2, segments / 2);
  const std::vector<Point2> line = LatheOutline(lathe, steps);
  if (line.size() < 2) return;
  std::vector<OutlinePoint> outline;
  if (lathe.sor && !lathe.open && line.front().x > 0) {
    outline.push_back({0, line.front().y, 0, -1, 0});
    outline.push_back({line.front().x, line.front().y, 0, -1, 0});
  }
  for (const NormalPoint& q : WithNormals(line, false)) {
    outline.push_back({std::fabs(q.p.x), q.p.y, q.p.x < 0 ? -q.n.x : q.n.x, q.n.y, q.v});
  }
  if (lathe.sor && !lathe.open && line.back().x > 0) {
    outline.push_back({line.back().x, line.back().y, 0, 1, 1});
    outline.push_back({0, line.back().y, 0, 1, 1});
  }
  Revolve(outline, segments, Transform(), out);
}

}  // namespace shapes
