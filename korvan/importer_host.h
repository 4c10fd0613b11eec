// What a host program does with importers: owning handles for importers
// (released through Release) and scenes, choosing the importer for a file,
// and counting what a scene holds. Shared by the command line and the
// window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "korvan/log_outcome.h"
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

// What one import runs with, for that import only: the stored settings stay
// as they are. Empty fields leave the stored setting.
struct ImportRequest {
  std::string log;                         // write the detailed log to this file
  std::string grammar;                     // "literal" or "povray"
  std::string place;                       // "1" or "0": place objects
  std::vector<std::string> include_paths;  // the library path, in order
  std::string clock, frame;                // an animation's frame to read for
  std::string shapes;                      // "1" or "0": POV-Ray's other shapes as meshes
  std::string tolerance;                   // their chord error, relative
  // Stops the import when set non-zero (from any thread); the caller's, it
  // must outlive the import. Null: none.
  const volatile int* cancel = nullptr;
  double time_limit = 0;  // seconds; 0 or less: none
};

struct ImportResult {
  ScenePtr scene;  // null when the import made none (no file chosen, out of memory)
  LogOutcome outcome;
  // As the command line's exit status: 0 read; 1 nothing read (the file
  // cannot be read, no scene); 2 read up to a syntax error.
  int status = 1;
  double seconds = 0;
};

// Imports `file` with `importer` (`file` empty: chosen in its dialog).
KORVAN_API ImportResult ImportWith(ImporterBase* importer, const std::string& file,
                                   const ImportRequest& request);
