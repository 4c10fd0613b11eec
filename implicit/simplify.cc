#include "implicit/simplify.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdl/hasher.h"

namespace implicit {

namespace {

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The sum of squared distances to a set of planes, as a symmetric 4 x 4
// form (10 numbers).
struct Quadric {
  double q[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  void AddPlane(const Vec3& n, double d) {
    const double p[4] = {n.x, n.y, n.z, d};
    int k = 0;
    for (int i = 0; i < 4; ++i) {
      for (int j = i; j < 4; ++j) q[k++] += p[i] * p[j];
    }
  }
  void Add(const Quadric& o) {
    for (int k = 0; k < 10; ++k) q[k] += o.q[k];
  }
  double At(const Vec3& v) const {
    const double p[4] = {v.x, v.y, v.z, 1};
    double sum = 0;
    int k = 0;
    for (int i = 0; i < 4; ++i) {
      for (int j = i; j < 4; ++j) sum += (i == j ? 1 : 2) * q[k++] * p[i] * p[j];
    }
    return sum;
  }
};

class Simplifier {
 public:
  Simplifier(Surface& s, double max_error) : s_(s), limit_(max_error * max_error) {}

  void Run() {
    const size_t nv = s_.positions.size(), nf = s_.triangles.size();
    faces_of_.assign(nv, {});
    alive_.assign(nf, true);
    removed_.assign(nv, false);
    quadric_.assign(nv, Quadric());
    for (size_t f = 0; f < nf; ++f) {
      for (uint32_t v : s_.triangles[f]) faces_of_[v].push_back(static_cast<uint32_t>(f));
      Vec3 n = Normal(s_.triangles[f]);
      const double l = std::sqrt(Dot(n, n));
      if (!(l > 0)) continue;
      n = {n.x / l, n.y / l, n.z / l};
      const double d = -Dot(n, s_.positions[s_.triangles[f][0]]);
      for (uint32_t v : s_.triangles[f]) quadric_[v].AddPlane(n, d);
    }
    // Vertices on an edge that only one face uses.
    boundary_.assign(nv, false);
    std::vector<std::pair<uint64_t, int>> edges;
    for (size_t f = 0; f < nf; ++f) {
      const auto& t = s_.triangles[f];
      for (int k = 0; k < 3; ++k) {
        const uint32_t a = std::min(t[k], t[(k + 1) % 3]), b = std::max(t[k], t[(k + 1) % 3]);
        edges.push_back({static_cast<uint64_t>(a) << 32 | b, 1});
      }
    }
    std::sort(edges.begin(), edges.end());
    for (size_t i = 0; i < edges.size();) {
      size_t j = i;
      while (j < edges.size() && edges[j].first == edges[i].first) ++j;
      if (j - i == 1) {
        boundary_[static_cast<uint32_t>(edges[i].first >> 32)] = true;
        boundary_[static_cast<uint32_t>(edges[i].first & 0xffffffffu)] = true;
      }
      i = j;
    }
    // Passes over the faces, each edge collapsed when it may be (greedy:
    // not the cheapest first, which a queue would cost more than it saves).
    for (int pass = 0; pass < 4; ++pass) {
      int64_t collapsed = 0;
      for (size_t f = 0; f < nf; ++f) {
        for (int k = 0; k < 3 && alive_[f]; ++k) {
          const auto& t = s_.triangles[f];
          uint32_t from, to;
          if (Cheaper(t[k], t[(k + 1) % 3], &from, &to) && Collapse(from, to)) ++collapsed;
        }
      }
      if (collapsed == 0) break;
    }
    Compact();
  }

 private:
  Vec3 Normal(const std::array<uint32_t, 3>& t) const {
    const Vec3& a = s_.positions[t[0]];
    return Cross(Sub(s_.positions[t[1]], a), Sub(s_.positions[t[2]], a));
  }

  // The cheaper way to collapse the edge a-b, if within the limit.
  bool Cheaper(uint32_t a, uint32_t b, uint32_t* from, uint32_t* to) const {
    Quadric q = quadric_[a];
    q.Add(quadric_[b]);
    const double into_b = q.At(s_.positions[b]), into_a = q.At(s_.positions[a]);
    // A vertex on an open surface's edge stays: moving it would move the
    // edge, which no plane here measures.
    const bool can_b = !boundary_[a] && into_b <= limit_;
    const bool can_a = !boundary_[b] && into_a <= limit_;
    if (!can_a && !can_b) return false;
    const bool to_b = can_b && (!can_a || into_b <= into_a);
    *from = to_b ? a : b;
    *to = to_b ? b : a;
    return true;
  }

