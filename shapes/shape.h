// Shape: one of POV-Ray's shapes other than the mesh family, by its
// parameters in its own space (before the transformations of the objects
// around it), as the scene gives them. Plain values: a Shape is built once
// by its reader and then shared read-only by every placement of it, from
// any thread.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "sdl/transform.h"

namespace shapes {

using sdl::Transform;
using sdl::Vec3;

struct Box {
  Vec3 corner1, corner2;  // opposite corners, in any order
};

struct Sphere {
  Vec3 center;
  double radius = 1;
};

// cylinder and cone: a cylinder is a cone with equal radii.
struct Cone {
  Vec3 base, cap;
  double base_radius = 1, cap_radius = 1;
  bool open = false;  // no end caps: a surface, not a solid
};

// About the y axis, in the plane y = 0.
struct Torus {
  double major = 1, minor = 0.25;
};

struct Disc {
  Vec3 center, normal{0, 1, 0};
  double radius = 1, hole = 0;
};

// The half-space of points p with p . normal < distance * |normal|.
struct Plane {
  Vec3 normal{0, 1, 0};
  double distance = 0;
};

// (|x|^(2/e) + |y|^(2/e))^(e/n) + |z|^(2/n) <= 1.
struct Superellipsoid {
  double e = 1, n = 1;
};

// How the points of a profile make its outline.
enum class SplineKind : uint8_t { kLinear, kQuadratic, kCubic, kBezier };

// polygon: closed loops of points in one plane; a point that repeats the
// loop's first closes it.
struct Polygon {
  std::vector<Vec3> points;
};

// prism: closed loops of 2-D points (x, z) swept from height1 to height2
// along y; conic_sweep scales them towards the origin, from 0 at y = 0.
struct Prism {
  SplineKind spline = SplineKind::kLinear;
  bool conic = false;
  bool open = false;
  double height1 = 0, height2 = 1;
  std::vector<Vec3> points;  // x, z in .x and .y
};

// lathe: a 2-D outline (x = distance from the y axis, y = height) turned
// about the y axis. sor: the same with a cubic interpolation of the radius
// over the height (its first and last points only steer the curve).
struct Lathe {
  SplineKind spline = SplineKind::kLinear;
  bool sor = false;
  bool open = false;         // sor: no caps
  std::vector<Vec3> points;  // x, y in .x and .y
};

// text: glyph outlines (x, y in .x and .y of bezier control points, four
// per piece) swept from z = 0 to z = thickness: a bezier prism with y and z
// swapped.
struct Text {
  Prism outline;  // height1 0, height2 the thickness
};

// sphere_sweep: every sphere whose centre and radius follow a spline
// through the given spheres (linear_spline: straight pieces between them;
// b_spline and cubic_spline: one piece per four spheres, the uniform cubic
// B-spline or the Catmull-Rom spline).
struct SphereSweep {
  enum class Spline : uint8_t { kLinear, kBSpline, kCubic };
  Spline spline = Spline::kLinear;
  std::vector<Vec3> centers;
  std::vector<double> radii;
};

// height_field: a grid of 16-bit heights over the unit square, y = height
// / 65536 (as POV-Ray scales them): column i at x = i / (columns - 1), row j (the image's top row
// first) at z = 1 - j / (rows - 1), each cell two triangles split from
// (x0, z1) to (x1, z0). Below water_level the surface is cut away.
struct HeightField {
  int columns = 0, rows = 0;
  std::shared_ptr<const std::vector<uint16_t>> heights;  // rows * columns, shared
  bool smooth = false;
  double water_level = 0;
};

// quadric, cubic, quartic, poly and polynomial: the solid where a
// polynomial in x, y, z is below 0. Its terms in POV-Ray's order: x^i y^j
// z^k for i from the order down to 0, then j, then k, each down to 0.
struct Polynomial {
  int order = 2;
  std::vector<double> coefficients;  // (order + 1)(order + 2)(order + 3) / 6
};

// A function of a point, safe to call from any thread.
using PointFunction = std::function<double(const Vec3&)>;
// The same function at `count` points at once (xs[i], ys[i], zs[i]), its
// values into out[i]: exactly those of the PointFunction, faster where
// the points share the function's work. Safe to call from any thread.
using PointsFunction = std::function<void(const double* xs, const double* ys, const double* zs,
                                          size_t count, double* out)>;

// contained_by: the box or sphere an isosurface or a parametric is cut to.
struct Container {
  bool sphere = false;
  Vec3 corner1{-1, -1, -1}, corner2{1, 1, 1};  // the box
  Vec3 centre;                                 // the sphere
  double radius = 1;
};

// isosurface: where a function is below its threshold, inside its
// container; `open` leaves the container's faces off.
struct Isosurface {
  std::shared_ptr<const PointFunction> function;
  std::shared_ptr<const PointsFunction> function_many;  // may be null
  uint64_t function_id = 0;  // the same for functions that compute the same
  double threshold = 0;
  Container container;
  bool open = false;
  double max_gradient = 1.1;  // POV-Ray's bound on the function's slope
};

// blob: where the summed density of its components passes the threshold.
// A component's density at distance d from its centre (a sphere) or its
// axis (a cylinder, with round ends) is strength * (1 - (d / radius)^2)^2
// within its radius, measured in the component's own space.
struct BlobComponent {
  bool cylinder = false;
  Vec3 a, b;  // centre, or the axis's ends
  double radius = 1, strength = 1;
  Transform to_local;  // from the blob's space into the component's
  double scale = 1;    // the component's largest scale, for its box
};
struct Blob {
  double threshold = 1;
  std::vector<BlobComponent> components;
};

// bicubic_patch: a Bezier patch of 16 points, row by row; a surface.
// u_steps and v_steps ask for at least 2^steps rows and columns.
struct BicubicPatch {
  Vec3 points[16];
  int u_steps = 0, v_steps = 0;
};

// julia_fractal: the points whose orbit under q -> q^2 + c (or q^3 + c)
// stays within 2 for max_iteration steps, q the point in the 3-D slice of
// 4-D space, quaternion or hypercomplex.
struct JuliaFractal {
  double c[4] = {0, 0, 0, 0};
  bool hypercomplex = false;
  bool cube = false;
  int max_iteration = 20;
  double slice[4] = {0, 0, 0, 1}, distance = 0;
};

// parametric: the surface of the points (fx(u, v), fy(u, v), fz(u, v)) for
// u from u0 to u1 and v from v0 to v1, cut to its container.
using SurfaceFunction = std::function<Vec3(double u, double v)>;
struct Parametric {
  std::shared_ptr<const SurfaceFunction> point;
  uint64_t function_id = 0;  // the same for functions that compute the same
  double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  Container container;
};

// ovus: an egg on the y axis: a sphere of the bottom radius about the
// origin and one of the top radius about <0, bottom, 0>, joined by a band
// tangent to both; a top radius of twice the bottom's or more leaves the
// top sphere alone.
struct Ovus {
  double bottom = 1, top = 0.5;
};

// lemon: turned about the axis from base to cap from the arc of
// inner_radius through the rims of its end discs, bulging outwards;
// `open` leaves the discs off.
struct Lemon {
  Vec3 base, cap{0, 1, 0};
  double base_radius = 0, cap_radius = 0, inner_radius = 1;
  bool open = false;
};

using ShapeParams =
    std::variant<Box, Sphere, Cone, Torus, Disc, Plane, Superellipsoid, Polygon, Prism, Lathe, Text,
                 SphereSweep, HeightField, Polynomial, Isosurface, Blob, BicubicPatch, JuliaFractal,
                 Ovus, Lemon, Parametric>;

// The map between a text's prism (swept along y) and the text (along z).
Transform TextFrame();

struct Shape {
  ShapeParams params;
  // The kind's name as a scene names it ("sphere", "cylinder" ...).
  std::string kind;
  bool inverse = false;
};

// An axis-aligned box; empty when min > max.
struct Bounds {
  Vec3 min{HUGE_VAL, HUGE_VAL, HUGE_VAL}, max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  bool Empty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
  void Add(const Vec3& p);
  void Include(const Bounds& b);
  // The box around this one after `t`.
  Bounds Transformed(const Transform& t) const;
};

// The shape's box in its own space; infinite for a plane. The box POV-Ray's
// min_extent() and max_extent() give for it, before its transformations.
Bounds BoundsOf(const Shape& shape);
// Whether the shape has a volume to be inside of (not a disc, a polygon or
// an open cylinder): such shapes can be operands of a boolean.
bool IsSolid(const Shape& shape);
// Whether `p` (in the shape's space) is inside the shape, as POV-Ray's
// inside() answers (inverse included).
bool Inside(const Shape& shape, const Vec3& p);

}  // namespace shapes
