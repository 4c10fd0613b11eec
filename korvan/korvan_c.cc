#include "korvan/korvan_c.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "korvan/importer_host.h"

struct korvan_scene {
  ScenePtr scene;
  int status = 1;
  std::string outcome;
  std::vector<std::string> messages;  // the loader's, then the scene's
  std::vector<MMesh_P*> meshes;       // owned by `scene`
  std::vector<MSurface*> materials;
  std::vector<MCamera*> cameras;
  std::vector<MLight*> lights;
};

namespace {

// The shortest text that reads back as `value`.
std::string ShortestText(double value) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, value);
  return std::string(text, r.ptr);
}

// Serialises imports and the plug-in sets: the plug-in's reader keeps
// process-wide state, so one import runs at a time.
std::mutex& ImportLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

// Plug-ins by folder, loaded once: their libraries stay open anyway.
const PluginSet& PluginsIn(const char* dir) {
  static std::map<std::string, PluginSet>* sets = new std::map<std::string, PluginSet>;
  const std::string key = dir != nullptr ? dir : "";
  auto it = sets->find(key);
  if (it == sets->end()) {
    it = sets->emplace(key, LoadPlugins(PluginFolders(dir != nullptr ? dir : nullptr))).first;
  }
  return it->second;
}

template <class T>
std::vector<T*> Items(MList* list) {
  std::vector<T*> items;
  for (MListNode* n = list->head; n != nullptr; n = n->next) {
    if (n->item != nullptr) items.push_back(static_cast<T*>(n->item));
  }
  return items;
}

void Fill(korvan_scene* out) {
  MScene& scene = *out->scene;
  for (const char* message : Items<const char>(scene.Get_Messages())) {
    out->messages.emplace_back(message);
  }
  scene.ForEachMesh([out](MMesh_P& mesh) { out->meshes.push_back(&mesh); });
  out->materials = Items<MSurface>(scene.Get_Materials());
  out->cameras = Items<MCamera>(scene.Get_Cameras());
  out->lights = Items<MLight>(scene.Get_Lights());
}

MMesh_P* MeshAt(const korvan_scene* scene, int i) {
  return scene != nullptr && i >= 0 && static_cast<size_t>(i) < scene->meshes.size()
             ? scene->meshes[i]
             : nullptr;
}

const FaceStream* Channel(const MMesh_P& mesh, int channel) {
  switch (channel) {
    case KORVAN_POSITIONS:
      return &mesh.Faces();
    case KORVAN_NORMALS:
      return mesh.NormalsUsed() ? &mesh.NFaces() : nullptr;
    case KORVAN_UVS:
      return mesh.UVUsed() ? &mesh.UVFaces() : nullptr;
    default:
      return nullptr;
  }
}

int64_t CornersOf(const FaceStream& faces) {
  return faces.starts.size() > 0 ? faces.starts[faces.count] : faces.count * 3;
}

void Copy3(const MVector3& v, double out[3]) {
  if (out == nullptr) return;
  out[0] = v.x;
  out[1] = v.y;
  out[2] = v.z;
}

}  // namespace

