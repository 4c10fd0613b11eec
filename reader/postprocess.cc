// Post-processing after the reading: statistics, removal of meshes without
// faces, normal and uv channels that do not fit their faces dropped, and a
// material for every mesh that has none.
#include "reader/object_readers.h"

namespace {

// Normals: first whether the channel has faces and vertices at all, then,
// with the counts as they stand after that, whether every face has one.
void CheckNormals(MMesh_P* mesh) {
  if (mesh->NormalsUsed() == 0) return;
  if (mesh->Get_NFace_Count() == 0 || mesh->Get_NVertex_Count() == 0) {
    Log().write("Error in processing normals\n");
    Log().write("Normals will be removed\n");
    mesh->RemoveNormals();
  }
  if (mesh->Get_NFace_Count() != mesh->Get_Face_Count()) {
    Log().write("Error in processing normals\n");
    Log().write("Normals will be removed\n");
    mesh->RemoveNormals();
  }
}

void CheckUV(MMesh_P* mesh) {
  if (mesh->UVUsed() == 0) return;
  if (mesh->Get_UVFace_Count() == 0 || mesh->Get_UVVertex_Count() == 0) {
    Log().write("Error in processing uv\n");
    Log().write("uv will be removed\n");
    mesh->RemoveUV();
  }
  if (mesh->Get_UVFace_Count() != mesh->Get_Face_Count()) {
    Log().write("Error in processing uv\n");
    Log().write("uv will be removed\n");
    mesh->RemoveUV();
  }
}

void CheckMaterial(ReaderState& state, MMesh_P* mesh) {
  if (mesh->Get_MaterialNames()->Get_Count() != 0) return;
  Log().write("Missing texture definition\n");
  char name[16];
  NextMaterialName(state, name);
  Log().write("texture %s added\n", name);
  AttachMaterial(state, mesh, name);
}

}  // namespace

void PostProcess(ReaderState& state) {
  MList* objects = state.objects;
  Log().write("%d mesh objects detected\n", objects->Get_Count());
  Log().write("Post Processing:\n");
  for (int32_t i = 0; i < objects->Get_Count();) {
    auto* object = static_cast<MObj3d*>(objects->Get(i));
    if (object == nullptr || object->get_type() != kObjMesh) {
      ++i;
      continue;
    }
    Log().write("%s\n", object->get_name());
    auto* mesh = static_cast<MMesh_P*>(object);
    if (mesh->Get_Face_Count() == 0) {
      objects->Remove(i);  // the list frees the mesh; look at position i again
      continue;
    }
    CheckNormals(mesh);
    CheckUV(mesh);
    CheckMaterial(state, mesh);
    ++i;
  }
}
