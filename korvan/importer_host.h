// What a host program does with importers: owning handles for importers
// (released through Release) and scenes, choosing the importer for a file,
// and counting what a scene holds. Shared by the command line and the
// window.
#pragma once

#include <memory>
#include <string>

#include "korvan/plugin_loader.h"
#include "plugin/host/plugin_api.h"
#include "plugin/host/scene.h"

struct ImporterDeleter {
  void operator()(ImporterBase* importer) const { importer->Release(); }
};
using ImporterPtr = std::unique_ptr<ImporterBase, ImporterDeleter>;

struct SceneDeleter {
  void operator()(MScene* scene) const { delete scene; }
};
using ScenePtr = std::unique_ptr<MScene, SceneDeleter>;

// A new importer for `scene_file`: from the first importer class whose
// filter takes the file's extension, else the first importer class at all
// (any importer when `scene_file` is empty); null when there is none.
KORVAN_API ImporterPtr FindImporter(const PluginSet& set, const std::string& scene_file);

struct SceneCounts {
  long meshes = 0, vertices = 0, faces = 0;
};
KORVAN_API SceneCounts Count(MScene& scene);