extern "C" {

int korvan_c_version(void) { return KORVAN_C_VERSION; }

void korvan_import_options_init(korvan_import_options* options) {
  if (options != nullptr) {
    *options = korvan_import_options{nullptr, nullptr,      nullptr, nullptr, -1, nullptr,
                                     0.0,     std::nan(""), 0,       -1,      0.0};
  }
}

korvan_scene* korvan_import(const char* path, const korvan_import_options* options) {
  // The layout of version 2 ends with time_limit.
  return korvan_import_sized(path, options, offsetof(korvan_import_options, clock));
}

korvan_scene* korvan_import_sized(const char* path, const korvan_import_options* options,
                                  size_t size) {
  auto* out = new (std::nothrow) korvan_scene;
  if (out == nullptr) return nullptr;
  korvan_import_options o;
  korvan_import_options_init(&o);
  if (options != nullptr) std::memcpy(&o, options, std::min(size, sizeof o));
  const std::lock_guard<std::mutex> serialised(ImportLock());
  const PluginSet& plugins = PluginsIn(o.plugin_dir);
  out->messages = plugins.errors;
  if (path == nullptr || *path == '\0') {
    out->outcome = "no scene file given";
    return out;
  }
  ImporterPtr importer = FindImporter(plugins, path);
  if (!importer) {
    out->outcome = "no import plug-in found";
    return out;
  }
  // No window of the plug-in's inside another program's process.
  importer->SetShowProgress(0);
  ImportRequest request;
  if (o.grammar != nullptr) request.grammar = o.grammar;
  if (o.log_path != nullptr) request.log = o.log_path;
  request.cancel = o.cancel;
  request.time_limit = o.time_limit;
  if (std::isfinite(o.clock)) request.clock = ShortestText(o.clock);
  if (o.frame > 0) request.frame = std::to_string(o.frame);
  if (o.shapes == 0 || o.shapes == 1) request.shapes.assign(1, o.shapes == 1 ? '1' : '0');
  if (o.tolerance > 0 && o.tolerance <= 0.5) request.tolerance = ShortestText(o.tolerance);
  if (o.place_objects == 0 || o.place_objects == 1) {
    request.place.assign(1, o.place_objects == 1 ? '1' : '0');
  }
  if (o.include_path != nullptr && *o.include_path != '\0') {
    std::string folders = o.include_path;
    for (size_t start = 0; start <= folders.size();) {
      size_t end = folders.find(':', start);
      if (end == std::string::npos) end = folders.size();
      if (end > start) request.include_paths.push_back(folders.substr(start, end - start));
      start = end + 1;
    }
  }
  ImportResult result = ImportWith(importer.get(), path, request);
  out->status = result.status;
  out->outcome = result.outcome.line;
  if (!result.scene) {
    out->outcome = "the import made no scene (out of memory)";
  } else if (result.outcome.kind == ImportOutcome::kNotFound) {
    out->outcome = path;
    out->outcome += ": cannot read the file";
  }
  out->scene = std::move(result.scene);
  if (out->scene) Fill(out);
  return out;
}

void korvan_scene_free(korvan_scene* scene) { delete scene; }

int korvan_scene_status(const korvan_scene* scene) { return scene != nullptr ? scene->status : 1; }

const char* korvan_scene_outcome(const korvan_scene* scene) {
  return scene != nullptr ? scene->outcome.c_str() : "";
}

int korvan_scene_message_count(const korvan_scene* scene) {
  return scene != nullptr ? static_cast<int>(scene->messages.size()) : 0;
}

const char* korvan_scene_message(const korvan_scene* scene, int i) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->messages.size()) return "";
  return scene->messages[i].c_str();
}

int korvan_scene_material_count(const korvan_scene* scene) {
  return scene != nullptr ? static_cast<int>(scene->materials.size()) : 0;
}

const char* korvan_scene_material_name(const korvan_scene* scene, int i) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->materials.size()) return "";
  return scene->materials[i]->get_name();
}

int korvan_scene_material_color(const korvan_scene* scene, int i, float rgba[4]) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->materials.size()) return 0;
  const MSurface* surface = scene->materials[i];
  if (!surface->Has_Color() || rgba == nullptr) return 0;
  for (int k = 0; k < 4; ++k) rgba[k] = surface->Get_Color()[k];
  return 1;
}

int korvan_scene_material_finish(const korvan_scene* scene, int i, float* metallic,
                                 float* roughness) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->materials.size()) return 0;
  const MSurface* surface = scene->materials[i];
  if (!surface->Has_Finish() || metallic == nullptr || roughness == nullptr) return 0;
  *metallic = surface->Get_Metallic();
  *roughness = surface->Get_Roughness();
  return 1;
}

int korvan_scene_camera_count(const korvan_scene* scene) {
  return scene != nullptr ? static_cast<int>(scene->cameras.size()) : 0;
}

int korvan_scene_camera(const korvan_scene* scene, int i, double location[3], double look_at[3],
                        double sky[3], double* angle, int* from_file) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->cameras.size()) return 0;
  const MCamera& camera = *scene->cameras[i];
  Copy3(camera.location, location);
  Copy3(camera.look_at, look_at);
  Copy3(camera.sky, sky);
  if (angle != nullptr) *angle = camera.angle;
  if (from_file != nullptr) *from_file = camera.from_file;
  return 1;
}

int korvan_scene_light_count(const korvan_scene* scene) {
  return scene != nullptr ? static_cast<int>(scene->lights.size()) : 0;
}

