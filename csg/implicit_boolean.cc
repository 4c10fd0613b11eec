#include "csg/implicit_boolean.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "implicit/mesher.h"
#include "implicit/simplify.h"

namespace csg {

namespace {

bool Finite(const shapes::Bounds& b) {
  return !b.Empty() && std::isfinite(b.min.x) && std::isfinite(b.min.y) && std::isfinite(b.min.z) &&
         std::isfinite(b.max.x) && std::isfinite(b.max.y) && std::isfinite(b.max.z);
}

// A leaf of the tree (a shape or a mesh), placed in the root's space, with
// the texture its faces take.
struct Leaf {
  const Solid* solid;
  sdl::Transform to_leaf;  // from the root's space into the leaf's
  const sdl::MaterialSlot* texture;
};

void CollectLeaves(const Solid& solid, const sdl::Transform& to_root,
                   const sdl::MaterialSlot* texture, std::vector<Leaf>& out) {
  if (solid.op == SolidOp::kShape || solid.op == SolidOp::kMesh) {
    out.push_back({&solid, to_root.Inverse(), texture});
    return;
  }
  for (const Operand& operand : solid.operands) {
    sdl::Transform inner = operand.transform;
    inner.Then(to_root);
    CollectLeaves(*operand.solid, inner, operand.has_texture ? &operand.texture : texture, out);
  }
}

sdl::Vec3 Normalized(const sdl::Vec3& v) {
  const double l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  return l > 0 ? sdl::Vec3{v.x / l, v.y / l, v.z / l} : sdl::Vec3{0, 0, 1};
}

}  // namespace

bool ImplicitBooleanMesh(const Solid& solid, const shapes::Detail& detail, double seconds,
                         sdl::MeshData& out, std::string* why) {
  out = sdl::MeshData();
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(std::max(seconds, 0.0)));
  const auto field = [&solid](const sdl::Vec3& p) { return Inside(solid, p) ? -1.0 : 1.0; };
  // Over `box` at `cells` along its longest side; false when time ran out.
  const auto mesh = [&](const shapes::Bounds& box, double cells, implicit::Surface& surface) {
    const double size =
        std::max({box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z});
    const double cell = size / cells;
    implicit::Grid grid;
    grid.min = {box.min.x - cell, box.min.y - cell, box.min.z - cell};
    grid.max = {box.max.x + cell, box.max.y + cell, box.max.z + cell};
    grid.cell = cell;
    grid.precision = 1e-4;
    grid.gradient_normals = false;
    grid.stop = [end] { return std::chrono::steady_clock::now() > end; };
    constexpr int64_t kMostTriangles = 8'000'000;
    return !implicit::MeshSurface(field, grid, kMostTriangles, surface).stopped;
  };
  shapes::Bounds box = BoundsOf(solid);
  if (!Finite(box)) {
    // An infinite operand leaves no box: where a coarse look over the box
    // infinite shapes are cut to finds the surface, grown by two cells.
    if (!Finite(detail.clip)) {
      *why = "it has no end";
      return false;
    }
    constexpr double kCoarse = 32;
    implicit::Surface coarse;
    if (!mesh(detail.clip, kCoarse, coarse)) {
      *why = "meshing it from its inside test took too long as well";
      return false;
    }
    shapes::Bounds found;
    for (const sdl::Vec3& v : coarse.positions) found.Add(v);
    if (found.Empty()) return true;
    const double margin =
        2 *
        std::max({detail.clip.max.x - detail.clip.min.x, detail.clip.max.y - detail.clip.min.y,
                  detail.clip.max.z - detail.clip.min.z}) /
        kCoarse;
    box.min = {found.min.x - margin, found.min.y - margin, found.min.z - margin};
    box.max = {found.max.x + margin, found.max.y + margin, found.max.z + margin};
  }
  const double size =
      std::max({box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z});
  if (!(size > 0)) return true;
  const double t =
      std::clamp(std::isfinite(detail.tolerance) ? detail.tolerance : 0.005, 1e-6, 0.5);
  const double cells = std::clamp(std::ceil(3 / std::sqrt(t)), 16.0, 128.0);
  const double cell = size / cells;
  implicit::Surface surface;
  if (!mesh(box, cells, surface)) {
    *why = "meshing it from its inside test took too long as well";
    return false;
  }
  implicit::Simplify(surface, t * size * 0.25);

  implicit::NormalsFromFaces(surface);
  std::vector<Leaf> leaves;
  CollectLeaves(solid, sdl::Transform(), nullptr, leaves);
  for (size_t v = 0; v < surface.positions.size(); ++v) {
    out.vertices.push_back(surface.positions[v]);
    out.normals.push_back(surface.normals[v]);
    out.uvs.push_back({0, 0, 0});
  }
  for (const Leaf& leaf : leaves) {
    sdl::MaterialSlot slot;
    slot.defaulted = true;
    out.slots.push_back(leaf.texture != nullptr ? *leaf.texture : slot);
  }
  if (out.slots.empty()) out.slots.resize(1);
  // Each face to the leaf whose inside changes across it.
  const double step = cell * 0.05;
  for (const auto& f : surface.triangles) {
    const sdl::Vec3 &a = surface.positions[f[0]], &b = surface.positions[f[1]],
                    &c = surface.positions[f[2]];
    const sdl::Vec3 n = Normalized(sdl::FaceNormal(a, b, c));
    const sdl::Vec3 m{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
    const sdl::Vec3 in{m.x - n.x * step, m.y - n.y * step, m.z - n.z * step};
    const sdl::Vec3 outside{m.x + n.x * step, m.y + n.y * step, m.z + n.z * step};
    int32_t slot = 0;
    for (size_t l = 0; l < leaves.size(); ++l) {
      const Solid& s = *leaves[l].solid;
      if (Inside(s, leaves[l].to_leaf.Point(in)) != Inside(s, leaves[l].to_leaf.Point(outside))) {
        slot = static_cast<int32_t>(l);
        break;
      }
    }
    const sdl::IndexTriple face{static_cast<int32_t>(f[0]), static_cast<int32_t>(f[1]),
                                static_cast<int32_t>(f[2])};
    out.faces.push_back(face);
    out.normal_faces.push_back(face);
    out.uv_faces.push_back(face);
    out.face_slots.push_back(slot);
  }
  return true;
}

}  // namespace csg
