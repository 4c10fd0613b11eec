#include "sdl/internal_functions.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "sdl/noise.h"

namespace sdl {

namespace {

// The algebraic surfaces give their polynomial times the field strength,
// held within these bounds.
constexpr double kFieldBound = 10;

double Field(double strength, double value) {
  return std::clamp(strength * value, -kFieldBound, kFieldBound);
}

double Sq(double v) { return v * v; }

// args: x, y, z, then the extra parameters P(0) ...
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

double Bicorn(const double* a) {
  const double k = P(1), s = X * X + Z * Z, y2 = Y * Y;
  return Field(P(0), -Sq(k * k) + 4 * k * k * k * Y - 3 * k * k * y2 - 4 * k * Y * s +
                         2 * k * k * s - s * s - y2 * s);
}
double Bifolia(const double* a) {
  const double s = X * X + Z * Z;
  return Field(P(0), P(1) * Y * s - Sq(s + Y * Y));
}
double HuntSurface(const double* a) {
  const double r2 = X * X + Y * Y + Z * Z;
  return Field(P(0), -(4 * std::pow(r2 - 13, 3) + 27 * Sq(3 * X * X + Y * Y - 4 * Z * Z - 12)));
}
double HyperbolicTorus(const double* a) {
  const double big = P(1) * P(1), small = P(2) * P(2);
  return Field(P(0), -Sq(X * X + Y * Y - Z * Z) + 2 * (big + small) * (X * X - Z * Z) -
                         2 * (big - small) * Y * Y - Sq(big - small));
}
double KleinBottle(const double* a) {
  const double r2 = X * X + Y * Y + Z * Z;
  const double m = r2 - 2 * Y - 1;
  return Field(P(0), -((r2 + 2 * Y - 1) * (m * m - 8 * Z * Z) + 16 * X * Z * m));
}
double KummerV2(const double* a) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z;
  return Field(P(0), 1 - P(1) * (x2 + y2 + z2) - (x2 * x2 + y2 * y2 + z2 * z2) -
                         P(2) * (x2 * y2 + x2 * z2 + y2 * z2) - P(3) * X * Y * Z);
}
double OvalsOfCassini(const double* a) {
  const double r2 = X * X + Y * Y + Z * Z, k = P(1) * P(1);
  return Field(P(0),
               -r2 * r2 - 2 * k * Y * Y - k * (2 - P(3)) * (X * X + Z * Z) - k * k + P(2) * P(2));
}
double ParabolicTorus(const double* a) {
  const double big = P(1) * P(1), small = P(2) * P(2), s = X * X + Y * Y;
  return Field(P(0), -s * s + 2 * Z * s - Z * Z + (big + small) * (X * X - Z) -
                         (big - small) * Y * Y - Sq(big - small));
}
double Torus2(const double* a) {
  const double big = P(1) * P(1), small = P(2) * P(2);
  return Field(P(0), -Sq(X * X + Y * Y + Z * Z) + 2 * (big + small) * (X * X + Z * Z) -
                         2 * (big - small) * Y * Y - Sq(big - small));
}
double FoliumSurface(const double* a) {
  return Field(P(0), (Y * Y + Z * Z) * (1 - (4 * P(1) - P(2)) * X) + (1 + P(2)) * X * X);
}
double KampyleOfEudoxus(const double* a) {
  const double b2 = P(2) * P(2), x2 = X * X;
  return Field(P(0), b2 * x2 * x2 - P(1) * P(1) * b2 * x2 - Y * Y - Z * Z);
}
double QuarticCylinder(const double* a) {
  const double b2 = P(2) * P(2);
  return Field(P(0), P(1) * P(1) * b2 - (X * X + Z * Z) * (Y * Y + b2));
}
double Strophoid(const double* a) {
  const double c2 = P(3) * P(3);
  return Field(P(0), (X - P(2)) * (Y * Y + Z * Z) + c2 * X * X * (X + P(1)));
}
double TorusGumdrop(const double* a) {
  const double r2 = X * X + Y * Y + Z * Z;
  return Field(P(0), -4 * r2 * r2 + 20 * r2 - 17 - 9 * X * X * (Y * Y + Z * Z));
}
double WitchOfAgnesi(const double* a) { return Field(P(0), P(1) * (1 - Y) - Y * (X * X + Z * Z)); }

// Boy's surface: its polynomial, as terms c * x^i y^j z^k; those marked
// with a root of 2 are multiplied by it.
struct Term {
  double c;
  bool root2;
  int i, j, k;
};
constexpr Term kBoy[] = {
    {64, false, 0, 0, 3},    {-288, false, 0, 0, 4},  {432, false, 0, 0, 5},
    {-216, false, 0, 0, 6},  {-144, false, 0, 2, 2},  {324, false, 0, 2, 4},
    {432, true, 0, 3, 2},    {-432, true, 0, 3, 3},   {324, false, 0, 4, 1},
    {-810, false, 0, 4, 2},  {-729, false, 0, 6, 0},  {648, true, 1, 2, 3},
    {-2916, true, 1, 4, 1},  {-144, false, 2, 0, 2},  {324, false, 2, 0, 4},
    {-1296, true, 2, 1, 2},  {1296, true, 2, 1, 3},   {648, false, 2, 2, 1},
    {-1620, false, 2, 2, 2}, {-2187, false, 2, 4, 0}, {-216, true, 3, 0, 3},
    {-1944, true, 3, 2, 1},  {324, false, 4, 0, 1},   {-810, false, 4, 0, 2},
    {-2187, false, 4, 2, 0}, {972, true, 5, 0, 1},    {-729, false, 6, 0, 0},
};
double BoySurface(const double* a) {
  double sum = 0;
  for (const Term& t : kBoy) {
    sum += t.c * (t.root2 ? std::sqrt(2.0) : 1.0) * std::pow(X, t.i) * std::pow(Y, t.j) *
           std::pow(Z, t.k);
  }
  return Field(P(0), P(1) * sum);
}

// The plane curves (the _2d functions) take u = x and v = y; with their
// switch above 0 the curve turns about the y axis instead: u is the
// distance from that axis less the offset, and (u, v) turns by the angle
// (degrees) about the origin. `sor` is the index of the switch.
struct Plane {
  double u, v;
};
Plane PlanePoint(const double* a, int sor) {
  if (!(P(sor) > 0)) return {X, Y};
  const double r = std::sqrt(X * X + Z * Z) - P(sor + 1);
  const double angle = P(sor + 2) * M_PI / 180;
  const double c = std::cos(angle), s = std::sin(angle);
  return {r * c - Y * s, r * s + Y * c};
}
double DevilsCurve2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 3);
  return Field(P(0), Sq(v * v) - Sq(u * u) + P(1) * P(1) * u * u - P(2) * P(2) * v * v);
}
double FoliumSurface2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 3);
  return Field(P(0), -(v * v * (1 - (4 * P(1) - P(2)) * u) + (1 + P(2)) * u * u));
}
double KampyleOfEudoxus2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 3);
  const double b2 = P(2) * P(2);
  return Field(P(0), b2 * Sq(u * u) - P(1) * b2 * P(2) * u * u - v * v);
}
double LemniscateOfGerono2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 3);
  const double b2 = P(2) * P(2);
  return Field(P(0), -v * v + P(1) * P(1) * b2 * u * u - b2 * Sq(u * u));
}
double Piriform2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 4);
  return Field(P(0), P(3) * P(3) * (P(1) * u * u * u + P(2) * Sq(u * u)) - v * v);
}
double Strophoid2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 4);
  return Field(P(0), (u - P(2)) * v * v + P(3) * P(3) * u * u * (u + P(1)));
}
double WitchOfAgnesi2d(const double* a) {
  const auto [u, v] = PlanePoint(a, 3);
  return Field(P(0), P(2) - P(1) * P(1) * v - u * u * v);
}

