#include "implicit/mesher.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace implicit {

namespace {

// Corners of a cell by bits: 1 = +x, 2 = +y, 4 = +z. The six tetrahedra
// run from corner 0 to corner 7 through one corner of each dimension, so
// every edge joins a corner to one whose bits include its own.
constexpr int kTetrahedra[6][4] = {{0, 1, 3, 7}, {0, 1, 5, 7}, {0, 2, 3, 7},
                                   {0, 2, 6, 7}, {0, 4, 5, 7}, {0, 4, 6, 7}};
// Corners are keyed by 20 bits per axis, edges by that key and 3 bits more.
constexpr int64_t kMaxCellsPerAxis = (1 << 20) - 2;

Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Scale(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
bool Inside(double value) { return value < 0; }  // NaN counts as outside

class Mesher {
 public:
  Mesher(const Field& field, const Grid& grid, int64_t max_triangles, Surface& out)
      : field_(field), grid_(grid), max_triangles_(max_triangles), out_(out) {
    const double size[3] = {grid.max.x - grid.min.x, grid.max.y - grid.min.y,
                            grid.max.z - grid.min.z};
    cell_ = grid.cell;
    for (double s : size) cell_ = std::max(cell_, s / kMaxCellsPerAxis);
    for (int a = 0; a < 3; ++a) {
      count_[a] = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(size[a] / cell_)));
    }
  }

  MeshStats Run() {
    out_ = Surface();
    if (!(cell_ > 0) || !std::isfinite(cell_)) return stats_;
    if (grid_.lipschitz > 0 || grid_.may_cross) {
      const int64_t lo[3] = {0, 0, 0};
      Visit(lo, count_);
    } else {
      Dense();
    }
    return stats_;
  }

 private:
  Vec3 Point(int64_t i, int64_t j, int64_t k) const {
    return {grid_.min.x + i * cell_, grid_.min.y + j * cell_, grid_.min.z + k * cell_};
  }
  static uint64_t Key(int64_t i, int64_t j, int64_t k) {
    return static_cast<uint64_t>(i) | static_cast<uint64_t>(j) << 20 |
           static_cast<uint64_t>(k) << 40;
  }
  double Evaluate(const Vec3& p) {
    ++stats_.evaluations;
    return field_(p);
  }
  double CornerValue(int64_t i, int64_t j, int64_t k) {
    auto [it, added] = corners_.try_emplace(Key(i, j, k), 0.0);
    if (added) it->second = Evaluate(Point(i, j, k));
    return it->second;
  }

