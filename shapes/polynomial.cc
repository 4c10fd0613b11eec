#include "shapes/polynomial.h"

#include <algorithm>
#include <cmath>

#include "implicit/mesher.h"

namespace shapes {

namespace {

// Evaluates one polynomial many times: its terms worked out once.
class Evaluator {
 public:
  explicit Evaluator(const Polynomial& p) : order_(std::clamp(p.order, 1, kMostOrder)) {
    const auto terms = PolynomialTerms(order_);
    for (size_t t = 0; t < terms.size() && t < p.coefficients.size(); ++t) {
      if (p.coefficients[t] != 0) terms_.push_back({terms[t], p.coefficients[t]});
    }
  }
  double operator()(const Vec3& at) const {
    double px[kMostOrder + 1], py[kMostOrder + 1], pz[kMostOrder + 1];
    px[0] = py[0] = pz[0] = 1;
    for (int n = 1; n <= order_; ++n) {
      px[n] = px[n - 1] * at.x;
      py[n] = py[n - 1] * at.y;
      pz[n] = pz[n - 1] * at.z;
    }
    double sum = 0;
    for (const Term& t : terms_) sum += t.c * px[t.e[0]] * py[t.e[1]] * pz[t.e[2]];
    return sum;
  }

 private:
  struct Term {
    std::array<int, 3> e;
    double c;
  };
  int order_;
  std::vector<Term> terms_;
};

bool Finite(const Bounds& b) {
  return !b.Empty() && std::isfinite(b.min.x) && std::isfinite(b.min.y) && std::isfinite(b.min.z) &&
         std::isfinite(b.max.x) && std::isfinite(b.max.y) && std::isfinite(b.max.z);
}

}  // namespace

std::vector<std::array<int, 3>> PolynomialTerms(int order) {
  std::vector<std::array<int, 3>> terms;
  for (int i = order; i >= 0; --i) {
    for (int j = order - i; j >= 0; --j) {
      for (int k = order - i - j; k >= 0; --k) terms.push_back({i, j, k});
    }
  }
  return terms;
}

double PolynomialValue(const Polynomial& p, const Vec3& at) { return Evaluator(p)(at); }

Bounds PolynomialBounds(const Polynomial& p) {
  Bounds infinite;
  infinite.Add({-HUGE_VAL, -HUGE_VAL, -HUGE_VAL});
  infinite.Add({HUGE_VAL, HUGE_VAL, HUGE_VAL});
  if (p.order != 2 || p.coefficients.size() < 10) return infinite;
  // x^2 xy xz x y^2 yz y z^2 z 1
  const double* c = p.coefficients.data();
  const double m[3][3] = {
      {c[0], c[1] / 2, c[2] / 2}, {c[1] / 2, c[4], c[5] / 2}, {c[2] / 2, c[5] / 2, c[7]}};
  const double b[3] = {c[3], c[6], c[8]};
  // Positive definite: every leading minor above 0.
  const double m2 = m[0][0] * m[1][1] - m[0][1] * m[1][0];
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!(m[0][0] > 0 && m2 > 0 && det > 0)) return infinite;
  double inv[3][3];
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) {
      const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, k1 = (k + 1) % 3, k2 = (k + 2) % 3;
      inv[k][r] = (m[r1][k1] * m[r2][k2] - m[r1][k2] * m[r2][k1]) / det;
    }
  }
  // The centre, where the gradient 2 M x + b is 0, and the level there.
  double centre[3];
  for (int r = 0; r < 3; ++r)
    centre[r] = -(inv[r][0] * b[0] + inv[r][1] * b[1] + inv[r][2] * b[2]) / 2;
  double quad = 0;
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) quad += centre[r] * m[r][k] * centre[k];
  }
  const double level = quad - c[9];  // x' M x' <= level about the centre
  Bounds out;
  if (!(level > 0)) return out;
  const double h[3] = {std::sqrt(level * inv[0][0]), std::sqrt(level * inv[1][1]),
                       std::sqrt(level * inv[2][2])};
  out.Add({centre[0] - h[0], centre[1] - h[1], centre[2] - h[2]});
  out.Add({centre[0] + h[0], centre[1] + h[1], centre[2] + h[2]});
  return out;
}

