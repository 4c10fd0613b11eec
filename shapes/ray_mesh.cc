#include "shapes/ray_mesh.h"

#include <algorithm>
#include <cmath>

namespace shapes {

namespace {

using sdl::Vec3;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Axis(const Vec3& v, int k) { return k == 0 ? v.x : (k == 1 ? v.y : v.z); }

constexpr uint32_t kLeafSize = 4;

}  // namespace

void RayMesh::Add(const sdl::MeshData& mesh, const sdl::Transform& transform) {
  const bool normals = mesh.HasNormals();
  for (size_t f = 0; f < mesh.faces.size(); ++f) {
    const auto& face = mesh.faces[f];
    bool valid = true;
    for (int k = 0; k < 3; ++k) {
      valid = valid && face[k] >= 0 && static_cast<size_t>(face[k]) < mesh.vertices.size();
    }
    if (!valid) continue;
    Triangle t{};
    t.a = transform.Point(mesh.vertices[face[0]]);
    t.b = transform.Point(mesh.vertices[face[1]]);
    t.c = transform.Point(mesh.vertices[face[2]]);
    if (normals) {
      const auto& nf = mesh.normal_faces[f];
      Vec3* n[3] = {&t.na, &t.nb, &t.nc};
      for (int k = 0; k < 3; ++k) {
        if (nf[k] >= 0 && static_cast<size_t>(nf[k]) < mesh.normals.size()) {
          *n[k] = transform.Normal(mesh.normals[nf[k]]);
        }
      }
    }
    triangles_.push_back(t);
  }
}

void RayMesh::Build() {
  nodes_.clear();
  if (!triangles_.empty()) BuildNode(0, static_cast<uint32_t>(triangles_.size()), 0);
}

uint32_t RayMesh::BuildNode(uint32_t first, uint32_t count, int depth) {
  Node node{};
  node.min = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
  node.max = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (uint32_t i = first; i < first + count; ++i) {
    for (const Vec3* p : {&triangles_[i].a, &triangles_[i].b, &triangles_[i].c}) {
      node.min = {std::min(node.min.x, p->x), std::min(node.min.y, p->y),
                  std::min(node.min.z, p->z)};
      node.max = {std::max(node.max.x, p->x), std::max(node.max.y, p->y),
                  std::max(node.max.z, p->z)};
    }
  }
  const uint32_t at = static_cast<uint32_t>(nodes_.size());
  nodes_.push_back(node);
  if (count <= kLeafSize || depth > 60) {
    nodes_[at].first = first;
    nodes_[at].count = count;
    return at;
  }
  // Split at the median of the centres along the longest side.
  const Vec3 size = Sub(node.max, node.min);
  const int axis = size.x >= size.y && size.x >= size.z ? 0 : (size.y >= size.z ? 1 : 2);
  const uint32_t half = count / 2;
  auto centre = [axis](const Triangle& t) {
    return Axis(t.a, axis) + Axis(t.b, axis) + Axis(t.c, axis);
  };
  std::nth_element(triangles_.begin() + first, triangles_.begin() + first + half,
                   triangles_.begin() + first + count,
                   [&](const Triangle& p, const Triangle& q) { return centre(p) < centre(q); });
  const uint32_t left = BuildNode(first, half, depth + 1);
  const uint32_t right = BuildNode(first + half, count - half, depth + 1);
  nodes_[at].left = left;
  nodes_[at].right = right;
  return at;
}

RayMesh::Hit RayMesh::Trace(const Vec3& origin, const Vec3& direction) const {
  Hit best;
  if (nodes_.empty()) return best;
  const double length = std::sqrt(Dot(direction, direction));
  if (!(length > 0)) return best;
  const Vec3 d{direction.x / length, direction.y / length, direction.z / length};
  const Vec3 inverse{1 / d.x, 1 / d.y, 1 / d.z};
  constexpr double kEpsilon = 1e-6;
  double nearest = HUGE_VAL;
  const Triangle* hit = nullptr;
  double hit_u = 0, hit_v = 0;
  std::vector<uint32_t> stack{0};
  while (!stack.empty()) {
    const Node& node = nodes_[stack.back()];
    stack.pop_back();
    // The slab test against the node's box.
    double t0 = kEpsilon, t1 = nearest;
    bool enters = true;
    for (int k = 0; k < 3 && enters; ++k) {
      const double inv = Axis(inverse, k), o = Axis(origin, k);
      double ta = (Axis(node.min, k) - o) * inv, tb = (Axis(node.max, k) - o) * inv;
      if (std::isnan(ta) || std::isnan(tb)) {  // parallel, on a face of the box
        if (o < Axis(node.min, k) || o > Axis(node.max, k)) enters = false;
        continue;
      }
      if (ta > tb) std::swap(ta, tb);
      t0 = std::max(t0, ta);
      t1 = std::min(t1, tb);
      enters = t0 <= t1;
    }
    if (!enters) continue;
    if (node.count == 0) {
      stack.push_back(node.left);
      stack.push_back(node.right);
      continue;
    }
    for (uint32_t i = node.first; i < node.first + node.count; ++i) {
      const Triangle& t = triangles_[i];
      // Moller-Trumbore.
      const Vec3 e1 = Sub(t.b, t.a), e2 = Sub(t.c, t.a);
      const Vec3 p = Cross(d, e2);
      const double det = Dot(e1, p);
      if (std::fabs(det) < 1e-300) continue;
      const Vec3 s = Sub(origin, t.a);
      const double u = Dot(s, p) / det;
      if (u < 0 || u > 1) continue;
      const Vec3 q = Cross(s, e1);
      const double v = Dot(d, q) / det;
      if (v < 0 || u + v > 1) continue;
      const double dist = Dot(e2, q) / det;
      if (dist > kEpsilon && dist < nearest) {
        nearest = dist;
        hit = &t;
        hit_u = u;
        hit_v = v;
      }
    }
  }
  if (hit == nullptr) return best;
  best.hit = true;
  best.point = {origin.x + d.x * nearest, origin.y + d.y * nearest, origin.z + d.z * nearest};
  const double w = 1 - hit_u - hit_v;
  Vec3 n{hit->na.x * w + hit->nb.x * hit_u + hit->nc.x * hit_v,
         hit->na.y * w + hit->nb.y * hit_u + hit->nc.y * hit_v,
         hit->na.z * w + hit->nb.z * hit_u + hit->nc.z * hit_v};
  if (!(Dot(n, n) > 0)) n = Cross(Sub(hit->b, hit->a), Sub(hit->c, hit->a));
  const double l = std::sqrt(Dot(n, n));
  if (l > 0) n = {n.x / l, n.y / l, n.z / l};
  best.normal = n;
  return best;
}

uint64_t RayMesh::Bytes() const {
  return triangles_.size() * sizeof(Triangle) + nodes_.size() * sizeof(Node);
}

}  // namespace shapes