// The algebraic cylinders: a plane curve times the field strength, held
// within the field limit. With a negative limit the order of the bounds
// shows: POV-Ray applies the upper one last, but first for cylinder 1.
double Limited(const double* a, double value, bool upper_first = false) {
  double v = P(0) * value;
  if (upper_first && v > P(1)) v = P(1);
  if (v < -P(1)) v = -P(1);
  if (!upper_first && v > P(1)) v = P(1);
  return v;
}
double AlgebraicCylinder1(const double* a) {
  const auto [u, v] = PlanePoint(a, 2);
  return Limited(a, v * v + std::fabs(u * u * u) - u * u, true);
}
double AlgebraicCylinder2(const double* a) {
  const auto [u, v] = PlanePoint(a, 2);
  const double u2 = u * u, v2 = v * v;
  return Limited(a, -v2 + 2 * v2 * v - v2 * v2 + 3 * u2 * v - 2 * u2 * u2);
}
double AlgebraicCylinder3(const double* a) {
  const auto [u, v] = PlanePoint(a, 2);
  const double u2 = u * u, v2 = v * v;
  return Limited(a, -v2 + u * v2 + 2 * u2 * v - u2 * v2 - u2 * u2);
}
double AlgebraicCylinder4(const double* a) {
  const auto [u, v] = PlanePoint(a, 2);
  const double u2 = u * u, v2 = v * v;
  return Limited(a, v2 * v - v2 * v2 - 3 * u2 * v - 2 * u2 * v2 - u2 * u2);
}
// A torus (radii P1, P2) moved by (P3, P4) in x and y, inverted in the
// sphere of radius P5 about the origin.
double DupinCyclid(const double* a) {
  const double big = P(1) * P(1), small = P(2) * P(2), c = P(3), d = P(4), e2 = P(5) * P(5);
  const double s = X * X + Y * Y + Z * Z;
  return Field(P(0),
               4 * big * (Sq(e2 * X - c * s) + e2 * e2 * Z * Z) -
                   Sq(e2 * e2 - 2 * e2 * (c * X + d * Y) + (c * c + d * d + big - small) * s) -
                   8 * e2 * d * (big - small) * Y * s);
}

