// What the reader fuzzers check of every reading: post-processing's
// promises (only meshes with faces, each with a material), every stored
// index readable through the accessors, no block of host memory kept after
// the scene is gone, and progress never reported outside the file.
#pragma once

#include <cstdlib>
#include <string>

#include "korvan/memory_stats.h"
#include "korvan/scene_json.h"
#include "plugin/host/callbacks.h"
#include "plugin/host/log_file.h"
#include "plugin/host/scene.h"
#include "reader/reader.h"

inline void NoMessage(char*, ...) {}
inline void NoProgress(long position, long count) {
  if (position < 0 || position > count) std::abort();  // a position outside the file
}

// Every face's corners, read through the accessors; aborts on a broken promise.
inline long WalkMeshes(MScene& scene) {
  long sum = 0;
  for (MListNode* n = scene.Get_Objects()->head; n != nullptr; n = n->next) {
    auto* mesh = static_cast<MMesh_P*>(n->item);
    if (mesh->get_type() != kObjMesh || mesh->Get_Face_Count() == 0) std::abort();
    if (mesh->Get_MaterialNames()->Get_Count() == 0) std::abort();  // post-processing's promise
    for (const FaceStream* faces : {&mesh->Faces(), &mesh->NFaces(), &mesh->UVFaces()}) {
      for (int64_t f = 0; f < faces->count; ++f) {
        for (int32_t i = 0; i < faces->CornerCount(f); ++i) sum += faces->Corners(f)[i];
      }
    }
  }
  return sum;
}

// One reading of the file at `path` by `read` into a fresh scene, with a
// log and callbacks as an import has them; then the scene is walked, written
// as JSON and destroyed, and every block the reading took from the host
// allocator must have come back.
template <class Read>
void CheckReading(const std::string& path, Read read) {
  const int64_t blocks = korvan_live_blocks();
  {
    LogFile log(path.c_str(), nullptr);
    MessageCallBack1 messages(NoMessage, NoProgress, NoMessage, NoProgress, NoMessage, NoProgress);
    auto* scene = new MScene(path.c_str());
    g_Log = &log;
    g_Messages = &messages;
    read(scene);
    g_Log = nullptr;
    g_Messages = nullptr;
    volatile long sum = WalkMeshes(*scene);
    (void)sum;
    volatile size_t json = SceneToJson(*scene).size();
    (void)json;
    delete scene;
  }
  if (korvan_live_blocks() != blocks) std::abort();  // something the reading made was not freed
}
