#include "shapes/julia.h"

#include <algorithm>
#include <cmath>

#include "implicit/mesher.h"

namespace shapes {

namespace {

// The 4-D point of the slice for a 3-D point: x, y, z along the first
// three axes of the slice's frame, the slice's distance along its normal.
void Lift(const JuliaFractal& j, const Vec3& p, double q[4]) {
  double n[4] = {j.slice[0], j.slice[1], j.slice[2], j.slice[3]};
  double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2] + n[3] * n[3]);
  if (!(l > 0)) {
    n[0] = n[1] = n[2] = 0;
    n[3] = l = 1;
  }
  for (double& v : n) v /= l;
  // The frame: the unit axes made square to the normal, in order, the one
  // nearest the normal left out.
  int skip = 0;
  for (int k = 1; k < 4; ++k) {
    if (std::fabs(n[k]) > std::fabs(n[skip])) skip = k;
  }
  double frame[3][4];
  int made = 0;
  for (int k = 0; k < 4 && made < 3; ++k) {
    if (k == skip) continue;
    double e[4] = {0, 0, 0, 0};
    e[k] = 1;
    const double along = e[k] * n[k];
    for (int i = 0; i < 4; ++i) e[i] -= along * n[i];
    for (int m = 0; m < made; ++m) {
      double dot = 0;
      for (int i = 0; i < 4; ++i) dot += e[i] * frame[m][i];
      for (int i = 0; i < 4; ++i) e[i] -= dot * frame[m][i];
    }
    double el = 0;
    for (double v : e) el += v * v;
    el = std::sqrt(el);
    for (int i = 0; i < 4; ++i) frame[made][i] = e[i] / el;
    ++made;
  }
  const double xyz[3] = {p.x, p.y, p.z};
  for (int i = 0; i < 4; ++i) {
    q[i] = j.distance * n[i];
    for (int k = 0; k < 3; ++k) q[i] += xyz[k] * frame[k][i];
  }
}

// q * q for quaternions: (a, b, c, d)^2.
void QuaternionSquare(double q[4]) {
  const double a = q[0], b = q[1], c = q[2], d = q[3];
  q[0] = a * a - b * b - c * c - d * d;
  q[1] = 2 * a * b;
  q[2] = 2 * a * c;
  q[3] = 2 * a * d;
}

void QuaternionCube(double q[4]) {
  const double a = q[0], v = q[1] * q[1] + q[2] * q[2] + q[3] * q[3];
  const double f = 3 * a * a - v;
  q[0] = a * a * a - 3 * a * v;
  q[1] *= f;
  q[2] *= f;
  q[3] *= f;
}

// Hypercomplex numbers multiply as the pair of complex numbers
// (r - k) + (i + j)i and (r + k) + (i - j)i, each on its own.
void Hypercomplex(double q[4], bool cube) {
  auto power = [cube](double& re, double& im) {
    const double r2 = re * re - im * im, i2 = 2 * re * im;
    if (cube) {
      const double r3 = r2 * re - i2 * im, i3 = r2 * im + i2 * re;
      re = r3;
      im = i3;
    } else {
      re = r2;
      im = i2;
    }
  };
  double a_re = q[0] - q[3], a_im = q[1] + q[2];
  double b_re = q[0] + q[3], b_im = q[1] - q[2];
  power(a_re, a_im);
  power(b_re, b_im);
  q[0] = (a_re + b_re) / 2;
  q[3] = (b_re - a_re) / 2;
  q[1] = (a_im + b_im) / 2;
  q[2] = (a_im - b_im) / 2;
}

}  // namespace

bool InsideJulia(const JuliaFractal& j, const Vec3& p) {
  double q[4];
  Lift(j, p, q);
  // As POV-Ray counts: each step first asks whether the orbit has left
  // (|q|^2 > 4), so the last step's result is not looked at.
  for (int n = 0; n < j.max_iteration; ++n) {
    if (q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3] > 4) return false;
    if (j.hypercomplex) {
      Hypercomplex(q, j.cube);
    } else if (j.cube) {
      QuaternionCube(q);
    } else {
      QuaternionSquare(q);
    }
    for (int i = 0; i < 4; ++i) q[i] += j.c[i];
  }
  return true;
}

Bounds JuliaBounds(const JuliaFractal& j) {
  const double r =
      1 + std::sqrt(j.c[0] * j.c[0] + j.c[1] * j.c[1] + j.c[2] * j.c[2] + j.c[3] * j.c[3]);
  Bounds out;
  out.Add({-r, -r, -r});
  out.Add({r, r, r});
  return out;
}

int JuliaCells(double tolerance) {
  const double t = std::clamp(std::isfinite(tolerance) ? tolerance : 0.005, 1e-6, 0.5);
  return static_cast<int>(std::clamp(std::ceil(9 / std::sqrt(t)), 16.0, 160.0));
}

void JuliaMesh(const JuliaFractal& j, double tolerance, MeshBuilder& out) {
  const Bounds box = JuliaBounds(j);
  const double size = box.max.x - box.min.x;
  const double cell = size / JuliaCells(tolerance);
  implicit::Grid grid;
  grid.min = {box.min.x - cell, box.min.y - cell, box.min.z - cell};
  grid.max = {box.max.x + cell, box.max.y + cell, box.max.z + cell};
  grid.cell = cell;
  // Crossings to a thousandth of a cell: the surface is only as exact
  // as the cells (its normals come from the faces), and each halving is
  // a full orbit at the point.
  grid.precision = 1e-3;
  grid.gradient_normals = false;
  implicit::Surface surface;
  constexpr int64_t kMostTriangles = 4'000'000;
  implicit::MeshSurface([&j](const Vec3& p) { return InsideJulia(j, p) ? -1.0 : 1.0; }, grid,
                        kMostTriangles, surface);
  // Normals from a field that only says inside or outside are poor: the
  // faces' own, averaged, serve better.
  implicit::NormalsFromFaces(surface);
  out.Surface(std::move(surface), std::clamp(tolerance, 1e-6, 0.5) * size * 0.1);
}

}  // namespace shapes
