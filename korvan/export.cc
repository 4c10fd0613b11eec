#include "korvan/export.h"

#include <cstring>
#include <map>

#include "korvan/assimp_export.h"
#include "korvan/gltf_export.h"
#include "korvan/scene_json.h"
#include "korvan/text.h"

namespace {

// The formats offered: each is read back by Blender and by Assimp with the
// scene's counts. Assimp 5.2 has more writers, but Blender cannot open
// their files (X, STEP, 3DS, 3MF, pbrt, Assimp's own) or they are not
// valid: its binary FBX writer leaves out the end-of-list records that FBX
// readers need, and Blender reads no ASCII FBX.
const std::vector<ExportFormat>& Offered() {
  static const std::vector<ExportFormat> formats = {
      {"json", "json", "Korvan scene JSON (every value as imported)"},
      {"glb2", "glb", "glTF 2.0, binary: one file"},
      {"gltf2", "gltf", "glTF 2.0: .gltf with a .bin beside it"},
      {"obj", "obj", "Wavefront OBJ with an .mtl of the materials"},
      {"objnomtl", "obj", "Wavefront OBJ without material file"},
      {"plyb", "ply", "Stanford PLY, binary (all meshes as one)"},
      {"ply", "ply", "Stanford PLY, text (all meshes as one)"},
      {"stlb", "stl", "STL, binary (all meshes as one, no normals of the file)"},
      {"stl", "stl", "STL, text (all meshes as one, no normals of the file)"},
      {"collada", "dae", "COLLADA (one geometry per material of a mesh)"},
  };
  return formats;
}

bool OneMeshFormat(const std::string& id) {
  return id == "plyb" || id == "ply" || id == "stlb" || id == "stl";
}

}  // namespace

std::vector<ExportFormat> ExportFormats() { return Offered(); }

const ExportFormat* FindFormatById(const std::string& id) {
  const std::string key = Lower(id);
  for (const ExportFormat& f : Offered()) {
    if (f.id == key) return &f;
  }
  return nullptr;
}

const ExportFormat* FindFormatForExtension(const std::string& extension) {
  static const std::map<std::string, std::string> usual = {
      {"glb", "glb2"}, {"gltf", "gltf2"},  {"ply", "plyb"}, {"stl", "stlb"},
      {"obj", "obj"},  {"dae", "collada"}, {"json", "json"}};
  auto it = usual.find(Lower(extension));
  return it != usual.end() ? FindFormatById(it->second) : nullptr;
}

bool ExportScene(MScene& scene, const std::string& path, const ExportFormat& format,
                 const ExportOptions& options, ExportReport* report,
                 const std::function<void()>& scene_read) {
  errno = 0;
  if (format.id == "json") {
    if (!WriteSceneJson(scene, path.c_str())) report->error = std::strerror(errno);
    if (scene_read) scene_read();
    return report->error.empty();
  }
  if (format.id == "glb2" || format.id == "gltf2") {
    return WriteGltf(scene, path, format.id == "glb2", options, report, scene_read);
  }
  AiScenePtr converted = ToAssimpScene(scene, options, OneMeshFormat(format.id), report);
  if (scene_read) scene_read();
  return WriteWithAssimp(*converted, path, format.id, report);
}