// Two exponential blobs, at the origin and P0 along x.
double Blob2(const double* a) {
  const double k = P(1), yz = Y * Y + Z * Z;
  return P(3) - P(2) * (std::exp(-k * (X * X + yz)) + std::exp(-k * (Sq(X - P(0)) + yz)));
}

// Three ellipsoids, each drawn out along one axis by P0: the union
// (cross), the intersection or the sum (flange) of their exponential
// fields.
enum class Join { kUnion, kIntersection, kSum };
double EllipsoidsField(const double* a, Join join) {
  const double x2 = X * X, y2 = Y * Y, z2 = Z * Z, e = P(0);
  const double qx = x2 + e * (y2 + z2), qy = y2 + e * (x2 + z2), qz = z2 + e * (x2 + y2);
  const double fx = std::exp(-P(1) * qx), fy = std::exp(-P(1) * qy), fz = std::exp(-P(1) * qz);
  const double field = join == Join::kUnion          ? std::max({fx, fy, fz})
                       : join == Join::kIntersection ? std::min({fx, fy, fz})
                                                     : fx + fy + fz;
  return P(3) - P(2) * field;
}
double CrossEllipsoids(const double* a) { return EllipsoidsField(a, Join::kUnion); }
double IsectEllipsoids(const double* a) { return EllipsoidsField(a, Join::kIntersection); }
double FlangeCover(const double* a) { return EllipsoidsField(a, Join::kSum); }

