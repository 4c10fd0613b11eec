// Writing a host scene in a standard format: the formats offered, and one
// call that writes. glTF goes through TinyGLTF, OBJ, PLY, STL and Collada
// through Assimp, our JSON through the host library. Every format offered is
// one that Blender and Assimp read back with the scene's counts. Faces are
// written by FaceRules: right-handed (z negated) unless asked to keep
// POV-Ray's axes, turned to agree with their normals unless asked to keep
// the winding; faces that cannot be written are left out and counted.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "korvan/export_mesh.h"
#include "plugin/host/scene.h"

struct ExportFormat {
  std::string id;         // "glb2", "gltf2", "obj", "objnomtl", "plyb", ... or "json"
  std::string extension;  // without the dot
  std::string description;
};

// What can be written.
std::vector<ExportFormat> ExportFormats();
// The format with that id (any case), or null.
const ExportFormat* FindFormatById(const std::string& id);
// The usual format for a file extension ("glb", "gltf", "obj", ...), or null.
const ExportFormat* FindFormatForExtension(const std::string& extension);

struct ExportReport {
  std::vector<MeshReport> meshes;  // only meshes with something to report
  long faces_written = 0;
  std::string error;  // empty when written

  long faces_not_written() const {
    long n = 0;
    for (const MeshReport& mesh : meshes) n += mesh.faces_left_out + mesh.faces_degenerate;
    return n;
  }
};

struct ExportOptions : WriteRules {};

// Writes `scene` to `path` in `format`; false with report->error set when
// it cannot. `scene_read`, when given, is called once the scene has been
// read in full (before the writer makes its own copies of it), so that a
// caller done with the scene can free it then.
bool ExportScene(MScene& scene, const std::string& path, const ExportFormat& format,
                 const ExportOptions& options, ExportReport* report,
                 const std::function<void()>& scene_read = {});