int korvan_scene_light(const korvan_scene* scene, int i, double location[3], double color[3]) {
  if (scene == nullptr || i < 0 || static_cast<size_t>(i) >= scene->lights.size()) return 0;
  Copy3(scene->lights[i]->location, location);
  Copy3(scene->lights[i]->color, color);
  return 1;
}

int korvan_scene_mesh_count(const korvan_scene* scene) {
  return scene != nullptr ? static_cast<int>(scene->meshes.size()) : 0;
}

int korvan_mesh_get_info(const korvan_scene* scene, int i, korvan_mesh_info* info) {
  MMesh_P* mesh = MeshAt(scene, i);
  if (mesh == nullptr || info == nullptr) return 0;
  *info = korvan_mesh_info{};
  info->name = mesh->get_name();
  info->vertices = mesh->Get_Vertex_Count();
  info->faces = mesh->Get_Face_Count();
  if (mesh->NormalsUsed()) {
    info->normals = mesh->Get_NVertex_Count();
    info->normal_faces = mesh->Get_NFace_Count();
  }
  if (mesh->UVUsed()) {
    info->uvs = mesh->Get_UVVertex_Count();
    info->uv_faces = mesh->Get_UVFace_Count();
  }
  info->triangles_only = 1;
  for (int channel = 0; channel < 3; ++channel) {
    const FaceStream* faces = Channel(*mesh, channel);
    if (faces == nullptr) continue;
    info->corners[channel] = CornersOf(*faces);
    if (faces->starts.size() > 0) info->triangles_only = 0;
  }
  info->materials = mesh->Get_MaterialNames()->Get_Count();
  return 1;
}

const double* korvan_mesh_positions(const korvan_scene* scene, int i) {
  MMesh_P* mesh = MeshAt(scene, i);
  return mesh != nullptr && mesh->Get_Vertex_Count() > 0 ? &mesh->Get_Vertex(0).x : nullptr;
}

const double* korvan_mesh_normals(const korvan_scene* scene, int i) {
  MMesh_P* mesh = MeshAt(scene, i);
  return mesh != nullptr && mesh->NormalsUsed() && mesh->Get_NVertex_Count() > 0
             ? &mesh->Get_NVertex(0).x
             : nullptr;
}

const double* korvan_mesh_uvs(const korvan_scene* scene, int i) {
  MMesh_P* mesh = MeshAt(scene, i);
  return mesh != nullptr && mesh->UVUsed() && mesh->Get_UVVertex_Count() > 0
             ? &mesh->Get_UVVertex(0).x
             : nullptr;
}

const int32_t* korvan_mesh_faces(const korvan_scene* scene, int i, int channel) {
  MMesh_P* mesh = MeshAt(scene, i);
  const FaceStream* faces = mesh != nullptr ? Channel(*mesh, channel) : nullptr;
  if (faces == nullptr || faces->count == 0 || faces->starts.size() > 0) return nullptr;
  return faces->Corners(0);
}

int korvan_mesh_copy_faces(const korvan_scene* scene, int i, int channel, int32_t* corners,
                           int32_t* sizes) {
  MMesh_P* mesh = MeshAt(scene, i);
  const FaceStream* faces = mesh != nullptr ? Channel(*mesh, channel) : nullptr;
  if (faces == nullptr || corners == nullptr || sizes == nullptr) return 0;
  int32_t* to = corners;
  for (int64_t f = 0; f < faces->count; ++f) {
    const int32_t n = faces->CornerCount(f);
    const int32_t* from = faces->Corners(f);
    for (int32_t k = 0; k < n; ++k) *to++ = from[k];
    sizes[f] = n;
  }
  return 1;
}

const int32_t* korvan_mesh_material_ids(const korvan_scene* scene, int i) {
  MMesh_P* mesh = MeshAt(scene, i);
  return mesh != nullptr && mesh->Get_Face_Count() > 0 ? mesh->Face_MatIds() : nullptr;
}

const char* korvan_mesh_material_name(const korvan_scene* scene, int i, int material) {
  MMesh_P* mesh = MeshAt(scene, i);
  if (mesh == nullptr || material < 0) return "";
  MListNode* node = mesh->Get_MaterialNames()->head;
  for (int k = 0; k < material && node != nullptr; ++k) node = node->next;
  return node != nullptr && node->item != nullptr ? static_cast<const char*>(node->item) : "";
}

}  // extern "C"
