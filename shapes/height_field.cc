#include "shapes/height_field.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace shapes {

namespace {

class Grid {
 public:
  explicit Grid(const HeightField& f) : f_(f) {}
  int columns() const { return f_.columns; }
  int rows() const { return f_.rows; }
  // Column i, z index k (0 at z = 0: the image's bottom row).
  double Height(int i, int k) const {
    const size_t row = static_cast<size_t>(f_.rows - 1 - k);
    return (*f_.heights)[row * static_cast<size_t>(f_.columns) + static_cast<size_t>(i)] / 65536.0;
  }
  Vec3 Point(int i, int k) const {
    return {static_cast<double>(i) / (f_.columns - 1), Height(i, k),
            static_cast<double>(k) / (f_.rows - 1)};
  }
  bool Valid() const {
    return f_.columns >= 2 && f_.rows >= 2 && f_.heights != nullptr &&
           f_.heights->size() == static_cast<size_t>(f_.columns) * static_cast<size_t>(f_.rows);
  }

 private:
  const HeightField& f_;
};

Vec3 Normalized(const Vec3& v) {
  const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return l > 0 ? Vec3{v.x / l, v.y / l, v.z / l} : Vec3{0, 1, 0};
}

// Cuts triangles at y = level, keeping what lies on or above it; a
// crossing is made once per edge, so cut neighbours still share it.
class WaterCut {
 public:
  WaterCut(sdl::MeshData& mesh, double level, bool normals)
      : mesh_(mesh), level_(level), normals_(normals) {}

  void Triangle(int32_t a, int32_t b, int32_t c) {
    const int32_t corner[3] = {a, b, c};
    int32_t kept[4];
    int n = 0;
    for (int e = 0; e < 3; ++e) {
      const int32_t p = corner[e], q = corner[(e + 1) % 3];
      const bool p_up = Up(p), q_up = Up(q);
      if (p_up) kept[n++] = p;
      if (p_up != q_up) kept[n++] = Crossing(p, q);
    }
    if (n >= 3) Face(kept[0], kept[1], kept[2]);
    if (n == 4) Face(kept[0], kept[2], kept[3]);
  }

 private:
  bool Up(int32_t v) const { return mesh_.vertices[static_cast<size_t>(v)].y >= level_; }
  void Face(int32_t a, int32_t b, int32_t c) {
    mesh_.faces.push_back({a, b, c});
    if (normals_) mesh_.normal_faces.push_back({a, b, c});
  }
  int32_t Crossing(int32_t p, int32_t q) {
    if (p > q) std::swap(p, q);
    const uint64_t key = static_cast<uint64_t>(p) << 32 | static_cast<uint32_t>(q);
    auto [it, added] = made_.try_emplace(key, 0);
    if (!added) return it->second;
    const Vec3 a = mesh_.vertices[static_cast<size_t>(p)],
               b = mesh_.vertices[static_cast<size_t>(q)];
    const double t = (level_ - a.y) / (b.y - a.y);
    mesh_.vertices.push_back({a.x + t * (b.x - a.x), level_, a.z + t * (b.z - a.z)});
    if (normals_) {
      const Vec3 na = mesh_.normals[static_cast<size_t>(p)],
                 nb = mesh_.normals[static_cast<size_t>(q)];
      mesh_.normals.push_back(Normalized(
          {na.x + t * (nb.x - na.x), na.y + t * (nb.y - na.y), na.z + t * (nb.z - na.z)}));
    }
    it->second = static_cast<int32_t>(mesh_.vertices.size() - 1);
    return it->second;
  }

  sdl::MeshData& mesh_;
  const double level_;
  const bool normals_;
  std::unordered_map<uint64_t, int32_t> made_;
};

}  // namespace

void HeightFieldMesh(const HeightField& field, sdl::MeshData& mesh) {
  mesh = sdl::MeshData();
  const Grid grid(field);
  if (!grid.Valid()) return;
  const int columns = grid.columns(), rows = grid.rows();
  auto id = [columns](int i, int k) { return static_cast<int32_t>(k * columns + i); };
  for (int k = 0; k < rows; ++k) {
    for (int i = 0; i < columns; ++i) mesh.vertices.push_back(grid.Point(i, k));
  }
  if (field.smooth) {
    // Each cell's two face normals (area weighted) to its corners.
    mesh.normals.assign(mesh.vertices.size(), Vec3{0, 0, 0});
    auto add = [&](int32_t a, int32_t b, int32_t c) {
      const Vec3 n = sdl::FaceNormal(mesh.vertices[static_cast<size_t>(a)],
                                     mesh.vertices[static_cast<size_t>(b)],
                                     mesh.vertices[static_cast<size_t>(c)]);
      for (int32_t v : {a, b, c}) {
        Vec3& m = mesh.normals[static_cast<size_t>(v)];
        m = {m.x + n.x, m.y + n.y, m.z + n.z};
      }
    };
    for (int k = 0; k + 1 < rows; ++k) {
      for (int i = 0; i + 1 < columns; ++i) {
        add(id(i, k), id(i, k + 1), id(i + 1, k));
        add(id(i + 1, k), id(i, k + 1), id(i + 1, k + 1));
      }
    }
    for (Vec3& n : mesh.normals) n = Normalized(n);
  }
  // Below the lowest height there is nothing to cut.
  WaterCut cut(mesh, field.water_level > 0 ? field.water_level : -HUGE_VAL, field.smooth);
  for (int k = 0; k + 1 < rows; ++k) {
    for (int i = 0; i + 1 < columns; ++i) {
      // Split from (x0, z1) to (x1, z0), as POV-Ray splits them; upwards.
      cut.Triangle(id(i, k), id(i, k + 1), id(i + 1, k));
      cut.Triangle(id(i + 1, k), id(i, k + 1), id(i + 1, k + 1));
    }
  }
  mesh.DropUnused();
  sdl::MaterialSlot slot;
  slot.defaulted = true;
  mesh.slots.assign(1, slot);
  mesh.face_slots.assign(mesh.faces.size(), 0);
}

Bounds HeightFieldBounds(const HeightField& field) {
  Bounds out;
  const Grid grid(field);
  if (!grid.Valid()) return out;
  const auto [lowest, highest] = std::minmax_element(field.heights->begin(), field.heights->end());
  out.Add({0, std::max(field.water_level, *lowest / 65536.0), 0});
  out.Add({1, *highest / 65536.0, 1});
  return out;
}

bool InsideHeightField(const HeightField& field, const Vec3& p) {
  const Grid grid(field);
  if (!grid.Valid() || !(p.x >= 0 && p.x <= 1 && p.z >= 0 && p.z <= 1)) return false;
  const double fx = p.x * (grid.columns() - 1), fz = p.z * (grid.rows() - 1);
  const int i = std::min(static_cast<int>(fx), grid.columns() - 2);
  const int k = std::min(static_cast<int>(fz), grid.rows() - 2);
  const double u = fx - i, v = fz - k;
  const double a = grid.Height(i, k), b = grid.Height(i + 1, k), c = grid.Height(i + 1, k + 1),
               d = grid.Height(i, k + 1);
  const double h =
      u + v <= 1 ? a + u * (b - a) + v * (d - a) : c + (1 - u) * (d - c) + (1 - v) * (b - c);
  return p.y < h;
}

}  // namespace shapes
