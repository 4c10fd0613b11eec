#include "shapes/sphere_sweep.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace shapes {

namespace {

Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Scale(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Min(const Vec3& a, const Vec3& b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
Vec3 Max(const Vec3& a, const Vec3& b) {
  return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

// The distance from p to the box lo..hi (0 inside it).
double BoxDistance(const Vec3& p, const Vec3& lo, const Vec3& hi) {
  const double dx = std::max({lo.x - p.x, 0.0, p.x - hi.x});
  const double dy = std::max({lo.y - p.y, 0.0, p.y - hi.y});
  const double dz = std::max({lo.z - p.z, 0.0, p.z - hi.z});
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The spline matrices, rows for t^3, t^2, t, 1 against four points.
constexpr double kBSpline[4][4] = {{-1.0 / 6, 3.0 / 6, -3.0 / 6, 1.0 / 6},
                                   {3.0 / 6, -6.0 / 6, 3.0 / 6, 0},
                                   {-3.0 / 6, 0, 3.0 / 6, 0},
                                   {1.0 / 6, 4.0 / 6, 1.0 / 6, 0}};
constexpr double kCatmullRom[4][4] = {
    {-0.5, 1.5, -1.5, 0.5}, {1, -2.5, 2, -0.5}, {-0.5, 0, 0.5, 0}, {0, 1, 0, 0}};

double Horner(const double (&c)[4], double t) { return c[0] + t * (c[1] + t * (c[2] + t * c[3])); }
Vec3 Horner(const Vec3 (&c)[4], double t) {
  return Add(c[0], Scale(Add(c[1], Scale(Add(c[2], Scale(c[3], t)), t)), t));
}

}  // namespace

SweepField::SweepField(const SphereSweep& sweep) {
  const size_t n = std::min(sweep.centers.size(), sweep.radii.size());
  const bool linear = sweep.spline == SphereSweep::Spline::kLinear;
  const auto& m = sweep.spline == SphereSweep::Spline::kBSpline ? kBSpline : kCatmullRom;
  const size_t span = linear ? 2 : 4;
  for (size_t i = 0; n >= span && i + span <= n; ++i) {
    Piece piece;
    piece.linear = linear;
    if (linear) {
      piece.c[0] = sweep.centers[i];
      piece.c[1] = Sub(sweep.centers[i + 1], sweep.centers[i]);
      piece.r[0] = sweep.radii[i];
      piece.r[1] = sweep.radii[i + 1] - sweep.radii[i];
    } else {
      // Power form: coefficient of t^k is row 3 - k of the matrix.
      for (int k = 0; k < 4; ++k) {
        piece.c[k] = {};
        piece.r[k] = 0;
        for (int j = 0; j < 4; ++j) {
          piece.c[k] = Add(piece.c[k], Scale(sweep.centers[i + j], m[3 - k][j]));
          piece.r[k] += m[3 - k][j] * sweep.radii[i + j];
        }
      }
    }
    // The Bezier points of the cubic bound it.
    const Vec3* c = piece.c;
    const double* r = piece.r;
    const Vec3 b[4] = {c[0], Add(c[0], Scale(c[1], 1.0 / 3)),
                       Add(Add(c[0], Scale(c[1], 2.0 / 3)), Scale(c[2], 1.0 / 3)),
                       Add(Add(Add(c[0], c[1]), c[2]), c[3])};
    const double rb[4] = {r[0], r[0] + r[1] / 3, r[0] + 2 * r[1] / 3 + r[2] / 3,
                          r[0] + r[1] + r[2] + r[3]};
    piece.lo = piece.hi = b[0];
    for (const Vec3& v : b) piece.lo = Min(piece.lo, v), piece.hi = Max(piece.hi, v);
    piece.rmax = std::max({rb[0], rb[1], rb[2], rb[3], 0.0});
    pieces_.push_back(piece);
  }
  for (size_t i = 0; i < n; ++i) {
    const double r = std::fabs(sweep.radii[i]);
    rmax_ = std::max(rmax_, r);
    if (r > 0) rmin_ = rmin_ > 0 ? std::min(rmin_, r) : r;
  }
  order_.resize(pieces_.size());
  std::iota(order_.begin(), order_.end(), 0);
  if (!pieces_.empty()) Build(0, static_cast<int>(pieces_.size()));
}

int SweepField::Build(int first, int count) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  Node node;
  node.lo = node.hi = pieces_[order_[first]].lo;
  for (int i = first; i < first + count; ++i) {
    const Piece& p = pieces_[order_[i]];
    node.lo = Min(node.lo, p.lo);
    node.hi = Max(node.hi, p.hi);
    node.rmax = std::max(node.rmax, p.rmax);
  }
  node.first = first;
  node.count = count;
  if (count > 2) {
    const Vec3 size = Sub(node.hi, node.lo);
    const int axis = size.x >= size.y && size.x >= size.z ? 0 : size.y >= size.z ? 1 : 2;
    auto key = [&](int i) {
      const Vec3 m = Add(pieces_[i].lo, pieces_[i].hi);
      return axis == 0 ? m.x : axis == 1 ? m.y : m.z;
    };
    const int half = count / 2;
    std::nth_element(order_.begin() + first, order_.begin() + first + half,
                     order_.begin() + first + count, [&](int a, int b) { return key(a) < key(b); });
    node.left = Build(first, half);
    node.right = Build(first + half, count - half);
  }
  nodes_[index] = node;
  return index;
}

double SweepField::PieceValue(const Piece& piece, const Vec3& p) const {
  if (piece.linear) {
    // |p - c(t)| - r(t) is convex in t: its stationary point, held to 0..1.
    const Vec3 q = Sub(p, piece.c[0]);
    const Vec3& d = piece.c[1];
    const double a = Dot(d, d), b = Dot(q, d), dr = piece.r[1];
    auto at = [&](double t) {
      const Vec3 e = Sub(q, Scale(d, t));
      return std::sqrt(Dot(e, e)) - (piece.r[0] + dr * t);
    };
    if (!(a > dr * dr)) return std::min(at(0), at(1));
    const double k = std::max(0.0, a * Dot(q, q) - b * b);
    const double s = dr * std::sqrt(k / (a - dr * dr));
    return at(std::clamp((b + s) / a, 0.0, 1.0));
  }
  auto at = [&](double t) {
    const Vec3 e = Sub(p, Horner(piece.c, t));
    return std::sqrt(Dot(e, e)) - Horner(piece.r, t);
  };
  // Sampled, then the best sample's neighbourhood narrowed by golden
  // sections.
  constexpr int kSamples = 12;
  int best = 0;
  double best_value = HUGE_VAL;
  for (int i = 0; i <= kSamples; ++i) {
    const double v = at(static_cast<double>(i) / kSamples);
    if (v < best_value) best_value = v, best = i;
  }
  double lo = std::max(0, best - 1) / static_cast<double>(kSamples);
  double hi = std::min(kSamples, best + 1) / static_cast<double>(kSamples);
  constexpr double kGolden = 0.6180339887498949;
  double x1 = hi - kGolden * (hi - lo), x2 = lo + kGolden * (hi - lo);
  double f1 = at(x1), f2 = at(x2);
  for (int step = 0; step < 24; ++step) {
    if (f1 < f2) {
      hi = x2, x2 = x1, f2 = f1;
      x1 = hi - kGolden * (hi - lo);
      f1 = at(x1);
    } else {
      lo = x1, x1 = x2, f1 = f2;
      x2 = lo + kGolden * (hi - lo);
      f2 = at(x2);
    }
  }
  return std::min({best_value, f1, f2});
}

double SweepField::Value(const Vec3& p) const {
  double best = HUGE_VAL;
  if (nodes_.empty()) return best;
  int stack[64];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const Node& node = nodes_[stack[--top]];
    if (BoxDistance(p, node.lo, node.hi) - node.rmax >= best) continue;
    if (node.left < 0) {
      for (int i = node.first; i < node.first + node.count; ++i) {
        const Piece& piece = pieces_[order_[i]];
        if (BoxDistance(p, piece.lo, piece.hi) - piece.rmax >= best) continue;
        best = std::min(best, PieceValue(piece, p));
      }
      continue;
    }
    // The nearer child last, so it is looked at first.
    const Node &l = nodes_[node.left], &r = nodes_[node.right];
    const bool left_first = BoxDistance(p, l.lo, l.hi) < BoxDistance(p, r.lo, r.hi);
    stack[top++] = left_first ? node.right : node.left;
    stack[top++] = left_first ? node.left : node.right;
  }
  return best;
}

Bounds SweepField::Hull() const {
  Bounds out;
  for (const Piece& piece : pieces_) {
    out.Add(Sub(piece.lo, {piece.rmax, piece.rmax, piece.rmax}));
    out.Add(Add(piece.hi, {piece.rmax, piece.rmax, piece.rmax}));
  }
  return out;
}

double SweepField::FeatureRadius() const { return std::max(rmin_, rmax_ / 50); }

double SweepField::Area() const {
  double area = 0;
  for (const Piece& piece : pieces_) {
    double length = 0, radius = 0;
    Vec3 last = Horner(piece.c, 0);
    for (int i = 1; i <= 8; ++i) {
      const Vec3 next = Horner(piece.c, i / 8.0);
      const Vec3 step = Sub(next, last);
      length += std::sqrt(Dot(step, step));
      radius += std::fabs(Horner(piece.r, (i - 0.5) / 8)) / 8;
      last = next;
    }
    area += 2 * M_PI * radius * length + 4 * M_PI * radius * radius / pieces_.size();
  }
  return area;
}

}  // namespace shapes
