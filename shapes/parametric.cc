#include "shapes/parametric.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "shapes/vec_math.h"

namespace shapes {

namespace {

using namespace vec;

constexpr int kFirstSteps = 8;
constexpr int kMostSteps = 1024;

// The grid's steps in u and in v.
struct Steps {
  int u = kFirstSteps, v = kFirstSteps;
};

Vec3 At(const Parametric& p, double s, double t) {
  const double u = p.u0 + (p.u1 - p.u0) * s, v = p.v0 + (p.v1 - p.v0) * t;
  return p.point != nullptr ? (*p.point)(u, v) : Vec3{};
}

bool Finite(const Vec3& a) {
  return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z);
}

// How far the middle of the edge from a to b (at parameters s0,t0 and
// s1,t1) lies from the surface.
double Sag(const Parametric& p, const Vec3& a, const Vec3& b, double s, double t) {
  const Vec3 mid = At(p, s, t);
  if (!Finite(a) || !Finite(b) || !Finite(mid)) return 0;
  return Length(Sub(mid, Scale(Add(a, b), 0.5)));
}

// Doubles the steps in each direction whose edges stray more than `limit`
// from the surface, until none does or the grid is as fine as it goes.
Steps StepsFor(const Parametric& p, double limit) {
  Steps steps;
  for (;;) {
    std::vector<Vec3> grid((steps.u + 1) * (steps.v + 1));
    for (int j = 0; j <= steps.v; ++j) {
      for (int i = 0; i <= steps.u; ++i) {
        grid[j * (steps.u + 1) + i] = At(p, double(i) / steps.u, double(j) / steps.v);
      }
    }
    double sag_u = 0, sag_v = 0;
    for (int j = 0; j <= steps.v; ++j) {
      for (int i = 0; i <= steps.u; ++i) {
        const Vec3& here = grid[j * (steps.u + 1) + i];
        if (i < steps.u) {
          sag_u = std::max(sag_u, Sag(p, here, grid[j * (steps.u + 1) + i + 1], (i + 0.5) / steps.u,
                                      double(j) / steps.v));
        }
        if (j < steps.v) {
          sag_v = std::max(sag_v, Sag(p, here, grid[(j + 1) * (steps.u + 1) + i],
                                      double(i) / steps.u, (j + 0.5) / steps.v));
        }
      }
    }
    const bool finer_u = sag_u > limit && steps.u < kMostSteps;
    const bool finer_v = sag_v > limit && steps.v < kMostSteps;
    if (!finer_u && !finer_v) return steps;
    if (finer_u) steps.u *= 2;
    if (finer_v) steps.v *= 2;
  }
}

double Limit(const Parametric& p, double tolerance) {
  const Bounds b = ContainerBounds(p.container);
  const double half_diagonal = Length(Sub(b.max, b.min)) / 2;
  const double t = std::isfinite(tolerance) ? std::clamp(tolerance, 1e-6, 0.5) : 0.005;
  // Half: the chords lie all on one side of the surface, where the round
  // shapes' rings stand out to balance theirs.
  return t * half_diagonal / 2;
}

}  // namespace

Shape ContainerShape(const Container& c) {
  Shape shape;
  if (c.sphere) {
    shape.params = Sphere{c.centre, std::fabs(c.radius)};
    shape.kind = "sphere";
  } else {
    shape.params = Box{c.corner1, c.corner2};
    shape.kind = "box";
  }
  return shape;
}

Bounds ContainerBounds(const Container& c) {
  Bounds out;
  if (c.sphere) {
    const double r = std::fabs(c.radius);
    out.Add(Sub(c.centre, {r, r, r}));
    out.Add(Add(c.centre, {r, r, r}));
  } else {
    out.Add(c.corner1);
    out.Add(c.corner2);
  }
  return out;
}

int64_t ParametricTriangles(const Parametric& p, double tolerance) {
  const Steps steps = StepsFor(p, Limit(p, tolerance));
  return 2 * int64_t{steps.u} * steps.v;
}

void ParametricMesh(const Parametric& p, double tolerance, MeshBuilder& out) {
  const Steps steps = StepsFor(p, Limit(p, tolerance));
  const int nu = steps.u + 1, nv = steps.v + 1;
  std::vector<Vec3> grid(nu * nv);
  for (int j = 0; j < nv; ++j) {
    for (int i = 0; i < nu; ++i) grid[j * nu + i] = At(p, double(i) / steps.u, double(j) / steps.v);
  }
  // Normals from the grid's differences across each point (one-sided at
  // the rectangle's edges).
  std::vector<uint32_t> ids(grid.size(), UINT32_MAX);
  for (int j = 0; j < nv; ++j) {
    for (int i = 0; i < nu; ++i) {
      const Vec3& q = grid[j * nu + i];
      if (!Finite(q)) continue;
      const Vec3 du =
          Sub(grid[j * nu + std::min(i + 1, nu - 1)], grid[j * nu + std::max(i - 1, 0)]);
      const Vec3 dv =
          Sub(grid[std::min(j + 1, nv - 1) * nu + i], grid[std::max(j - 1, 0) * nu + i]);
      const Vec3 n = Normalized(Cross(du, dv));
      const double u = p.u0 + (p.u1 - p.u0) * i / steps.u, v = p.v0 + (p.v1 - p.v0) * j / steps.v;
      ids[j * nu + i] = out.Vertex(q, Finite(n) ? n : Vec3{}, {u, v, 0});
    }
  }
  for (int j = 0; j + 1 < nv; ++j) {
    for (int i = 0; i + 1 < nu; ++i) {
      const uint32_t a = ids[j * nu + i], b = ids[j * nu + i + 1];
      const uint32_t c = ids[(j + 1) * nu + i + 1], d = ids[(j + 1) * nu + i];
      if (a != UINT32_MAX && b != UINT32_MAX && c != UINT32_MAX) out.Triangle(a, b, c);
      if (a != UINT32_MAX && c != UINT32_MAX && d != UINT32_MAX) out.Triangle(a, c, d);
    }
  }
}

}  // namespace shapes
