#include "sdl/scene_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "plugin/host/file.h"
#include "plugin/host/memory.h"

namespace sdl {

namespace {

// Messages beyond this many go to the counts only: a broken file can have
// millions.
constexpr int64_t kMessagesShown = 1000;

MVector3 ToHost(const Vec3& v) { return MVector3(v.x, v.y, v.z); }

void AddFace(MMesh_P* mesh, const std::array<int32_t, 3>& f, int32_t material,
             void (MMesh_P::*add)(const MIPolygon&)) {
  MIPolygon polygon(0);
  polygon.Add(f[0]);
  polygon.Add(f[1]);
  polygon.Add(f[2]);
  polygon.Set_MatId(material);
  (mesh->*add)(polygon);
}

}  // namespace

SceneBuilder::SceneBuilder(ReaderState& state, bool log) : state_(state), log_(log) {}

bool SceneBuilder::Begin() {
  state_.first_mesh = BeginMesh(state_);
  state_.current_mesh = nullptr;
  if (state_.first_mesh == nullptr) return false;
  mesh_names_.insert(state_.first_mesh->get_name());
  MaterialStep(state_, state_.first_mesh);
  return true;
}

MMesh_P* SceneBuilder::NewMesh(const std::string& wanted) {
  std::string name = wanted;
  if (name.empty()) {
    char numbered[32];
    do {
      std::snprintf(numbered, sizeof numbered, "obj_%d", state_.object_counter++);
    } while (mesh_names_.count(numbered) != 0);
    name = numbered;
  } else {
    // The next number to try is kept per name, so that placing one mesh
    // many times costs the same for each copy.
    int& next = next_suffix_[wanted];
    if (next < 2) next = 2;
    while (mesh_names_.count(name) != 0) name = wanted + "_" + std::to_string(next++);
  }
  mesh_names_.insert(name);
  return BeginNamedMesh(state_, name.c_str());
}

std::string SceneBuilder::UnnamedMaterial(const MaterialSlot& slot) {
  char key[160];
  if (slot.defaulted) {
    std::snprintf(key, sizeof key, "default");
  } else if (!slot.has_color) {
    std::snprintf(key, sizeof key, "pattern");
  } else {
    std::snprintf(key, sizeof key, "%.9g %.9g %.9g %.9g %.9g", slot.color[0], slot.color[1],
                  slot.color[2], slot.color[3], slot.color[4]);
  }
  if (slot.has_finish) {
    double metallic = 0, roughness = 1;
    MetallicRoughness(slot.finish, &metallic, &roughness);
    const size_t used = std::strlen(key);
    std::snprintf(key + used, sizeof key - used, " finish %.9g %.9g", metallic, roughness);
  }
  auto [it, added] = unnamed_materials_.emplace(key, std::string());
  if (added) {
    char numbered[16];
    NextMaterialName(state_, numbered);
    it->second = numbered;
  }
  return it->second;
}

int32_t SceneBuilder::Material(MMesh_P* mesh, const MaterialSlot& slot) {
  const std::string unnamed = slot.name.empty() ? UnnamedMaterial(slot) : std::string();
  const char* name = slot.name.empty() ? unnamed.c_str() : slot.name.c_str();
  AttachMaterial(state_, mesh, name);
  Colour(name, slot);
  const int index = mesh->GetIndexMaterialbyName(name);
  return index < 0 ? 0 : index;
}

void SceneBuilder::Colour(const char* material, const MaterialSlot& slot) {
  MSurface* surface = state_.scene->GetMaterialbyName(material);
  if (surface == nullptr || surface->Has_Color() || slot.defaulted) return;
  if (slot.has_finish) {
    double metallic = 0, roughness = 1;
    MetallicRoughness(slot.finish, &metallic, &roughness);
    surface->Set_Finish(static_cast<float>(metallic), static_cast<float>(roughness));
  }
  if (slot.has_color) {
    // Filter and transmit both let light through: the glTF alpha is what is left.
    const double through = std::max(slot.color[3], slot.color[4]);
    surface->Set_Color(static_cast<float>(slot.color[0]), static_cast<float>(slot.color[1]),
                       static_cast<float>(slot.color[2]), static_cast<float>(1.0 - through));
  } else {
    surface->Set_Color(0.8f, 0.8f, 0.8f, 1.0f);  // a pattern or map: neutral grey
    ++grey_materials_;
  }
}

void SceneBuilder::AddMesh(MeshData& data, const std::string& name) {
  MMesh_P* mesh = NewMesh(name);
  if (mesh == nullptr) return;
  std::vector<int32_t> materials;
  materials.reserve(data.slots.size());
  for (const MaterialSlot& slot : data.slots) materials.push_back(Material(mesh, slot));
  for (const Vec3& v : data.vertices) mesh->Add_Vertex(ToHost(v), -1.0);
  for (size_t f = 0; f < data.faces.size(); ++f) {
    const int32_t slot = f < data.face_slots.size() ? data.face_slots[f] : 0;
    const int32_t material =
        slot >= 0 && static_cast<size_t>(slot) < materials.size() ? materials[slot] : 0;
    AddFace(mesh, data.faces[f], material, &MMesh_P::Add_Face);
  }
  const bool normals = data.HasNormals(), uv = data.HasUV();
  if (normals) {
    mesh->UseNormals();
    for (const Vec3& n : data.normals) mesh->Add_NVertex(ToHost(n), -1.0);
    for (const auto& f : data.normal_faces) AddFace(mesh, f, 0, &MMesh_P::Add_NFace);
  }
  if (uv) {
    mesh->UseUV();
    for (const Vec3& t : data.uvs) mesh->Add_UVVertex(MVector3(t.x, t.y, 0.0), -1.0);
    for (const auto& f : data.uv_faces) AddFace(mesh, f, 0, &MMesh_P::Add_UVFace);
  }
  if (!log_) return;
  LogFile& log = Log();
  log.write("\nmesh2:\n");
  if (!name.empty()) log.write("name %s\n", mesh->get_name());
  log.write("vertex_vectors:\n");
  log.write("-->%lld vertices\n", static_cast<long long>(data.vertices.size()));
  if (normals) {
    log.write("normal_vectors:\n");
    log.write("-->%lld nvertices\n", static_cast<long long>(data.normals.size()));
  }
  if (uv) log.write("uv_vectors:\n");
  if (!data.slots.empty()) {
    log.write("texture_list:\n");
    log.write("-->%lld texture(s)\n", static_cast<long long>(data.slots.size()));
  }
  log.write("face_indices:\n");
  log.write("-->%lld faces\n", static_cast<long long>(data.faces.size()));
  if (normals) {
    log.write("normal_indices:\n");
    log.write("-->%lld normal faces\n", static_cast<long long>(data.normal_faces.size()));
  }
  if (uv) {
    log.write("uv_indices:\n");
    log.write("-->%lld uv faces\n", static_cast<long long>(data.uv_faces.size()));
  }
  if (data.degenerate_dropped > 0) {
    log.write("%lld degenerate triangles dropped\n",
              static_cast<long long>(data.degenerate_dropped));
  }
}

void SceneBuilder::AddLooseTriangle(const Vec3 corners[3], const Vec3* normals,
                                    const MaterialSlot* texture) {
  MMesh_P* mesh = state_.first_mesh;
  if (mesh == nullptr) return;
  const int32_t material = texture != nullptr ? Material(mesh, *texture) : 0;
  const Vec3 face = FaceNormal(corners[0], corners[1], corners[2]);
  const Vec3 flat[3] = {face, face, face};
  const Vec3* n = normals != nullptr ? normals : flat;
  mesh->Add_Tri(ToHost(corners[0]), ToHost(corners[1]), ToHost(corners[2]), material, -1.0);
  if (mesh->NormalsUsed() == 0) mesh->UseNormals();
  mesh->Add_NTri(ToHost(n[0]), ToHost(n[1]), ToHost(n[2]), material, -1.0);
  if (!log_) return;
  for (int i = 0; i < 3; ++i) {
    Log().write("<%f,%f,%f>\n", corners[i].x, corners[i].y, corners[i].z);
    if (normals != nullptr) Log().write("<%f,%f,%f>\n", normals[i].x, normals[i].y, normals[i].z);
  }
}

void SceneBuilder::AddCamera(const Vec3& location, const Vec3& look_at, const Vec3& sky,
                             double angle) {
  MList* cameras = state_.scene->Get_Cameras();
  const std::string name = "camera_" + std::to_string(cameras->Get_Count());
  auto* camera = new MCamera(name.c_str());
  if (camera == nullptr) return;
  camera->location = ToHost(location);
  camera->look_at = ToHost(look_at);
  camera->sky = ToHost(sky);
  camera->angle = angle;
  camera->from_file = 1;
  const int32_t before = cameras->Get_Count();
  cameras->Add(camera);
  if (cameras->Get_Count() == before) delete camera;
}

void SceneBuilder::AddLight(const Vec3& location, const double color[3]) {
  MList* lights = state_.scene->Get_Lights();
  const std::string name = "light_" + std::to_string(lights->Get_Count());
  auto* light = new MLight(name.c_str());
  if (light == nullptr) return;
  light->location = ToHost(location);
  light->color = MVector3(color[0], color[1], color[2]);
  const int32_t before = lights->Get_Count();
  lights->Add(light);
  if (lights->Get_Count() == before) delete light;
}

void SceneBuilder::Message(bool error, const std::string& text) {
  (void)error;
  if (!log_ || messages_++ >= kMessagesShown) return;
  Log().write("%s\n", text.c_str());
  if (char* copy = my_strdup(text.c_str())) {
    MList* list = state_.scene->Get_Messages();
    const int32_t before = list->Get_Count();
    list->Add(copy);
    if (list->Get_Count() == before) my_free(copy);
  }
}

void SceneBuilder::Progress(int64_t position) {
  if (log_ && position > g_NextProgress) ReportProgress(position);
}

void SceneBuilder::PassedOver(const std::string& kind, int64_t count) {
  passed_over_.emplace_back(kind, count);
}

void SceneBuilder::Finish() {
  if (!log_) return;
  for (const auto& [kind, count] : passed_over_) {
    Log().write("%lld %s objects passed over\n", static_cast<long long>(count), kind.c_str());
  }
  if (grey_materials_ > 0) {
    Log().write("%lld materials without a plain colour (patterns, maps): neutral grey\n",
                static_cast<long long>(grey_materials_));
  }
  if (loose_dropped_ > 0) {
    Log().write("%lld degenerate triangles dropped\n", static_cast<long long>(loose_dropped_));
  }
  if (messages_ > kMessagesShown) {
    const std::string more =
        std::to_string(messages_ - kMessagesShown) + " more messages not shown";
    Log().write("%s\n", more.c_str());
    if (char* copy = my_strdup(more.c_str())) state_.scene->Get_Messages()->Add(copy);
  }
}

}  // namespace sdl
