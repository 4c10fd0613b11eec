// What the reader fuzzers check of every scene a reading builds: post-
// processing's promises (only meshes with faces, each with a material) and
// every stored index readable through the accessors; and the progress
// callbacks, which must never report a position outside the file.
#pragma once

#include <cstdlib>

#include "plugin/host/scene.h"

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
