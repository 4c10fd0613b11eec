#include "korvan/importer_host.h"

#include <limits.h>
#include <unistd.h>

#include <chrono>

#include "korvan/import_control.h"
#include "korvan/settings_store.h"

namespace {

std::string Absolute(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

// The request's settings as overrides of the stored ones, for one import.
void Override(const ImportRequest& request) {
  if (!request.log.empty()) {
    SettingsStore::SetOverride("*", "verbose", "1");
    SettingsStore::SetOverride("*", "log_name", Absolute(request.log));
  }
  if (!request.grammar.empty()) {
    SettingsStore::SetOverride("*/Specific Settings", "grammar", request.grammar);
  }
  if (!request.place.empty()) {
    SettingsStore::SetOverride("*/Specific Settings", "place_objects", request.place);
  }
  if (!request.shapes.empty()) {
    SettingsStore::SetOverride("*/Specific Settings", "shapes", request.shapes);
  }
  if (!request.tolerance.empty()) {
    SettingsStore::SetOverride("*/Specific Settings", "tessellation_tolerance", request.tolerance);
  }
  if (!request.clock.empty())
    SettingsStore::SetOverride("*/Specific Settings", "clock", request.clock);
  if (!request.frame.empty())
    SettingsStore::SetOverride("*/Specific Settings", "frame", request.frame);
  if (!request.include_paths.empty()) {
    std::string folders;
    for (const std::string& folder : request.include_paths) {
      if (!folders.empty()) folders += ':';
      folders += Absolute(folder);
    }
    SettingsStore::SetOverride("*/Specific Settings", "library_path", folders);
  }
}

}  // namespace

ImportResult ImportWith(ImporterBase* importer, const std::string& file,
                        const ImportRequest& request) {
  ImportResult result;
  Override(request);
  const auto start = std::chrono::steady_clock::now();
  {
    const ImportControl control(request.cancel, request.time_limit);
    result.scene.reset(file.empty() ? importer->Import() : importer->ImportFile(file.c_str()));
  }
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  SettingsStore::ClearOverrides();
  result.outcome = korvan_last_log_outcome();
  if (!result.scene || result.outcome.kind == ImportOutcome::kNotFound) {
    result.status = 1;
  } else {
    result.status = result.outcome.kind == ImportOutcome::kError ? 2 : 0;
  }
  return result;
}

ImporterPtr FindImporter(const PluginSet& set, const std::string& scene_file) {
  ImporterPtr fallback;
  for (const LoadedPlugin& plugin : set.plugins) {
    for (ClassDescriptorBase* descriptor : plugin.classes) {
      if (descriptor->ClassCategory() != kKorvanImporterCategory || !descriptor->IsAvailable()) {
        continue;
      }
      ImporterPtr importer(descriptor->Create());
      if (!importer) continue;
      if (scene_file.empty() ||
          MatchesPatterns(scene_file, FilterPatterns(importer->GetFilter()))) {
        return importer;
      }
      if (!fallback) fallback = std::move(importer);
    }
  }
  return fallback;
}

SceneCounts Count(MScene& scene) {
  SceneCounts counts;
  scene.ForEachMesh([&](MMesh_P& each) {
    MMesh_P* mesh = &each;
    ++counts.meshes;
    counts.vertices += mesh->Get_Vertex_Count();
    counts.faces += mesh->Get_Face_Count();
  });
  return counts;
}