// A polynomial of y: P0 + P1 y + ... + P4 y^4 (first at `from`).
double PolyOfY(const double* a, int from) {
  return P(from) + Y * (P(from + 1) + Y * (P(from + 2) + Y * (P(from + 3) + Y * P(from + 4))));
}
// The surface of revolution whose radius at y is that polynomial, held
// at -5 and above.
double Poly4(const double* a) { return std::sqrt(X * X + Z * Z) - std::max(PolyOfY(a, 0), -5.0); }
// floor(P0) tubes about the y axis, 360 / P0 degrees apart from the +z
// side, at the polynomial's distance from the axis: the distance from the
// nearest; 10000 with P0 below 1. Only the tubes about the point's angle
// and the opposite one can be nearest (the radius may be negative).
double Polytubes(const double* a) {
  if (!(P(0) >= 1)) return 10000;
  const double sector = 2 * M_PI / P(0), tubes = std::floor(P(0));
  const double radius = PolyOfY(a, 1);
  double nearest = INFINITY;
  const auto distance = [&](double k) {
    const double angle = k * sector;
    nearest =
        std::min(nearest, std::hypot(X - radius * std::sin(angle), Z - radius * std::cos(angle)));
  };
  const double angle = std::atan2(X, Z);
  for (const double base : {angle, angle + M_PI}) {
    double turn = std::fmod(base, 2 * M_PI);
    if (turn < 0) turn += 2 * M_PI;
    const double k = std::min(std::floor(turn / sector), tubes - 1);
    distance(k);
    distance(k + 1 < tubes ? k + 1 : 0);
  }
  distance(0);
  distance(tubes - 1);
  return nearest;
}

// The hexagons tiling the x-y plane, one about the origin, their centres
// sqrt(3) apart along x. The point relative to the centre of its hexagon
// (the nearest by the hexagon's measure).
Plane InHexagon(const double* a) {
  const double root3 = std::sqrt(3.0);
  const auto measure = [&](double u, double v) {
    return std::max(
        {std::fabs(u), std::fabs(u / 2 + v * root3 / 2), std::fabs(-u / 2 + v * root3 / 2)});
  };
  // Centres at i * (sqrt(3), 0) + j * (sqrt(3) / 2, 3 / 2).
  const double j0 = std::floor(Y / 1.5);
  const double i0 = std::floor((X - j0 * root3 / 2) / root3);
  Plane best{X, Y};
  double least = INFINITY;
  for (double j = j0 - 1; j <= j0 + 2; ++j) {
    for (double i = i0 - 2; i <= i0 + 2; ++i) {
      const double u = X - i * root3 - j * root3 / 2, v = Y - j * 1.5;
      const double m = measure(u, v);
      if (m < least) {
        least = m;
        best = {u, v};
      }
    }
  }
  return best;
}
// The hexagon's measure from its centre.
double HexX(const double* a) {
  const auto [u, v] = InHexagon(a);
  const double root3 = std::sqrt(3.0);
  return std::max(
      {std::fabs(u), std::fabs(u / 2 + v * root3 / 2), std::fabs(-u / 2 + v * root3 / 2)});
}
// The distance from the nearest of the three lines through the centre at
// 0, 60 and 120 degrees.
double HexY(const double* a) {
  const auto [u, v] = InHexagon(a);
  const double root3 = std::sqrt(3.0);
  return std::min({std::fabs(v), std::fabs(root3 * u - v) / 2, std::fabs(root3 * u + v) / 2});
}

// The measure of a tube's cross-section of type `type`: a square at 0, a
// circle at 1, a diamond at 2, a concave diamond at 3, between them in
// between.
double CrossSection(double u, double v, double type) {
  u = std::fabs(u);
  v = std::fabs(v);
  if (type == 0) return std::max(u, v);
  const double q = 2 / type;
  return std::pow(std::pow(u, q) + std::pow(v, q), 1 / q);
}
// P0 helixes about the y axis (period P1, minor radius P2, major radius
// P3, shape P4, cross-section P5 turned by P6 degrees).
double Helix1(const double* a) {
  const double r = std::sqrt(X * X + Z * Z);
  const double turn = 2 * M_PI / P(0);
  const double d = std::remainder(std::atan2(Z, X) - (M_PI / P(0) - P(1) * Y), turn);
  const double du = r - P(3), dv = d / P(1) / P(4);
  const double angle = P(6) * M_PI / 180;
  const double c = std::cos(angle), s = std::sin(angle);
  const double u = du * c - dv * s, v = du * s + dv * c;
  return std::min(CrossSection(u, v, P(5)), r + P(3)) - P(2);
}

