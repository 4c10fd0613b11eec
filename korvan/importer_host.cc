#include "korvan/importer_host.h"

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
