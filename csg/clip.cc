#include "csg/clip.h"

#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

namespace csg {

namespace {

sdl::Vec3 Mix(const sdl::Vec3& a, const sdl::Vec3& b, double t) {
  return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)};
}

// A corner of a face: its position, normal and uv indices.
struct Corner {
  int32_t p, n, t;
};

class Clipper {
 public:
  Clipper(const sdl::MeshData& in, const Keep& keep, double precision, sdl::MeshData& out)
      : in_(in), keep_(keep), precision_(precision), out_(out) {
    normals_ = in.HasNormals();
    uv_ = in.HasUV();
  }

  void Run() {
    out_ = sdl::MeshData();
    out_.slots = in_.slots;
    out_.vertices = in_.vertices;
    if (normals_) out_.normals = in_.normals;
    if (uv_) out_.uvs = in_.uvs;
    inside_.resize(in_.vertices.size());
    for (size_t v = 0; v < in_.vertices.size(); ++v) inside_[v] = keep_(in_.vertices[v]);
    for (size_t f = 0; f < in_.faces.size(); ++f) Face(f);
    out_.DropUnused();
  }

 private:
  void Face(size_t f) {
    Corner c[3];
    for (int k = 0; k < 3; ++k) {
      c[k] = {in_.faces[f][k], normals_ ? in_.normal_faces[f][k] : 0, uv_ ? in_.uv_faces[f][k] : 0};
    }
    int in = 0;
    for (const Corner& corner : c) in += inside_[static_cast<size_t>(corner.p)];
    if (in == 0) return;
    const int32_t slot = f < in_.face_slots.size() ? in_.face_slots[f] : 0;
    if (in == 3) {
      Emit(c[0], c[1], c[2], slot);
      return;
    }
    // Around the face: the corners inside, and a cut where an edge leaves
    // or enters the region.
    Corner kept[4];
    int n = 0;
    for (int k = 0; k < 3; ++k) {
      const Corner &a = c[k], &b = c[(k + 1) % 3];
      const bool a_in = inside_[static_cast<size_t>(a.p)], b_in = inside_[static_cast<size_t>(b.p)];
      if (a_in) kept[n++] = a;
      if (a_in != b_in) kept[n++] = Cut(a, b);
    }
    if (n >= 3) Emit(kept[0], kept[1], kept[2], slot);
    if (n == 4) Emit(kept[0], kept[2], kept[3], slot);
  }

  void Emit(const Corner& a, const Corner& b, const Corner& c, int32_t slot) {
    out_.faces.push_back({a.p, b.p, c.p});
    if (normals_) out_.normal_faces.push_back({a.n, b.n, c.n});
    if (uv_) out_.uv_faces.push_back({a.t, b.t, c.t});
    out_.face_slots.push_back(slot);
  }

  // The point where the region's surface crosses the edge a-b: its
  // position is made once per edge, its normal and uv per face (faces
  // across a sharp edge have their own).
  Corner Cut(Corner a, Corner b) {
    if (a.p > b.p) std::swap(a, b);
    const uint64_t key = static_cast<uint64_t>(a.p) << 32 | static_cast<uint32_t>(b.p);
    auto [it, added] = cuts_.try_emplace(key, std::pair<int32_t, double>{0, 0.0});
    if (added) it->second = Crossing(a.p, b.p);
    const auto [p, t] = it->second;
    Corner cut{p, 0, 0};
    if (normals_) {
      sdl::Vec3 n =
          Mix(in_.normals[static_cast<size_t>(a.n)], in_.normals[static_cast<size_t>(b.n)], t);
      const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
      if (l > 0) n = {n.x / l, n.y / l, n.z / l};
      cut.n = static_cast<int32_t>(out_.normals.size());
      out_.normals.push_back(n);
    }
    if (uv_) {
      cut.t = static_cast<int32_t>(out_.uvs.size());
      out_.uvs.push_back(
          Mix(in_.uvs[static_cast<size_t>(a.t)], in_.uvs[static_cast<size_t>(b.t)], t));
    }
    return cut;
  }

  // Bisection along a-b (a's index below b's): the new position and its
  // place along the edge.
  std::pair<int32_t, double> Crossing(int32_t a, int32_t b) {
    const sdl::Vec3 pa = in_.vertices[static_cast<size_t>(a)];
    const sdl::Vec3 pb = in_.vertices[static_cast<size_t>(b)];
    const bool a_in = inside_[static_cast<size_t>(a)];
    const double length = std::sqrt((pb.x - pa.x) * (pb.x - pa.x) + (pb.y - pa.y) * (pb.y - pa.y) +
                                    (pb.z - pa.z) * (pb.z - pa.z));
    double lo = 0, hi = 1;  // lo on a's side, hi on b's
    for (int step = 0; step < 60 && (hi - lo) * length > precision_; ++step) {
      const double mid = 0.5 * (lo + hi);
      (keep_(Mix(pa, pb, mid)) == a_in ? lo : hi) = mid;
    }
    const double t = 0.5 * (lo + hi);
    out_.vertices.push_back(Mix(pa, pb, t));
    return {static_cast<int32_t>(out_.vertices.size() - 1), t};
  }

  const sdl::MeshData& in_;
  const Keep& keep_;
  const double precision_;
  sdl::MeshData& out_;
  bool normals_ = false, uv_ = false;
  std::vector<bool> inside_;
  std::unordered_map<uint64_t, std::pair<int32_t, double>> cuts_;
};

}  // namespace

void ClipMesh(const sdl::MeshData& mesh, const Keep& keep, double precision, sdl::MeshData& out) {
  Clipper(mesh, keep, precision, out).Run();
}

}  // namespace csg