  std::vector<uint32_t> Neighbours(uint32_t v) const {
    std::vector<uint32_t> out;
    for (uint32_t f : faces_of_[v]) {
      if (!alive_[f]) continue;
      for (uint32_t w : s_.triangles[f]) {
        if (w != v) out.push_back(w);
      }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
  }

  bool Collapse(uint32_t from, uint32_t to) {
    // The link condition: the ends share exactly the two vertices of the
    // faces on their edge, or the surface would touch itself.
    const std::vector<uint32_t> nf = Neighbours(from), nt = Neighbours(to);
    if (!std::binary_search(nf.begin(), nf.end(), to)) return false;
    std::vector<uint32_t> common;
    std::set_intersection(nf.begin(), nf.end(), nt.begin(), nt.end(), std::back_inserter(common));
    int shared_faces = 0;
    for (uint32_t f : faces_of_[from]) {
      if (!alive_[f]) continue;
      const auto& t = s_.triangles[f];
      if (t[0] == to || t[1] == to || t[2] == to) ++shared_faces;
    }
    if (shared_faces != 2 || common.size() != 2) return false;
    // No face left may turn over or lose its area.
    for (uint32_t f : faces_of_[from]) {
      if (!alive_[f]) continue;
      auto t = s_.triangles[f];
      if (t[0] == to || t[1] == to || t[2] == to) continue;
      const Vec3 before = Normal(t);
      for (uint32_t& v : t) {
        if (v == from) v = to;
      }
      const Vec3 after = Normal(t);
      const double lb = std::sqrt(Dot(before, before)), la = std::sqrt(Dot(after, after));
      if (!(la > 1e-12 * lb) || Dot(before, after) < 0.5 * lb * la) return false;
    }
    // Collapse: the edge's faces go, the rest of `from`'s move to `to`.
    for (uint32_t f : faces_of_[from]) {
      if (!alive_[f]) continue;
      auto& t = s_.triangles[f];
      if (t[0] == to || t[1] == to || t[2] == to) {
        alive_[f] = false;
        continue;
      }
      for (uint32_t& v : t) {
        if (v == from) v = to;
      }
      faces_of_[to].push_back(f);
    }
    removed_[from] = true;
    faces_of_[from].clear();
    // Dead faces out of the list, or it grows with every collapse into it.
    auto& around = faces_of_[to];
    around.erase(
        std::remove_if(around.begin(), around.end(), [this](uint32_t f) { return !alive_[f]; }),
        around.end());
    quadric_[to].Add(quadric_[from]);
    return true;
  }

  void Compact() {
    std::vector<std::array<uint32_t, 3>> kept;
    for (size_t f = 0; f < s_.triangles.size(); ++f) {
      if (alive_[f]) kept.push_back(s_.triangles[f]);
    }
    std::vector<int64_t> index(s_.positions.size(), -1);
    Surface out;
    for (auto& t : kept) {
      for (uint32_t& v : t) {
        if (index[v] < 0) {
          index[v] = static_cast<int64_t>(out.positions.size());
          out.positions.push_back(s_.positions[v]);
          out.normals.push_back(s_.normals[v]);
        }
        v = static_cast<uint32_t>(index[v]);
      }
      out.triangles.push_back(t);
    }
    s_ = std::move(out);
  }

  Surface& s_;
  const double limit_;
  std::vector<std::vector<uint32_t>> faces_of_;
  std::vector<bool> alive_, removed_, boundary_;
  std::vector<Quadric> quadric_;
};

// Vertices at the very same place become one (the mesher makes several
// where the field is zero at a grid corner), and the triangles that then
// have two corners alike, slivers of no area, go.
void WeldCoincident(Surface& s) {
  struct PositionHash {
    size_t operator()(const Vec3& p) const {
      sdl::Hasher h;
      h.Add(p);
      return static_cast<size_t>(h.hash());
    }
  };
  struct PositionEqual {
    bool operator()(const Vec3& a, const Vec3& b) const {
      return a.x == b.x && a.y == b.y && a.z == b.z;
    }
  };
  std::unordered_map<Vec3, uint32_t, PositionHash, PositionEqual> first;
  first.reserve(s.positions.size());
  std::vector<uint32_t> to(s.positions.size());
  bool welded = false;
  for (size_t i = 0; i < s.positions.size(); ++i) {
    const auto [it, added] = first.try_emplace(s.positions[i], static_cast<uint32_t>(i));
    to[i] = it->second;
    welded |= !added;
  }
  if (!welded) return;
  std::vector<std::array<uint32_t, 3>> kept;
  kept.reserve(s.triangles.size());
  for (const auto& t : s.triangles) {
    const std::array<uint32_t, 3> w{to[t[0]], to[t[1]], to[t[2]]};
    if (w[0] != w[1] && w[1] != w[2] && w[0] != w[2]) kept.push_back(w);
  }
  s.triangles = std::move(kept);
}

}  // namespace

void Simplify(Surface& surface, double max_error) {
  WeldCoincident(surface);
  if (!(max_error > 0) || surface.triangles.empty()) return;
  Simplifier(surface, max_error).Run();
}

}  // namespace implicit