// One helix about the y axis (period P1, minor radius P2, major radius
// P3, cross-section P5), its cross-section taken in the horizontal plane
// through the point. P0 and P4 are unused, and so, in POV-Ray's values,
// is the cross-section's angle P6.
double Helix2(const double* a) {
  const double r = std::sqrt(X * X + Z * Z);
  const double d = std::atan2(Z, X) - P(1) * Y;
  return CrossSection(r * std::cos(d) - P(3), r * std::sin(d), P(5)) - P(2);
}

// A flat spiral about the y axis, its windings P0 apart, its tube P1
// thick with cross-section P5, inside the sphere of radius P2; P3 and P4
// unused. The origin, where the spiral starts, counts by its distance.
// The offset from the winding is taken as POV-Ray takes it (a remainder
// with the sign of the point's); with a negative P0 POV-Ray's values are
// not all matched.
double Spiral(const double* a) {
  const double r = std::sqrt(X * X + Z * Z), spacing = P(0);
  const double winding = spacing / 2 - std::atan2(Z, X) * spacing / (2 * M_PI);
  double du = std::fmod(r - winding, spacing);
  if (du > spacing / 2) du = spacing - du;
  const double distance = std::sqrt(X * X + Y * Y + Z * Z);
  const double tube = std::min(CrossSection(du, Y, P(5)), distance) - P(1);
  return std::max(tube, distance - P(2));
}

// A field of spikes rising from the x-z plane: height P0, frequencies P1
// and P2 along x and z, dying away at the rate P3 from the centre.
double Spikes2d(const double* a) {
  return Y - P(0) * std::cos(P(1) * X) * std::cos(P(2) * Z) * std::exp(-P(3) * (X * X + Z * Z));
}

// A woven mesh: threads along x P1 apart in z and threads along z P0
// apart in x, each rising and falling by P3 over and under the others;
// P2 and P4 scale the horizontal and vertical offsets. The distance from
// the nearest of the two threads of each kind about the point.
double Mesh1(const double* a) {
  const double dx = P(0), dz = P(1), across = P(2), amplitude = P(3), up = P(4);
  double nearest = INFINITY;
  const double k0 = std::floor(Z / dz);
  for (double k = k0; k <= k0 + 1; ++k) {
    const double height = amplitude * std::cos(M_PI * X / dx) * (std::fmod(k, 2) == 0 ? 1 : -1);
    nearest = std::min(nearest, std::hypot(across * (Z - k * dz), up * (Y - height)));
  }
  const double j0 = std::floor(X / dx);
  for (double j = j0; j <= j0 + 1; ++j) {
    const double height = -amplitude * std::cos(M_PI * Z / dz) * (std::fmod(j, 2) == 0 ? 1 : -1);
    nearest = std::min(nearest, std::hypot(across * (X - j * dx), up * (Y - height)));
  }
  return nearest;
}

// A field shaped like an atomic orbital about the y axis; P0 unused.
double Quantum(const double* a) {
  const double r = std::sqrt(X * X + Y * Y + Z * Z);
  return 1.2 - 1.6 * Sq(X * X + Z * Z - 2 * Y * Y) * std::exp(-4 * r / 3);
}

// The noise functions stand on this reader's solid noise, which is of
// POV-Ray's kind (about 0.5 in 0..1) but not its numbers: POV-Ray's own
// comes from its lattice tables. Their shapes (octaves, lacunarity, gain)
// are the multifractals these functions are named after; the noise
// generator parameter picks nothing here.
double SignedNoiseAt(const Vec3& p) { return 2 * Noise(p) - 1; }
Vec3 Scaled(const Vec3& p, double s) { return {p.x * s, p.y * s, p.z * s}; }
// Octaves are counted as POV-Ray takes them: at most a few dozen matter.
int Octaves(double octaves) { return static_cast<int>(std::clamp(octaves, 0.0, 32.0)); }

double Noise3d(const double* a) { return Noise({X, Y, Z}); }

double NoiseGenerator(const double* a) { return Noise({X, Y, Z}); }

