#include "csg/mesh_solid.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "csg/boolean_engine.h"
#include "csg/clip.h"
#include "csg/implicit_boolean.h"

namespace csg {

void AppendMesh(sdl::MeshData& into, const sdl::MeshData& part, const sdl::Transform& transform,
                const sdl::MaterialSlot* texture) {
  const int32_t base = static_cast<int32_t>(into.vertices.size());
  const int32_t slot_base = static_cast<int32_t>(into.slots.size());
  sdl::MeshData moved = part;
  moved.Apply(transform);
  into.vertices.insert(into.vertices.end(), moved.vertices.begin(), moved.vertices.end());
  into.normals.insert(into.normals.end(), moved.normals.begin(), moved.normals.end());
  into.uvs.insert(into.uvs.end(), moved.uvs.begin(), moved.uvs.end());
  const bool normals = moved.HasNormals(), uv = moved.HasUV();
  for (size_t f = 0; f < moved.faces.size(); ++f) {
    const auto& face = moved.faces[f];
    into.faces.push_back({face[0] + base, face[1] + base, face[2] + base});
    // Shapes give normals and uv with the positions' own indices.
    const auto& nf = normals ? moved.normal_faces[f] : face;
    const auto& uf = uv ? moved.uv_faces[f] : face;
    into.normal_faces.push_back({nf[0] + base, nf[1] + base, nf[2] + base});
    into.uv_faces.push_back({uf[0] + base, uf[1] + base, uf[2] + base});
    into.face_slots.push_back(slot_base + (f < moved.face_slots.size() ? moved.face_slots[f] : 0));
  }
  if (moved.slots.empty()) {
    sdl::MaterialSlot slot;
    slot.defaulted = true;
    moved.slots.push_back(slot);
  }
  for (sdl::MaterialSlot slot : moved.slots) {
    if (slot.defaulted && texture != nullptr) slot = *texture;
    into.slots.push_back(slot);
  }
}

namespace {

// The operands whole, each with its own texture.
void OperandsWhole(const Solid& solid, const shapes::Detail& detail, BooleanEngine* engine,
                   sdl::MeshData& out, std::string* warning) {
  for (const Operand& operand : solid.operands) {
    shapes::Detail inner = detail;
    inner.clip = detail.clip.Transformed(operand.transform.Inverse());
    sdl::MeshData part;
    std::string inner_warning;
    if (!MeshOf(*operand.solid, inner, engine, part, &inner_warning) && warning->empty()) {
      *warning = inner_warning;
    }
    AppendMesh(out, part, operand.transform, operand.has_texture ? &operand.texture : nullptr);
  }
}

// The first operand's mesh, cut to the inside of all the others.
bool ClippedMesh(const Solid& solid, const shapes::Detail& detail, BooleanEngine* engine,
                 sdl::MeshData& out, std::string* warning) {
  if (solid.operands.empty()) return true;
  const Operand& object = solid.operands[0];
  // An infinite object need be made only where the clips can keep it.
  shapes::Bounds region = BoundsOf(solid);
  if (!(std::isfinite(region.min.x) && std::isfinite(region.max.x) && std::isfinite(region.min.y) &&
        std::isfinite(region.max.y) && std::isfinite(region.min.z) &&
        std::isfinite(region.max.z))) {
    region = detail.clip;
  }
  shapes::Detail inner = detail;
  inner.clip = region.Transformed(object.transform.Inverse());
  sdl::MeshData part, placed;
  const bool computed = MeshOf(*object.solid, inner, engine, part, warning);
  AppendMesh(placed, part, object.transform, object.has_texture ? &object.texture : nullptr);
  const auto keep = [&solid](const sdl::Vec3& p) {
    for (size_t i = 1; i < solid.operands.size(); ++i) {
      const Operand& clip = solid.operands[i];
      if (!Inside(*clip.solid, clip.transform.Inverse().Point(p))) return false;
    }
    return true;
  };
  // Cut points to a millionth of the object's size.
  const shapes::Bounds box = BoundsOf(solid);
  const double size =
      box.Empty() ? 1
                  : std::max({box.max.x - box.min.x, box.max.y - box.min.y, box.max.z - box.min.z});
  ClipMesh(placed, keep, std::isfinite(size) && size > 0 ? size * 1e-6 : 1e-6, out);
  return computed;
}

}  // namespace

bool MeshOf(const Solid& solid, const shapes::Detail& detail, BooleanEngine* engine,
            sdl::MeshData& out, std::string* warning) {
  out = sdl::MeshData();
  switch (solid.op) {
    case SolidOp::kShape:
      shapes::Tessellate(solid.shape, detail, out);
      return true;
    case SolidOp::kMesh:
      if (solid.mesh != nullptr) out = *solid.mesh;
      return true;
    case SolidOp::kClip:
      return ClippedMesh(solid, detail, engine, out, warning);
    default:
      break;
  }
  std::string error = "no boolean engine";
  // Past this many mesh triangles the kernel would spend its time limit
  // and give up: the inside test makes it at once.
  constexpr int64_t kKernelTriangles = 8000;
  if (engine != nullptr && KernelMeshTriangles(solid, detail.tolerance) > kKernelTriangles) {
    error = "operands it would take as meshes of over " + std::to_string(kKernelTriangles) +
            " triangles, or without an end";
  } else if (engine != nullptr && engine->Compute(solid, detail, out, &error)) {
    return true;
  }
  // The kernel could not: from the inside test, its edges cut within a
  // cell, in what is left of the time for booleans.
  std::string why;
  constexpr double kWithoutKernel = 2 * kSlowBuild;  // seconds, when there is no engine
  const double seconds =
      std::min(engine != nullptr ? engine->SecondsLeft() : kWithoutKernel, kWithoutKernel);
  const auto start = std::chrono::steady_clock::now();
  const bool made = ImplicitBooleanMesh(solid, detail, seconds, out, &why);
  if (engine != nullptr) {
    engine->Spend(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (made) {
    *warning = error;
    return true;
  }
  out = sdl::MeshData();
  *warning = error + "; " + why;
  OperandsWhole(solid, detail, engine, out, warning);
  return false;
}

bool NeedsBooleans(const Solid& solid) {
  switch (solid.op) {
    case SolidOp::kMerge:
    case SolidOp::kIntersection:
    case SolidOp::kDifference:
      return true;
    default:
      return std::any_of(solid.operands.begin(), solid.operands.end(),
                         [](const Operand& operand) { return NeedsBooleans(*operand.solid); });
  }
}

int64_t EstimateTriangles(const Solid& solid, double tolerance) {
  switch (solid.op) {
    case SolidOp::kShape:
      return shapes::EstimateTriangles(solid.shape, tolerance);
    case SolidOp::kMesh:
      return solid.mesh != nullptr ? static_cast<int64_t>(solid.mesh->faces.size()) : 0;
    case SolidOp::kClip:
      return solid.operands.empty() ? 0 : EstimateTriangles(*solid.operands[0].solid, tolerance);
    default:
      break;
  }
  int64_t sum = 0;
  for (const Operand& operand : solid.operands) sum += EstimateTriangles(*operand.solid, tolerance);
  return sum;
}

}  // namespace csg
