// Writing a host scene in a standard format through Assimp. The scene is
// converted first: each host mesh becomes one node, its faces split by
// material into one Assimp mesh per material used, and the three index
// streams (positions, normals, uv) merged into one by making one vertex per
// distinct (position, normal, uv) triple of written values, so that shared
// and equal corners stay one vertex. Faces that cannot be written
// (indices outside their lists, non-finite coordinates, fewer than three
// corners) are left out and counted. POV-Ray is left-handed, y up; unless
// asked to keep it, z is negated and the winding reversed so that the
// right-handed formats (glTF and the rest) do not show the model mirrored.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "plugin/host/scene.h"

struct aiScene;

struct ExportFormat {
  std::string id;         // Assimp's id ("glb2", "obj", ...), or "json"
  std::string extension;  // without the dot
  std::string description;
};

// What can be written: our JSON and every Assimp exporter.
std::vector<ExportFormat> ExportFormats();
// The format with Assimp's id ("glb2", "obj", "fbx", ... or "json"), or null.
const ExportFormat* FindFormatById(const std::string& id);
// The usual format for a file extension ("glb", "gltf", "fbx", ...), or null.
const ExportFormat* FindFormatForExtension(const std::string& extension);

struct MeshReport {
  std::string name;
  long faces_left_out = 0;      // indices out of range, non-finite, < 3 corners
  long materials_replaced = 0;  // material id outside the mesh's list: first material used
};

struct ExportReport {
  std::vector<MeshReport> meshes;  // only meshes with something to report
  long faces_written = 0;
  std::string error;  // empty when written
};

struct ExportOptions {
  bool keep_handedness = false;
};

struct AiSceneDeleter {
  void operator()(aiScene* scene) const;
};
using AiScenePtr = std::unique_ptr<aiScene, AiSceneDeleter>;

// The Assimp scene for `scene`; what was left out goes into `report`.
AiScenePtr ToAssimpScene(MScene& scene, const ExportOptions& options, ExportReport* report);

// Writes `scene` to `path` in `format`; false with report->error set when
// it cannot. `scene_read`, when given, is called once the scene has been
// read in full (before the writer makes its own copies of it), so that a
// caller done with the scene can free it then.
bool ExportScene(MScene& scene, const std::string& path, const ExportFormat& format,
                 const ExportOptions& options, ExportReport* report,
                 const std::function<void()>& scene_read = {});