// Heterogeneous multifractal: each octave weighted by the value so far.
// P0 H, P1 lacunarity, P2 octaves, P3 offset (P4 T and P5 the generator
// change nothing here).
double HeteroMf(const double* a) {
  const double h = P(0), lacunarity = P(1), offset = P(3);
  Vec3 p{X, Y, Z};
  double value = offset + SignedNoiseAt(p);
  double frequency = 1;
  for (int i = 1; i < Octaves(P(2)); ++i) {
    p = Scaled(p, lacunarity);
    frequency *= lacunarity;
    value += (SignedNoiseAt(p) + offset) * std::pow(frequency, -h) * value;
  }
  return value;
}

// Ridged multifractal: octaves of (offset - |noise|)^2, each weighted by
// the one before times the gain. P0 H, P1 lacunarity, P2 octaves, P3
// offset, P4 gain.
double RidgedMf(const double* a) {
  const double h = P(0), lacunarity = P(1), offset = P(3), gain = P(4);
  Vec3 p{X, Y, Z};
  double signal = Sq(offset - std::fabs(SignedNoiseAt(p)));
  double value = signal, frequency = 1;
  for (int i = 1; i < Octaves(P(2)); ++i) {
    p = Scaled(p, lacunarity);
    frequency *= lacunarity;
    const double weight = std::clamp(signal * gain, 0.0, 1.0);
    signal = Sq(offset - std::fabs(SignedNoiseAt(p))) * weight;
    value += signal * std::pow(frequency, -h);
  }
  return value;
}

// Ridges: octaves of (offset - |noise|)^ridge, each lambda times finer and
// omega times weaker. P0 lambda, P1 octaves, P2 omega, P3 offset, P4 ridge.
double Ridge(const double* a) {
  const double lambda = P(0), omega = P(2), offset = P(3), ridge = P(4);
  Vec3 p{X, Y, Z};
  double value = 0, weight = 1;
  for (int i = 0; i < std::max(1, Octaves(P(1))); ++i) {
    value += std::pow(std::fabs(offset - std::fabs(SignedNoiseAt(p))), ridge) * weight;
    p = Scaled(p, lambda);
    weight *= omega;
  }
  return value;
}

#undef X
#undef Y
#undef Z
#undef P

