// The implicit mesher: closed, outward surfaces whose vertices lie on the
// field's zero, for fields that are distances and fields that are not.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>

#include "csg/implicit_boolean.h"
#include "implicit/mesher.h"
#include "implicit/simplify.h"

namespace {

using implicit::Vec3;

double Length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// Each directed edge once, and its reverse once: a closed, consistently
// turned surface. Returns what is wrong, or "".
std::string ClosedAndTurned(const implicit::Surface& s) {
  std::map<std::pair<uint32_t, uint32_t>, int> edges;
  for (const auto& t : s.triangles) {
    for (int k = 0; k < 3; ++k) ++edges[{t[k], t[(k + 1) % 3]}];
  }
  for (const auto& [edge, count] : edges) {
    if (count != 1) return "an edge is used twice the same way";
    auto back = edges.find({edge.second, edge.first});
    if (back == edges.end() || back->second != 1) return "an edge has no partner";
  }
  return "";
}

// The volume by the divergence theorem: positive when faces turn outwards.
double Volume(const implicit::Surface& s) {
  double v = 0;
  for (const auto& t : s.triangles) {
    const Vec3 &a = s.positions[t[0]], &b = s.positions[t[1]], &c = s.positions[t[2]];
    v += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
          a.z * (b.x * c.y - b.y * c.x)) /
         6;
  }
  return v;
}

TEST(ImplicitMesher, ClosedSurfacesOnTheZero) {
  const struct {
    const char* name;
    implicit::Field field;
    double lipschitz;
    double volume;
  } cases[] = {
      {"sphere distance", [](const Vec3& p) { return Length(p) - 1; }, 1, 4 * M_PI / 3},
      {"sphere squared (no slope bound)",
       [](const Vec3& p) { return p.x * p.x + p.y * p.y + p.z * p.z - 1; }, 0, 4 * M_PI / 3},
      {"torus",
       [](const Vec3& p) {
         const double ring = std::hypot(p.x, p.z) - 0.7;
         return std::hypot(ring, p.y) - 0.25;
       },
       1, 2 * M_PI * M_PI * 0.7 * 0.25 * 0.25},
      {"two spheres apart",
       [](const Vec3& p) {
         return std::min(Length({p.x - 0.5, p.y, p.z}), Length({p.x + 0.5, p.y, p.z})) - 0.3;
       },
       1, 2 * 4 * M_PI / 3 * 0.027},
      {"NaN outside the ball counts as outside",
       [](const Vec3& p) { return Length(p) > 1.0 ? std::nan("") : -1.0; }, 0, 4 * M_PI / 3},
  };
  for (const auto& c : cases) {
    implicit::Grid grid;
    grid.min = {-1.3, -1.3, -1.3};
    grid.max = {1.3, 1.3, 1.3};
    grid.cell = 0.05;
    grid.lipschitz = c.lipschitz;
    implicit::Surface s;
    const implicit::MeshStats stats = implicit::MeshSurface(c.field, grid, 10'000'000, s);
    ASSERT_FALSE(s.triangles.empty()) << c.name;
    EXPECT_FALSE(stats.stopped) << c.name;
    EXPECT_EQ(ClosedAndTurned(s), "") << c.name;
    EXPECT_NEAR(Volume(s) / c.volume, 1, 0.03) << c.name;
    if (!std::isnan(c.field({1.2, 0, 0}))) {
      for (const Vec3& p : s.positions) ASSERT_NEAR(c.field(p), 0, 1e-6) << c.name;
    }
    for (size_t i = 0; i < s.normals.size(); ++i) {
      ASSERT_NEAR(Length(s.normals[i]), 1, 1e-9) << c.name;
    }
  }
}

TEST(ImplicitMesher, TheSlopeBoundSkipsEmptySpace) {
  const implicit::Field sphere = [](const Vec3& p) { return Length(p) - 0.2; };
  implicit::Grid grid;
  grid.min = {-2, -2, -2};
  grid.max = {2, 2, 2};
  grid.cell = 0.04;
  implicit::Surface bounded, dense;
  grid.lipschitz = 1;
  const auto fast = implicit::MeshSurface(sphere, grid, 10'000'000, bounded);
  grid.lipschitz = 0;
  const auto slow = implicit::MeshSurface(sphere, grid, 10'000'000, dense);
  EXPECT_EQ(bounded.triangles.size(), dense.triangles.size());
  EXPECT_LT(fast.cells * 100, slow.cells);
}

