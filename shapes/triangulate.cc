#include "shapes/triangulate.h"

#include <algorithm>
#include <cmath>

namespace shapes {

namespace {

double Cross(const Point2& o, const Point2& a, const Point2& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double SignedArea(const std::vector<Point2>& loop) {
  double area = 0;
  for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
    area += (loop[j].x - loop[i].x) * (loop[j].y + loop[i].y);
  }
  return area / 2;
}

bool InsideLoop(const std::vector<Point2>& loop, const Point2& p) {
  bool in = false;
  for (size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
    const Point2 &a = loop[i], &b = loop[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
      in = !in;
    }
  }
  return in;
}

// Whether segments ab and cd cross at a point inside both (touching ends
// do not count).
bool Crosses(const Point2& a, const Point2& b, const Point2& c, const Point2& d) {
  const double d1 = Cross(a, b, c), d2 = Cross(a, b, d);
  const double d3 = Cross(c, d, a), d4 = Cross(c, d, b);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool Same(const Point2& a, const Point2& b) { return a.x == b.x && a.y == b.y; }

// p strictly inside the counter-clockwise triangle abc.
bool InTriangle(const Point2& a, const Point2& b, const Point2& c, const Point2& p) {
  return Cross(a, b, p) > 0 && Cross(b, c, p) > 0 && Cross(c, a, p) > 0;
}

struct Ring {
  std::vector<int> ids;  // into the points
};

// Joins `hole` (clockwise) into `outer` (counter-clockwise) by a bridge from
// the hole's rightmost point to the nearest outer point it sees.
void Bridge(Ring& outer, const Ring& hole, const std::vector<Point2>& pts,
            const std::vector<Ring>& others) {
  size_t m = 0;
  for (size_t i = 1; i < hole.ids.size(); ++i) {
    if (pts[hole.ids[i]].x > pts[hole.ids[m]].x) m = i;
  }
  const Point2& pm = pts[hole.ids[m]];
  auto blocked = [&](const Point2& q) {
    auto crosses_ring = [&](const Ring& r) {
      for (size_t i = 0, j = r.ids.size() - 1; i < r.ids.size(); j = i++) {
        if (Crosses(pm, q, pts[r.ids[i]], pts[r.ids[j]])) return true;
      }
      return false;
    };
    if (crosses_ring(outer) || crosses_ring(hole)) return true;
    for (const Ring& r : others) {
      if (crosses_ring(r)) return true;
    }
    return false;
  };
  size_t best = outer.ids.size();
  double best_d = HUGE_VAL;
  for (size_t i = 0; i < outer.ids.size(); ++i) {
    const Point2& q = pts[outer.ids[i]];
    const double d = (q.x - pm.x) * (q.x - pm.x) + (q.y - pm.y) * (q.y - pm.y);
    if (d < best_d && !blocked(q)) {
      best_d = d;
      best = i;
    }
  }
  if (best == outer.ids.size()) return;  // nothing seen: the hole stays open
  std::vector<int> joined(outer.ids.begin(), outer.ids.begin() + best + 1);
  for (size_t k = 0; k <= hole.ids.size(); ++k)
    joined.push_back(hole.ids[(m + k) % hole.ids.size()]);
  joined.insert(joined.end(), outer.ids.begin() + best, outer.ids.end());
  outer.ids = std::move(joined);
}

void EarClip(std::vector<int> ring, const std::vector<Point2>& pts,
             std::vector<std::array<int, 3>>& out) {
  size_t stuck = 0;
  size_t i = 0;
  while (ring.size() > 3 && stuck < ring.size()) {
    const size_t n = ring.size();
    const int a = ring[(i + n - 1) % n], b = ring[i % n], c = ring[(i + 1) % n];
    bool ear = Cross(pts[a], pts[b], pts[c]) > 0;
    for (size_t k = 0; ear && k < n; ++k) {
      const int q = ring[k];
      if (q == a || q == b || q == c) continue;
      if (Same(pts[q], pts[a]) || Same(pts[q], pts[b]) || Same(pts[q], pts[c])) continue;
      if (InTriangle(pts[a], pts[b], pts[c], pts[q])) ear = false;
    }
    if (ear) {
      out.push_back({a, b, c});
      ring.erase(ring.begin() + static_cast<long>(i % n));
      stuck = 0;
      if (i >= ring.size()) i = 0;
    } else if (Cross(pts[a], pts[b], pts[c]) == 0 && !Same(pts[a], pts[c])) {
      // A point on a straight run: drop it, no triangle.
      ring.erase(ring.begin() + static_cast<long>(i % n));
      if (i >= ring.size()) i = 0;
    } else {
      ++stuck;
      i = (i + 1) % n;
    }
  }
  if (ring.size() == 3 && Cross(pts[ring[0]], pts[ring[1]], pts[ring[2]]) > 0) {
    out.push_back({ring[0], ring[1], ring[2]});
  }
}

}  // namespace

std::vector<int> LoopDepths(const std::vector<std::vector<Point2>>& loops) {
  std::vector<int> depth(loops.size(), 0);
  for (size_t l = 0; l < loops.size(); ++l) {
    if (loops[l].empty()) continue;
    for (size_t o = 0; o < loops.size(); ++o) {
      if (o != l && loops[o].size() >= 3 && InsideLoop(loops[o], loops[l][0])) ++depth[l];
    }
  }
  return depth;
}

bool InsideEvenOdd(const std::vector<std::vector<Point2>>& loops, const Point2& p) {
  bool in = false;
  for (const auto& loop : loops) {
    if (loop.size() >= 3 && InsideLoop(loop, p)) in = !in;
  }
  return in;
}

std::vector<std::array<int, 3>> TriangulateEvenOdd(const std::vector<std::vector<Point2>>& loops) {
  std::vector<Point2> pts;
  std::vector<Ring> rings(loops.size());
  std::vector<double> areas(loops.size(), 0);
  for (size_t l = 0; l < loops.size(); ++l) {
    for (const Point2& p : loops[l]) {
      rings[l].ids.push_back(static_cast<int>(pts.size()));
      pts.push_back(p);
    }
    // A loop may repeat its first point at its end.
    if (rings[l].ids.size() > 1 && Same(pts[rings[l].ids.front()], pts[rings[l].ids.back()])) {
      rings[l].ids.pop_back();
    }
    if (rings[l].ids.size() >= 3) areas[l] = SignedArea(loops[l]);
  }
  // Depth of each loop: how many others hold it (by a point of it that is
  // not on their outline, in practice its first).
  std::vector<int> depth(loops.size(), 0), parent(loops.size(), -1);
  for (size_t l = 0; l < loops.size(); ++l) {
    if (rings[l].ids.size() < 3) continue;
    double parent_area = HUGE_VAL;
    for (size_t o = 0; o < loops.size(); ++o) {
      if (o == l || rings[o].ids.size() < 3) continue;
      if (InsideLoop(loops[o], loops[l][0])) {
        ++depth[l];
        if (std::fabs(areas[o]) < parent_area) {
          parent_area = std::fabs(areas[o]);
          parent[l] = static_cast<int>(o);
        }
      }
    }
  }
  std::vector<std::array<int, 3>> out;
  for (size_t l = 0; l < loops.size(); ++l) {
    if (rings[l].ids.size() < 3 || depth[l] % 2 != 0) continue;
    Ring outer = rings[l];
    if (areas[l] < 0) std::reverse(outer.ids.begin(), outer.ids.end());
    std::vector<Ring> holes;
    for (size_t h = 0; h < loops.size(); ++h) {
      if (parent[h] != static_cast<int>(l) || depth[h] % 2 == 0) continue;
      Ring hole = rings[h];
      if (areas[h] > 0) std::reverse(hole.ids.begin(), hole.ids.end());
      holes.push_back(std::move(hole));
    }
    std::sort(holes.begin(), holes.end(), [&](const Ring& a, const Ring& b) {
      auto right = [&](const Ring& r) {
        double x = -HUGE_VAL;
        for (int i : r.ids) x = std::max(x, pts[i].x);
        return x;
      };
      return right(a) > right(b);
    });
    for (size_t h = 0; h < holes.size(); ++h) {
      const std::vector<Ring> rest(holes.begin() + h + 1, holes.end());
      Bridge(outer, holes[h], pts, rest);
    }
    EarClip(outer.ids, pts, out);
  }
  return out;
}

}  // namespace shapes
