// The formats written through Assimp (OBJ, PLY, STL, Collada). The scene is
// converted first: each host mesh becomes one node with one Assimp mesh per
// material it uses. For the formats that hold one mesh (PLY, STL) the
// converter joins everything into one mesh itself, so that Assimp has
// nothing to move by node transformations (which takes it time that grows
// with the square of the number of meshes).
#pragma once

#include <memory>
#include <string>

#include "korvan/export.h"

struct aiScene;

struct AiSceneDeleter {
  void operator()(aiScene* scene) const;
};
using AiScenePtr = std::unique_ptr<aiScene, AiSceneDeleter>;

// The Assimp scene for `scene`; with `one_mesh`, every face in one mesh.
// What was left out goes into `report`.
AiScenePtr ToAssimpScene(MScene& scene, const ExportOptions& options, bool one_mesh,
                         ExportReport* report);

// Writes the converted scene with Assimp's writer `assimp_id`.
bool WriteWithAssimp(const aiScene& scene, const std::string& path, const std::string& assimp_id,
                     ExportReport* report);