// Corners asked a row at a time make the surface the point field makes;
// the row function is what the mesher uses for them (a row function that
// lies shows in the surface).
TEST(ImplicitMesher, RowsOfCornersMakeTheSameSurface) {
  const auto torus = [](double x, double y, double z) {
    const double ring = std::sqrt(x * x + z * z) - 0.6;
    return std::sqrt(ring * ring + y * y) - 0.25;
  };
  implicit::Grid grid;
  grid.min = {-1, -0.5, -1.1};
  grid.max = {1.05, 0.5, 1};
  grid.cell = 0.05;
  const implicit::Field field = [&](const Vec3& p) { return torus(p.x, p.y, p.z); };
  implicit::Surface by_point, by_row, by_wrong_row;
  implicit::MeshSurface(field, grid, 10'000'000, by_point);
  std::atomic<int64_t> rows{0};  // two threads sample a large grid
  grid.many = [&](const double* xs, const double* ys, const double* zs, size_t count, double* out) {
    ++rows;
    for (size_t i = 0; i < count; ++i) out[i] = torus(xs[i], ys[i], zs[i]);
  };
  implicit::MeshSurface(field, grid, 10'000'000, by_row);
  EXPECT_GT(rows, 100);
  EXPECT_GT(by_point.triangles.size(), 1000u);
  EXPECT_EQ(by_point.triangles, by_row.triangles);
  EXPECT_EQ(by_point.positions.size(), by_row.positions.size());
  for (size_t i = 0; i < std::min(by_point.positions.size(), by_row.positions.size()); ++i) {
    ASSERT_EQ(by_point.positions[i].x, by_row.positions[i].x) << i;
    ASSERT_EQ(by_point.positions[i].y, by_row.positions[i].y) << i;
    ASSERT_EQ(by_point.positions[i].z, by_row.positions[i].z) << i;
  }
  grid.many = [&](const double* xs, const double* ys, const double* zs, size_t count, double* out) {
    for (size_t i = 0; i < count; ++i) out[i] = torus(xs[i], ys[i], zs[i]) + 0.1;
  };
  implicit::MeshSurface(field, grid, 10'000'000, by_wrong_row);
  EXPECT_NE(by_point.triangles.size(), by_wrong_row.triangles.size());
}

// Thinned, a closed surface stays closed and near the exact one; an open
// one keeps its edge where it was.
TEST(ImplicitSimplify, FewerTrianglesTheSameSurface) {
  const struct {
    const char* name;
    implicit::Field field;
    bool open;
  } cases[] = {
      {"ball", [](const Vec3& p) { return Length(p) - 1; }, false},
      {"flat-sided box",
       [](const Vec3& p) {
         return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}) - 0.87;
       },
       false},
      {"a plane cut to the grid", [](const Vec3& p) { return p.y - 0.3 * p.x; }, true},
  };
  for (const auto& c : cases) {
    implicit::Grid grid;
    grid.min = {-1.3, -1.3, -1.3};
    grid.max = {1.3, 1.3, 1.3};
    grid.cell = 0.05;
    implicit::Surface s;
    implicit::MeshSurface(c.field, grid, 10'000'000, s);
    const size_t before = s.triangles.size();
    double edge_before = 0;
    for (const Vec3& p : s.positions) edge_before = std::max(edge_before, std::fabs(p.x));
    const double max_error = 0.002;
    implicit::Simplify(s, max_error);
    EXPECT_LT(s.triangles.size() * 2, before) << c.name;
    if (!c.open) {
      EXPECT_EQ(ClosedAndTurned(s), "") << c.name;
    }
    // Every vertex is one of the mesher's, on the surface; each face's
    // middle strays little.
    for (const Vec3& p : s.positions) ASSERT_NEAR(c.field(p), 0, 1e-6) << c.name;
    for (const auto& t : s.triangles) {
      const Vec3 &a = s.positions[t[0]], &b = s.positions[t[1]], &d = s.positions[t[2]];
      const Vec3 m{(a.x + b.x + d.x) / 3, (a.y + b.y + d.y) / 3, (a.z + b.z + d.z) / 3};
      ASSERT_LT(std::fabs(c.field(m)), 0.02) << c.name;
    }
    if (c.open) {
      double edge_after = 0;
      for (const Vec3& p : s.positions) edge_after = std::max(edge_after, std::fabs(p.x));
      EXPECT_DOUBLE_EQ(edge_after, edge_before) << c.name;
    }
  }
}