// By number. Left out: those whose values this reader has not yet matched
// to POV-Ray's (blob 6, comma 9, enneper 18, helical_torus 24, spikes 62).
constexpr InternalFunction kFunctions[] = {
    {0, "f_algbr_cyl1", 8, 40, AlgebraicCylinder1},
    {1, "f_algbr_cyl2", 8, 40, AlgebraicCylinder2},
    {2, "f_algbr_cyl3", 8, 40, AlgebraicCylinder3},
    {3, "f_algbr_cyl4", 8, 40, AlgebraicCylinder4},
    {4, "f_bicorn", 5, 30, Bicorn},
    {5, "f_bifolia", 5, 20, Bifolia},
    {7, "f_blob2", 7, 30, Blob2},
    {8, "f_boy_surface", 5, 120, BoySurface},
    {10, "f_cross_ellipsoids", 7, 30, CrossEllipsoids},
    {11, "f_crossed_trough", 4, 16, CrossedTrough},
    {12, "f_cubic_saddle", 4, 16, CubicSaddle},
    {13, "f_cushion", 4, 40, Cushion},
    {14, "f_devils_curve", 4, 30, DevilsCurve},
    {15, "f_devils_curve_2d", 9, 40, DevilsCurve2d},
    {16, "f_dupin_cyclid", 9, 40, DupinCyclid},
    {17, "f_ellipsoid", 6, 20, Ellipsoid},
    {19, "f_flange_cover", 7, 30, FlangeCover},
    {20, "f_folium_surface", 6, 20, FoliumSurface},
    {21, "f_folium_surface_2d", 9, 40, FoliumSurface2d},
    {22, "f_glob", 4, 20, Glob},
    {23, "f_heart", 4, 30, Heart},
    {25, "f_helix1", 10, 60, Helix1},
    {26, "f_helix2", 10, 60, Helix2},
    {27, "f_hex_x", 4, 60, HexX},
    {28, "f_hex_y", 4, 60, HexY},
    {29, "f_hetero_mf", 9, 400, HeteroMf},
    {30, "f_hunt_surface", 4, 40, HuntSurface},
    {31, "f_hyperbolic_torus", 6, 30, HyperbolicTorus},
    {32, "f_isect_ellipsoids", 7, 30, IsectEllipsoids},
    {33, "f_kampyle_of_eudoxus", 6, 20, KampyleOfEudoxus},
    {34, "f_kampyle_of_eudoxus_2d", 9, 40, KampyleOfEudoxus2d},
    {35, "f_klein_bottle", 4, 40, KleinBottle},
    {36, "f_kummer_surface_v1", 4, 40, KummerV1},
    {37, "f_kummer_surface_v2", 7, 40, KummerV2},
    {38, "f_lemniscate_of_gerono", 4, 16, LemniscateOfGerono},
    {39, "f_lemniscate_of_gerono_2d", 9, 40, LemniscateOfGerono2d},
    {40, "f_mesh1", 8, 60, Mesh1},
    {41, "f_mitre", 4, 30, Mitre},
    {42, "f_nodal_cubic", 4, 16, NodalCubic},
    {43, "f_odd", 4, 40, Cushion},
    {44, "f_ovals_of_cassini", 7, 30, OvalsOfCassini},
    {45, "f_paraboloid", 4, 12, Paraboloid},
    {46, "f_parabolic_torus", 6, 30, ParabolicTorus},
    {47, "f_ph", 3, 20, Ph},
    {48, "f_pillow", 4, 30, Pillow},
    {49, "f_piriform", 4, 16, Piriform},
    {50, "f_piriform_2d", 10, 40, Piriform2d},
    {51, "f_poly4", 8, 20, Poly4},
    {52, "f_polytubes", 9, 40, Polytubes},
    {53, "f_quantum", 4, 30, Quantum},
    {54, "f_quartic_paraboloid", 4, 16, QuarticParaboloid},
    {55, "f_quartic_saddle", 4, 16, QuarticSaddle},
    {56, "f_quartic_cylinder", 6, 20, QuarticCylinder},
    {57, "f_r", 3, 10, R},
    {58, "f_ridge", 9, 400, Ridge},
    {59, "f_ridged_mf", 9, 400, RidgedMf},
    {60, "f_rounded_box", 7, 30, RoundedBox},
    {61, "f_sphere", 4, 10, Sphere},
    {63, "f_spikes_2d", 7, 30, Spikes2d},
    {64, "f_spiral", 9, 60, Spiral},
    {65, "f_steiners_roman", 4, 20, SteinersRoman},
    {66, "f_strophoid", 7, 20, Strophoid},
    {67, "f_strophoid_2d", 10, 40, Strophoid2d},
    {68, "f_superellipsoid", 5, 40, Superellipsoid},
    {69, "f_th", 3, 20, Th},
    {70, "f_torus", 5, 20, Torus},
    {71, "f_torus2", 6, 30, Torus2},
    {72, "f_torus_gumdrop", 4, 30, TorusGumdrop},
    {73, "f_umbrella", 4, 12, Umbrella},
    {74, "f_witch_of_agnesi", 5, 20, WitchOfAgnesi},
    {75, "f_witch_of_agnesi_2d", 9, 40, WitchOfAgnesi2d},
    {76, "f_noise3d", 3, 60, Noise3d},
    {78, "f_noise_generator", 4, 60, NoiseGenerator},
};

constexpr bool InOrder() {
  for (size_t i = 1; i < std::size(kFunctions); ++i) {
    if (kFunctions[i - 1].number >= kFunctions[i].number) return false;
  }
  return true;
}
static_assert(InOrder(), "kFunctions is searched by number");

}  // namespace

const InternalFunction* FindInternalFunction(int number) {
  const auto it = std::lower_bound(std::begin(kFunctions), std::end(kFunctions), number,
                                   [](const InternalFunction& f, int n) { return f.number < n; });
  return it != std::end(kFunctions) && it->number == number ? &*it : nullptr;
}

}  // namespace sdl
