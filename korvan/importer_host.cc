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
  for (MListNode* n = scene.Get_Objects()->head; n != nullptr; n = n->next) {
    auto* object = static_cast<MObj3d*>(n->item);
    if (object == nullptr || object->get_type() != kObjMesh) continue;
    auto* mesh = static_cast<MMesh_P*>(object);
    ++counts.meshes;
    counts.vertices += mesh->Get_Vertex_Count();
    counts.faces += mesh->Get_Face_Count();
  }
  return counts;
}