// A box whose faces lie on grid planes: the field is zero at many corners,
// where the mesher makes several vertices at one place. Thinned, each
// place has one vertex, no triangle repeats a corner, and the surface
// stays closed.
TEST(ImplicitSimplify, VerticesAtOnePlaceBecomeOne) {
  const implicit::Field box = [](const Vec3& p) {
    return std::max({std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)}) - 0.5;
  };
  implicit::Grid grid;
  grid.min = {-1, -1, -1};
  grid.max = {1, 1, 1};
  grid.cell = 0.25;
  implicit::Surface s;
  implicit::MeshSurface(box, grid, 10'000'000, s);
  std::map<std::tuple<double, double, double>, int> at;
  for (const Vec3& p : s.positions) ++at[{p.x, p.y, p.z}];
  ASSERT_LT(at.size(), s.positions.size()) << "the case must have vertices at one place";
  implicit::Simplify(s, 1e-9);
  at.clear();
  for (const Vec3& p : s.positions) ++at[{p.x, p.y, p.z}];
  EXPECT_EQ(at.size(), s.positions.size());
  for (const auto& t : s.triangles) {
    EXPECT_TRUE(t[0] != t[1] && t[1] != t[2] && t[0] != t[2]);
  }
  EXPECT_EQ(ClosedAndTurned(s), "");
  EXPECT_GE(s.triangles.size(), 12u);
}

TEST(ImplicitMesher, StopsAtTheTriangleLimit) {
  implicit::Grid grid;
  grid.min = {-1.5, -1.5, -1.5};
  grid.max = {1.5, 1.5, 1.5};
  grid.cell = 0.01;
  grid.lipschitz = 1;
  implicit::Surface s;
  const auto stats =
      implicit::MeshSurface([](const Vec3& p) { return Length(p) - 1; }, grid, 1000, s);
  EXPECT_TRUE(stats.stopped);
  EXPECT_EQ(s.triangles.size(), 1000u);
}

}  // namespace

namespace {

// A box less a ball, meshed from the inside test alone: closed, its volume
// right, and the faces on the ball wearing the ball's texture.
TEST(ImplicitBoolean, ClosedWithTheVolumeAndEachFacesOperand) {
  auto box = std::make_shared<csg::Solid>();
  box->shape.params = shapes::Box{{-1, -1, -1}, {1, 1, 1}};
  auto ball = std::make_shared<csg::Solid>();
  ball->shape.params = shapes::Sphere{{1, 1, 1}, 1};
  csg::Solid difference;
  difference.op = csg::SolidOp::kDifference;
  difference.operands.resize(2);
  difference.operands[0].solid = box;
  difference.operands[1].solid = ball;
  difference.operands[1].has_texture = true;
  difference.operands[1].texture.name = "Ball";
  sdl::MeshData mesh;
  std::string why;
  ASSERT_TRUE(csg::ImplicitBooleanMesh(difference, shapes::Detail(), 10, mesh, &why)) << why;
  implicit::Surface surface;
  surface.positions.assign(mesh.vertices.begin(), mesh.vertices.end());
  for (const auto& f : mesh.faces) {
    surface.triangles.push_back(
        {static_cast<uint32_t>(f[0]), static_cast<uint32_t>(f[1]), static_cast<uint32_t>(f[2])});
  }
  EXPECT_EQ(ClosedAndTurned(surface), "");
  EXPECT_NEAR(Volume(surface), 8 - M_PI / 6, 0.02 * 8);
  int on_ball = 0, wrong = 0;
  for (size_t f = 0; f < mesh.faces.size(); ++f) {
    const sdl::Vec3& a = mesh.vertices[static_cast<size_t>(mesh.faces[f][0])];
    const double r =
        std::sqrt((a.x - 1) * (a.x - 1) + (a.y - 1) * (a.y - 1) + (a.z - 1) * (a.z - 1));
    const bool ball_texture = mesh.slots[static_cast<size_t>(mesh.face_slots[f])].name == "Ball";
    // Well inside a face of the box, or well on the ball.
    const bool near_ball = std::fabs(r - 1) < 1e-3 && a.x < 0.95 && a.y < 0.95 && a.z < 0.95;
    on_ball += near_ball;
    if (near_ball && !ball_texture) ++wrong;
  }
  EXPECT_GT(on_ball, 20);
  EXPECT_EQ(wrong, 0);
}

// Without a box there is nothing to mesh over: said, not guessed.
TEST(ImplicitBoolean, AnUnboundedSolidIsRefused) {
  auto plane = std::make_shared<csg::Solid>();
  plane->shape.params = shapes::Plane{{0, 1, 0}, 0};
  csg::Solid merge;
  merge.op = csg::SolidOp::kMerge;
  merge.operands.resize(1);
  merge.operands[0].solid = plane;
  sdl::MeshData mesh;
  std::string why;
  EXPECT_FALSE(csg::ImplicitBooleanMesh(merge, shapes::Detail(), 10, mesh, &why));
  EXPECT_NE(why.find("no end"), std::string::npos) << why;
}

}  // namespace