QuadricForm FormOf(const Polynomial& p) {
  QuadricForm form;
  if (p.order != 2 || p.coefficients.size() < 10) return form;
  std::vector<double> c = p.coefficients;
  // x^2 xy xz x y^2 yz y z^2 z 1: no mixed terms.
  if (c[1] != 0 || c[2] != 0 || c[5] != 0) return form;
  const double squares[3] = {c[0], c[4], c[7]}, linear[3] = {c[3], c[6], c[8]};
  // Below 0 outside a closed form: the same form, inverted.
  const bool negative =
      std::all_of(std::begin(squares), std::end(squares), [](double a) { return a <= 0; });
  const double sign = negative ? -1 : 1;
  int zero = -1, zeros = 0;
  double centre[3] = {0, 0, 0}, level = -sign * c[9];
  for (int k = 0; k < 3; ++k) {
    const double a = sign * squares[k], b = sign * linear[k];
    if (a == 0) {
      if (b != 0) return form;  // a paraboloid
      zero = k;
      ++zeros;
      continue;
    }
    if (!(a > 0)) return form;
    centre[k] = -b / (2 * a);
    level += a * centre[k] * centre[k];
  }
  if (zeros > 1 || !(level > 0)) return form;
  double radii[3] = {1, 1, 1};
  for (int k = 0; k < 3; ++k) {
    if (k != zero) radii[k] = std::sqrt(level / (sign * squares[k]));
  }
  form.kind = zeros == 0 ? QuadricForm::Kind::kEllipsoid : QuadricForm::Kind::kCylinder;
  form.axis = zero < 0 ? 0 : zero;
  form.centre = {centre[0], centre[1], centre[2]};
  form.radii = {radii[0], radii[1], radii[2]};
  form.inverse = negative;
  return form;
}

int PolynomialCells(double tolerance) {
  const double t = std::clamp(std::isfinite(tolerance) ? tolerance : 0.005, 1e-6, 0.5);
  return static_cast<int>(std::clamp(std::ceil(2 / std::sqrt(t)), 12.0, 128.0));
}

namespace {

// The zero of `value` over `domain`, closed by the domain's faces or not.
void MeshOver(const Evaluator& value, const Bounds& domain, int cells, bool closed,
              implicit::Surface& surface) {
  const Vec3 lo = domain.min, hi = domain.max;
  const double size = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z});
  const double cell = size / cells;
  // Below 0 inside the polynomial (and, closed, inside the domain).
  const auto field = [&](const Vec3& q) {
    if (!closed) return value(q);
    const double outside =
        std::max({lo.x - q.x, q.x - hi.x, lo.y - q.y, q.y - hi.y, lo.z - q.z, q.z - hi.z});
    return std::max(value(q), outside);
  };
  implicit::Grid grid;
  grid.min = {lo.x - cell, lo.y - cell, lo.z - cell};
  grid.max = {hi.x + cell, hi.y + cell, hi.z + cell};
  grid.cell = cell;
  constexpr int64_t kMostTriangles = 8'000'000;
  implicit::MeshSurface(field, grid, kMostTriangles, surface);
}

}  // namespace

void PolynomialMesh(const Polynomial& p, const Bounds& domain, double tolerance, bool closed,
                    MeshBuilder& out) {
  if (!Finite(domain)) return;
  const double size = std::max(
      {domain.max.x - domain.min.x, domain.max.y - domain.min.y, domain.max.z - domain.min.z});
  if (!(size > 0)) return;
  const Evaluator value(p);
  Bounds where = domain;
  if (!closed) {
    // Where a coarse look finds the surface, grown by two of its cells.
    constexpr int kCoarse = 32;
    implicit::Surface coarse;
    MeshOver(value, domain, kCoarse, false, coarse);
    Bounds found;
    for (const Vec3& v : coarse.positions) found.Add(v);
    if (found.Empty()) return;
    const double margin = 2 * size / kCoarse;
    where.min = {std::max(domain.min.x, found.min.x - margin),
                 std::max(domain.min.y, found.min.y - margin),
                 std::max(domain.min.z, found.min.z - margin)};
    where.max = {std::min(domain.max.x, found.max.x + margin),
                 std::min(domain.max.y, found.max.y + margin),
                 std::min(domain.max.z, found.max.z + margin)};
  }
  implicit::Surface surface;
  MeshOver(value, where, PolynomialCells(tolerance), closed, surface);
  const double extent =
      std::max({where.max.x - where.min.x, where.max.y - where.min.y, where.max.z - where.min.z});
  out.Surface(std::move(surface), std::clamp(tolerance, 1e-6, 0.5) * extent * 0.25);
}

}  // namespace shapes
