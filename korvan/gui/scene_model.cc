#include "korvan/gui/scene_model.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "korvan/camera_view.h"
#include "korvan/face_rules.h"
#include "korvan/material_palette.h"

namespace {

std::vector<std::string> NamesOf(MList& list) {
  std::vector<std::string> names;
  for (MListNode* n = list.head; n != nullptr; n = n->next) {
    if (n->item != nullptr) names.emplace_back(static_cast<const char*>(n->item));
  }
  return names;
}

void Push(std::vector<float>& to, float x, float y, float z) {
  to.push_back(x);
  to.push_back(y);
  to.push_back(z);
}

// Appends the triangles of one mesh, its faces as the export writes them.
void AddMesh(MMesh_P& mesh, const std::unordered_map<std::string, PaletteColor>& scene_materials,
             RenderMesh& out) {
  const std::vector<std::string> names = NamesOf(*mesh.Get_MaterialNames());
  FaceRules rules(mesh, WriteRules());
  std::vector<WrittenCorner> corners;
  for (int64_t f = 0; f < mesh.Get_Face_Count(); ++f) {
    if (rules.Face(f, &corners) != FaceVerdict::kWritten) continue;
    const int32_t mat = mesh.Get_Face_MatId(f);
    PaletteColor color = MaterialColor(0);
    if (mat >= 0 && static_cast<size_t>(mat) < names.size()) {
      auto it = scene_materials.find(names[mat]);
      if (it != scene_materials.end()) color = it->second;
    }
    const size_t n = corners.size();
    for (size_t k = 1; k + 1 < n; ++k) {
      const WrittenCorner* triangle[3] = {&corners[0], &corners[k], &corners[k + 1]};
      // Without normals of its own, the triangle's by its (written) winding.
      const MVector3 a = rules.Position(triangle[0]->position),
                     b = rules.Position(triangle[1]->position),
                     c = rules.Position(triangle[2]->position);
      const MVector3 flat = Normal(a, b, c);
      for (const WrittenCorner* corner : triangle) {
        const MVector3 p = rules.Position(corner->position);
        const MVector3 m = rules.has_normals() ? rules.Normal(corner->normal) : flat;
        Push(out.positions, static_cast<float>(p.x), static_cast<float>(p.y),
             static_cast<float>(p.z));
        Push(out.normals, static_cast<float>(m.x), static_cast<float>(m.y),
             static_cast<float>(m.z));
        Push(out.colors, color.r, color.g, color.b);
      }
    }
  }
}

}  // namespace

SceneSummary Summarize(MScene& scene) {
  SceneSummary summary;
  scene.ForEachMesh([&](MMesh_P& each) {
    MMesh_P* mesh = &each;
    MeshRow row;
    row.name = mesh->get_name();
    row.vertices = mesh->Get_Vertex_Count();
    row.faces = mesh->Get_Face_Count();
    row.normals = mesh->NormalsUsed() ? mesh->Get_NVertex_Count() : 0;
    row.uv = mesh->UVUsed() ? mesh->Get_UVVertex_Count() : 0;
    for (const std::string& name : NamesOf(*mesh->Get_MaterialNames())) {
      row.materials += (row.materials.empty() ? "" : ", ") + name;
    }
    summary.meshes.push_back(row);
  });
  for (MListNode* n = scene.Get_Materials()->head; n != nullptr; n = n->next) {
    if (n->item != nullptr)
      summary.materials.emplace_back(static_cast<MSurface*>(n->item)->get_name());
  }
  summary.cameras = scene.Get_Cameras()->Get_Count();
  summary.lights = scene.Get_Lights()->Get_Count();
  return summary;
}

