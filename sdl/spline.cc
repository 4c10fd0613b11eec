#include "sdl/spline.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace sdl {

namespace {

using Point = std::array<double, 5>;

// The piece [t[i], t[i + 1]] that holds `at`, for at within the points.
size_t Piece(const std::vector<double>& t, double at) {
  const auto it = std::upper_bound(t.begin(), t.end(), at);
  size_t i = it == t.begin() ? 0 : static_cast<size_t>(it - t.begin()) - 1;
  return std::min(i, t.size() - 2);
}

}  // namespace

void Spline::Finish() {
  std::vector<size_t> order(t.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return t[a] < t[b]; });
  std::vector<double> sorted_t;
  std::vector<Point> sorted_point;
  for (size_t i : order) {
    sorted_t.push_back(t[i]);
    sorted_point.push_back(point[i]);
  }
  t = std::move(sorted_t);
  point = std::move(sorted_point);
  second.clear();
  const size_t n = t.size();
  if (kind != Kind::kNatural || n < 3) return;
  // The natural cubic: second derivatives 0 at both ends, a tridiagonal
  // system solved for each component.
  second.assign(n, Point{});
  std::vector<double> c(n, 0);
  std::vector<Point> d(n, Point{});
  for (size_t i = 1; i + 1 < n; ++i) {
    const double h0 = t[i] - t[i - 1], h1 = t[i + 1] - t[i];
    const double diagonal = 2 * (h0 + h1) - h0 * c[i - 1];
    c[i] = h1 / diagonal;
    for (int k = 0; k < 5; ++k) {
      const double rhs =
          6 * ((point[i + 1][k] - point[i][k]) / h1 - (point[i][k] - point[i - 1][k]) / h0);
      d[i][k] = (rhs - h0 * d[i - 1][k]) / diagonal;
    }
  }
  for (size_t i = n - 1; i-- > 1;) {
    for (int k = 0; k < 5; ++k) second[i][k] = d[i][k] - c[i] * second[i + 1][k];
  }
}

void Spline::Evaluate(double at, double out[5]) const {
  const size_t n = t.size();
  if (n == 0) {
    std::fill(out, out + 5, 0.0);
    return;
  }
  if (n == 1) {
    std::copy(point[0].begin(), point[0].end(), out);
    return;
  }
  if (kind == Kind::kCubic && n >= 4) {
    // Held at the second and last-but-one points outside them.
    if (at <= t[1]) {
      std::copy(point[1].begin(), point[1].end(), out);
      return;
    }
    if (at >= t[n - 2]) {
      std::copy(point[n - 2].begin(), point[n - 2].end(), out);
      return;
    }
    const size_t i = std::clamp<size_t>(Piece(t, at), 1, n - 3);
    const double h = t[i + 1] - t[i], u = (at - t[i]) / h;
    const double h00 = 2 * u * u * u - 3 * u * u + 1, h10 = u * u * u - 2 * u * u + u;
    const double h01 = -2 * u * u * u + 3 * u * u, h11 = u * u * u - u * u;
    for (int k = 0; k < 5; ++k) {
      const double s0 = (point[i][k] - point[i - 1][k]) / (t[i] - t[i - 1]);
      const double s1 = (point[i + 1][k] - point[i][k]) / h;
      const double s2 = (point[i + 2][k] - point[i + 1][k]) / (t[i + 2] - t[i + 1]);
      out[k] = h00 * point[i][k] + h10 * (s0 + s1) / 2 * h + h01 * point[i + 1][k] +
               h11 * (s1 + s2) / 2 * h;
    }
    return;
  }
  const double clamped = std::clamp(at, t.front(), t.back());
  const size_t i = Piece(t, clamped);
  const double h = t[i + 1] - t[i];
  if (kind == Kind::kNatural && !second.empty()) {
    const double a = t[i + 1] - clamped, b = clamped - t[i];
    for (int k = 0; k < 5; ++k) {
      out[k] = second[i][k] * a * a * a / (6 * h) + second[i + 1][k] * b * b * b / (6 * h) +
               (point[i][k] / h - second[i][k] * h / 6) * a +
               (point[i + 1][k] / h - second[i + 1][k] * h / 6) * b;
    }
    return;
  }
  if (kind == Kind::kQuadratic && n >= 3) {
    // The parabola through the piece's ends and the point before it (the
    // first piece takes the point after it).
    const size_t a = i == 0 ? 0 : i - 1, b = a + 1, c = a + 2;
    const double la = (clamped - t[b]) * (clamped - t[c]) / ((t[a] - t[b]) * (t[a] - t[c]));
    const double lb = (clamped - t[a]) * (clamped - t[c]) / ((t[b] - t[a]) * (t[b] - t[c]));
    const double lc = (clamped - t[a]) * (clamped - t[b]) / ((t[c] - t[a]) * (t[c] - t[b]));
    if (std::isfinite(la) && std::isfinite(lb) && std::isfinite(lc)) {
      for (int k = 0; k < 5; ++k) out[k] = la * point[a][k] + lb * point[b][k] + lc * point[c][k];
      return;
    }
  }
  const double u = h > 0 ? (clamped - t[i]) / h : 0;
  for (int k = 0; k < 5; ++k) out[k] = point[i][k] + (point[i + 1][k] - point[i][k]) * u;
}

}  // namespace sdl