  // Cells lo..hi (exclusive): split in halves until single cells, skipping
  // blocks the slope bound clears.
  void Visit(const int64_t lo[3], const int64_t hi[3]) {
    if (stats_.stopped) return;
    const int64_t size[3] = {hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]};
    if (size[0] == 1 && size[1] == 1 && size[2] == 1) {
      Cell(lo[0], lo[1], lo[2]);
      return;
    }
    if (grid_.may_cross &&
        !grid_.may_cross(Point(lo[0], lo[1], lo[2]), Point(hi[0], hi[1], hi[2]))) {
      return;
    }
    if (grid_.lipschitz > 0) {
      const Vec3 centre = Point(lo[0], lo[1], lo[2]);
      const Vec3 half = Scale({static_cast<double>(size[0]), static_cast<double>(size[1]),
                               static_cast<double>(size[2])},
                              0.5 * cell_);
      const double value = Evaluate(Add(centre, half));
      if (std::fabs(value) > grid_.lipschitz * std::sqrt(Dot(half, half)) * 1.0001) return;
    }
    int64_t mid[3];
    for (int a = 0; a < 3; ++a) mid[a] = size[a] > 1 ? lo[a] + size[a] / 2 : hi[a];
    for (int part = 0; part < 8; ++part) {
      int64_t clo[3], chi[3];
      bool empty = false;
      for (int a = 0; a < 3; ++a) {
        const bool upper = part >> a & 1;
        clo[a] = upper ? mid[a] : lo[a];
        chi[a] = upper ? hi[a] : mid[a];
        empty |= clo[a] >= chi[a];
      }
      if (!empty) Visit(clo, chi);
    }
  }

  // Without a slope bound every cell is looked at: all corners' values
  // first, the two halves of the grid by two threads when it is large (the
  // field may be called from any thread: its own rule), then the cells.
  void Dense() {
    const int64_t nx = count_[0] + 1, ny = count_[1] + 1, nz = count_[2] + 1;
    constexpr int64_t kMostCorners = 8'000'000;
    if (nx * ny * nz > kMostCorners) {
      stats_.stopped = true;  // a grid this fine wants a slope bound
      return;
    }
    std::vector<double> values(static_cast<size_t>(nx * ny * nz));
    auto layers = [&](int64_t from, int64_t to) {
      if (grid_.many) {
        // A row of corners per call, their coordinates as Point makes them.
        std::vector<double> xs(static_cast<size_t>(nx)), ys(xs.size()), zs(xs.size());
        for (int64_t i = 0; i < nx; ++i) xs[static_cast<size_t>(i)] = Point(i, 0, 0).x;
        for (int64_t k = from; k < to; ++k) {
          for (int64_t j = 0; j < ny; ++j) {
            const Vec3 start = Point(0, j, k);
            std::fill(ys.begin(), ys.end(), start.y);
            std::fill(zs.begin(), zs.end(), start.z);
            grid_.many(xs.data(), ys.data(), zs.data(), xs.size(),
                       &values[static_cast<size_t>((k * ny + j) * nx)]);
          }
        }
        return;
      }
      for (int64_t k = from; k < to; ++k) {
        for (int64_t j = 0; j < ny; ++j) {
          for (int64_t i = 0; i < nx; ++i) {
            values[static_cast<size_t>((k * ny + j) * nx + i)] = field_(Point(i, j, k));
          }
        }
      }
    };
    stats_.evaluations += nx * ny * nz;
    bool shared = false;
    if (nx * ny * nz >= 4096) {
      try {
        std::thread other([&] { layers(nz / 2, nz); });
        layers(0, nz / 2);
        other.join();
        shared = true;
      } catch (const std::system_error&) {
        // No second thread to be had: this one does it all.
      }
    }
    if (!shared) layers(0, nz);
    for (int64_t k = 0; k < count_[2] && !stats_.stopped; ++k) {
      for (int64_t j = 0; j < count_[1] && !stats_.stopped; ++j) {
        for (int64_t i = 0; i < count_[0] && !stats_.stopped; ++i) {
          double value[8];
          for (int c = 0; c < 8; ++c) {
            value[c] = values[static_cast<size_t>(
                ((k + (c >> 2 & 1)) * ny + j + (c >> 1 & 1)) * nx + i + (c & 1))];
          }
          Cell(i, j, k, value);
        }
      }
    }
  }

  void Cell(int64_t i, int64_t j, int64_t k) {
    double value[8];
    for (int c = 0; c < 8; ++c)
      value[c] = CornerValue(i + (c & 1), j + (c >> 1 & 1), k + (c >> 2 & 1));
    Cell(i, j, k, value);
  }

  void Cell(int64_t i, int64_t j, int64_t k, const double value[8]) {
    // The corners and crossings kept grow with the cells looked at: bounded.
    constexpr int64_t kMostCells = 6'000'000;
    if (++stats_.cells >= kMostCells) stats_.stopped = true;
    if (stats_.cells % 4096 == 0 && grid_.stop && grid_.stop()) stats_.stopped = true;
    int inside = 0;
    for (int c = 0; c < 8; ++c) inside += Inside(value[c]);
    if (inside == 0 || inside == 8) return;
    for (const auto& tet : kTetrahedra) Tetrahedron(i, j, k, tet, value);
  }

  void Tetrahedron(int64_t i, int64_t j, int64_t k, const int (&tet)[4], const double value[8]) {
    int in[4], out[4], n_in = 0, n_out = 0;
    for (int c : tet) (Inside(value[c]) ? in[n_in++] : out[n_out++]) = c;
    if (n_in == 0 || n_out == 0) return;
    auto vertex = [&](int a, int b) { return EdgeVertex(i, j, k, a, b, value[a], value[b]); };
    // Faces are turned by the midpoints of their edges, which the cube's
    // corners fix exactly: the vertices themselves may meet at a corner.
    auto corner = [&](int c) {
      return Vec3{(c & 1) * 1.0, (c >> 1 & 1) * 1.0, (c >> 2 & 1) * 1.0};
    };
    auto middle = [&](int a, int b) { return Scale(Add(corner(a), corner(b)), 0.5); };
    Vec3 in_mean{}, out_mean{};
    for (int a = 0; a < n_in; ++a) in_mean = Add(in_mean, Scale(corner(in[a]), 1.0 / n_in));
    for (int a = 0; a < n_out; ++a) out_mean = Add(out_mean, Scale(corner(out[a]), 1.0 / n_out));
    const Vec3 outwards = Sub(out_mean, in_mean);
    auto turned = [&](const Vec3& a, const Vec3& b, const Vec3& c) {
      return Dot(Cross(Sub(b, a), Sub(c, a)), outwards) < 0;
    };
    if (n_in == 1 || n_out == 1) {
      const int lone = n_in == 1 ? in[0] : out[0];
      const int* others = n_in == 1 ? out : in;
      const bool flip =
          turned(middle(lone, others[0]), middle(lone, others[1]), middle(lone, others[2]));
      Emit(vertex(lone, others[0]), vertex(lone, others[1]), vertex(lone, others[2]), flip);
      return;
    }
    // Two in, two out: the quad through the four edges that cross, in order.
    const bool flip = turned(middle(in[0], out[0]), middle(in[0], out[1]), middle(in[1], out[1]));
    const uint32_t q0 = vertex(in[0], out[0]), q1 = vertex(in[0], out[1]);
    const uint32_t q2 = vertex(in[1], out[1]), q3 = vertex(in[1], out[0]);
    Emit(q0, q1, q2, flip);
    Emit(q0, q2, q3, flip);
  }

  void Emit(uint32_t a, uint32_t b, uint32_t c, bool flip) {
    if (a == b || b == c || a == c) return;
    if (static_cast<int64_t>(out_.triangles.size()) >= max_triangles_) {
      stats_.stopped = true;
      return;
    }
    out_.triangles.push_back(flip ? std::array<uint32_t, 3>{a, c, b}
                                  : std::array<uint32_t, 3>{a, b, c});
  }

  // The vertex where the surface crosses the edge between corners a and b
  // of cell (i, j, k), made once per edge.
  uint32_t EdgeVertex(int64_t i, int64_t j, int64_t k, int a, int b, double va, double vb) {
    if ((a & b) != a) {
      std::swap(a, b);
      std::swap(va, vb);
    }
    const uint64_t key = Key(i + (a & 1), j + (a >> 1 & 1), k + (a >> 2 & 1)) * 8 + (a ^ b);
    auto [it, added] = edges_.try_emplace(key, 0u);
    if (!added) return it->second;
    const Vec3 base = Point(i, j, k);
    const Vec3 pa = Add(base, Vec3{(a & 1) * cell_, (a >> 1 & 1) * cell_, (a >> 2 & 1) * cell_});
    const Vec3 pb = Add(base, Vec3{(b & 1) * cell_, (b >> 1 & 1) * cell_, (b >> 2 & 1) * cell_});
    const Vec3 p = Crossing(pa, va, pb, vb);
    it->second = static_cast<uint32_t>(out_.positions.size());
    out_.positions.push_back(p);
    const Vec3 outwards = Inside(va) ? Sub(pb, pa) : Sub(pa, pb);
    out_.normals.push_back(grid_.gradient_normals
                               ? Normal(p, outwards)
                               : Scale(outwards, 1 / std::sqrt(Dot(outwards, outwards))));
    return it->second;
  }

  // Where the field changes sign between pa and pb: false position with
  // the Illinois step, which keeps both ends moving.
  Vec3 Crossing(const Vec3& pa, double va, const Vec3& pb, double vb) {
    const Vec3 d = Sub(pb, pa);
    double ta = 0, tb = 1, fa = va, fb = vb;
    // The ends' true values (fa and fb are scaled by the Illinois step);
    // what is not a number is as far from zero as can be.
    auto size = [](double f) { return std::isnan(f) ? HUGE_VAL : std::fabs(f); };
    double ea = size(va), eb = size(vb);
    int side = 0;
    for (int step = 0; step < 40 && tb - ta > grid_.precision; ++step) {
      double t = (ta * fb - tb * fa) / (fb - fa);
      if (!(t > ta && t < tb)) t = 0.5 * (ta + tb);
      const double ft = Evaluate(Add(pa, Scale(d, t)));
      if (ft == 0) return Add(pa, Scale(d, t));
      if (Inside(ft) == Inside(va)) {
        ta = t;
        fa = ft;
        ea = size(ft);
        if (side == -1) fb *= 0.5;
        side = -1;
      } else {
        tb = t;
        fb = ft;
        eb = size(ft);
        if (side == 1) fa *= 0.5;
        side = 1;
      }
    }
    return Add(pa, Scale(d, ea <= eb ? ta : tb));
  }

  // The field's gradient at p by central differences, or `fallback` where
  // it has none.
  Vec3 Normal(const Vec3& p, const Vec3& fallback) {
    const double h = cell_ * 1e-3;
    Vec3 g{Evaluate({p.x + h, p.y, p.z}) - Evaluate({p.x - h, p.y, p.z}),
           Evaluate({p.x, p.y + h, p.z}) - Evaluate({p.x, p.y - h, p.z}),
           Evaluate({p.x, p.y, p.z + h}) - Evaluate({p.x, p.y, p.z - h})};
    double l = std::sqrt(Dot(g, g));
    if (!(l > 0) || !std::isfinite(l)) {
      g = fallback;
      l = std::sqrt(Dot(g, g));
    }
    return Scale(g, 1 / l);
  }

  const Field& field_;
  const Grid grid_;
  const int64_t max_triangles_;
  Surface& out_;
  double cell_ = 0;
  int64_t count_[3] = {1, 1, 1};
  std::unordered_map<uint64_t, double> corners_;
  std::unordered_map<uint64_t, uint32_t> edges_;
  MeshStats stats_;
};

}  // namespace

MeshStats MeshSurface(const Field& field, const Grid& grid, int64_t max_triangles, Surface& out) {
  return Mesher(field, grid, max_triangles, out).Run();
}

void NormalsFromFaces(Surface& surface) {
  std::vector<Vec3> sum(surface.positions.size(), Vec3{0, 0, 0});
  for (const auto& f : surface.triangles) {
    const Vec3& a = surface.positions[f[0]];
    const Vec3 n = Cross(Sub(surface.positions[f[1]], a), Sub(surface.positions[f[2]], a));
    for (uint32_t v : f) sum[v] = Add(sum[v], n);
  }
  for (size_t v = 0; v < sum.size(); ++v) {
    const double l = std::sqrt(Dot(sum[v], sum[v]));
    if (l > 0) surface.normals[v] = Scale(sum[v], 1 / l);
  }
}

}  // namespace implicit