RenderMesh BuildRenderMesh(MScene& scene) {
  RenderMesh out;
  std::unordered_map<std::string, PaletteColor> materials;
  size_t index = 0;
  for (MListNode* n = scene.Get_Materials()->head; n != nullptr; n = n->next, ++index) {
    if (n->item == nullptr) continue;
    const auto* surface = static_cast<MSurface*>(n->item);
    materials.emplace(surface->get_name(), ShownColor(surface, index));
  }
  scene.ForEachMesh([&](MMesh_P& mesh) { AddMesh(mesh, materials, out); });
  // The view starts where the scene file's camera stands (z negated, as the
  // positions are).
  for (MListNode* n = scene.Get_Cameras()->head; n != nullptr; n = n->next) {
    const auto* camera = static_cast<const MCamera*>(n->item);
    if (camera == nullptr || !camera->from_file) continue;
    const MVector3& e = camera->location;
    const MVector3& t = camera->look_at;
    out.has_view = IsFinite(e) && IsFinite(t);
    if (!out.has_view) continue;
    const float eye[3] = {static_cast<float>(e.x), static_cast<float>(e.y),
                          static_cast<float>(-e.z)};
    const float at[3] = {static_cast<float>(t.x), static_cast<float>(t.y),
                         static_cast<float>(-t.z)};
    std::copy(eye, eye + 3, out.eye);
    std::copy(at, at + 3, out.look_at);
    out.field_of_view = static_cast<float>(VerticalFieldOfView(camera->angle) * 180 / M_PI);
    break;
  }
  if (out.positions.empty()) return out;
  float low[3] = {out.positions[0], out.positions[1], out.positions[2]};
  float high[3] = {low[0], low[1], low[2]};
  for (size_t i = 0; i < out.positions.size(); ++i) {
    low[i % 3] = std::min(low[i % 3], out.positions[i]);
    high[i % 3] = std::max(high[i % 3], out.positions[i]);
  }
  float r2 = 0;
  for (int k = 0; k < 3; ++k) {
    out.center[k] = (low[k] + high[k]) / 2;
    r2 += (high[k] - low[k]) * (high[k] - low[k]) / 4;
  }
  out.radius = std::max(std::sqrt(r2), 1e-6f);
  return out;
}

void OrbitCamera::Frame(const float center[3], float r) {
  std::copy(center, center + 3, target);
  radius = r > 0 ? r : 1;
  distance = radius * 2.8f;  // the whole sphere inside a 45° view
  yaw = kFrontYaw;
  pitch = kFrontPitch;
}

void OrbitCamera::Orbit(float dx, float dy) {
  yaw += dx;
  pitch = std::clamp(pitch + dy, -1.55f, 1.55f);
}

void OrbitCamera::Pan(float dx, float dy) {
  // Along the screen's right and up at the target's distance.
  const float right[3] = {std::cos(yaw), 0, -std::sin(yaw)};
  const float up[3] = {-std::sin(pitch) * std::sin(yaw), std::cos(pitch),
                       -std::sin(pitch) * std::cos(yaw)};
  for (int k = 0; k < 3; ++k) target[k] += (-dx * right[k] + dy * up[k]) * distance;
}

void OrbitCamera::Zoom(float steps) {
  distance = std::clamp(distance * std::pow(0.9f, steps), radius * 0.05f, radius * 100.0f);
}

void OrbitCamera::LookFrom(const float eye[3], const float look_at[3]) {
  std::copy(look_at, look_at + 3, target);
  const float d[3] = {eye[0] - look_at[0], eye[1] - look_at[1], eye[2] - look_at[2]};
  const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (!(length > 0)) return;
  distance = length;
  yaw = std::atan2(d[0], d[2]);
  pitch = std::clamp(std::asin(d[1] / length), -1.55f, 1.55f);
}

void OrbitCamera::Eye(float eye[3]) const {
  eye[0] = target[0] + distance * std::cos(pitch) * std::sin(yaw);
  eye[1] = target[1] + distance * std::sin(pitch);
  eye[2] = target[2] + distance * std::cos(pitch) * std::cos(yaw);
}
