#include "sdl/internal_functions.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace sdl {

namespace {

// The algebraic surfaces give their polynomial times the field strength,
// held within these bounds.
constexpr double kFieldBound = 10;

double Field(double strength, double value) {
  return std::clamp(strength * value, -kFieldBound, kFieldBound);
}

double Sq(double v) { return v * v; }

// args: x, y, z, then the extra parameters p[0] ...
#define X a[0]
#define Y a[1]
#define Z a[2]
#define P(i) a[3 + (i)]

double Sphere(const double* a) { return std::sqrt(X * X + Y * Y + Z * Z) - P(0); }

double RoundedBox(const double* a) {
  const double r = P(0);
  const double dx = std::max(std::fabs(X) - (P(1) - r), 0.0);
  const double dy = std::max(std::fabs(Y) - (P(2) - r), 0.0);
  const double dz = std::max(std::fabs(Z) - (P(3) - r), 0.0);
  // POV-Ray's box stands 1e-6 further out.
  return std::sqrt(dx * dx + dy * dy + dz * dz) - r - 1e-6;
}

double Torus(const double* a) {
  return std::sqrt(Sq(std::sqrt(X * X + Z * Z) - P(0)) + Y * Y) - P(1);
}

double Ellipsoid(const double* a) { return std::sqrt(Sq(X * P(0)) + Sq(Y * P(1)) + Sq(Z * P(2))); }

double Superellipsoid(const double* a) {
  const double e = P(0), n = P(1);
  return 1 -
         std::pow(std::pow(std::pow(std::fabs(X), 2 / e) + std::pow(std::fabs(Y), 2 / e), e / n) +
                      std::pow(std::fabs(Z), 2 / n),
                  n / 2);
}

double R(const double* a) { return std::sqrt(X * X + Y * Y + Z * Z); }
double Th(const double* a) { return std::atan2(X, Z); }
double Ph(const double* a) { return std::acos(Y / std::sqrt(X * X + Y * Y + Z * Z)); }

double CrossedTrough(const double* a) { return Field(P(0), X * X * Z * Z - Y); }
double CubicSaddle(const double* a) { return Field(P(0), Z + Y * Y * Y - X * X * X); }
double Cushion(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), -2 * z2 + 2 * z2 * Z - z2 * z2 + y2 + 2 * y2 * Z - y2 * z2 - y2 * y2 + x2 +
                         x2 * z2 - 2 * x2 * y2 - x2 * x2);
}
double DevilsCurve(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), -z2 * z2 - 0.25 * y2 + y2 * y2 + 0.36 * x2 - 2 * x2 * z2 - x2 * x2);
}
double Glob(const double* a) {
  const double x4 = Sq(X * X);
  return Field(P(0), -Z * Z - Y * Y + 0.5 * x4 + 0.5 * x4 * X);
}
double Heart(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z, z3 = z2 * Z;
  return Field(P(0), -std::pow(2 * x2 + y2 + z2 - 1, 3) + 0.1 * x2 * z3 + y2 * z3);
}
double KummerV1(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), -1 + z2 - z2 * z2 + y2 + y2 * z2 - y2 * y2 + x2 + x2 * z2 + x2 * y2 - x2 * x2);
}
double LemniscateOfGerono(const double* a) {
  const double x2 = X * X;
  return Field(P(0), -Z * Z - Y * Y + x2 - x2 * x2);
}
double Mitre(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), y2 - y2 * z2 - y2 * y2 - 4 * x2 * z2 - 4 * x2 * y2 - 4 * x2 * x2);
}
double NodalCubic(const double* a) { return Field(P(0), -Z * Z * Z + 6 * Y * Z - Y * Y * Y); }
double Paraboloid(const double* a) { return Field(P(0), -Z * Z + Y - X * X); }
double Pillow(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), -z2 + z2 * z2 - y2 + y2 * y2 - x2 + x2 * x2);
}
double Piriform(const double* a) {
  const double x3 = X * X * X;
  return Field(P(0), Z * Z + Y * Y - x3 + x3 * X);
}
double QuarticParaboloid(const double* a) { return Field(P(0), -Sq(Z * Z) + Y - Sq(X * X)); }
double QuarticSaddle(const double* a) { return Field(P(0), Sq(Z * Z) + Y - Sq(X * X)); }
double SteinersRoman(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), -y2 * z2 - X * Y * Z - x2 * z2 - x2 * y2);
}
double Umbrella(const double* a) { return Field(P(0), Y * Z * Z - X * X); }

#undef X
#undef Y
#undef Z
#undef P

// By number; those built on noise (hetero_mf 29, ridge 58, ridged_mf 59,
// noise3d 76, noise_generator 78) are left out.
constexpr InternalFunction kFunctions[] = {
    {11, "f_crossed_trough", 4, 16, CrossedTrough},
    {12, "f_cubic_saddle", 4, 16, CubicSaddle},
    {13, "f_cushion", 4, 40, Cushion},
    {14, "f_devils_curve", 4, 30, DevilsCurve},
    {17, "f_ellipsoid", 6, 20, Ellipsoid},
    {22, "f_glob", 4, 20, Glob},
    {23, "f_heart", 4, 30, Heart},
    {36, "f_kummer_surface_v1", 4, 40, KummerV1},
    {38, "f_lemniscate_of_gerono", 4, 16, LemniscateOfGerono},
    {41, "f_mitre", 4, 30, Mitre},
    {42, "f_nodal_cubic", 4, 16, NodalCubic},
    {43, "f_odd", 4, 40, Cushion},
    {45, "f_paraboloid", 4, 12, Paraboloid},
    {47, "f_ph", 3, 20, Ph},
    {48, "f_pillow", 4, 30, Pillow},
    {49, "f_piriform", 4, 16, Piriform},
    {54, "f_quartic_paraboloid", 4, 16, QuarticParaboloid},
    {55, "f_quartic_saddle", 4, 16, QuarticSaddle},
    {57, "f_r", 3, 10, R},
    {60, "f_rounded_box", 7, 30, RoundedBox},
    {61, "f_sphere", 4, 10, Sphere},
    {65, "f_steiners_roman", 4, 20, SteinersRoman},
    {68, "f_superellipsoid", 5, 40, Superellipsoid},
    {69, "f_th", 3, 20, Th},
    {70, "f_torus", 5, 20, Torus},
    {73, "f_umbrella", 4, 12, Umbrella},
};

}  // namespace

const InternalFunction* FindInternalFunction(int number) {
  const auto it = std::lower_bound(std::begin(kFunctions), std::end(kFunctions), number,
                                   [](const InternalFunction& f, int n) { return f.number < n; });
  return it != std::end(kFunctions) && it->number == number ? &*it : nullptr;
}

}  // namespace sdl
