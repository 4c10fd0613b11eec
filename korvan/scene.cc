#include "plugin/host/scene.h"

#include <cmath>

#include "korvan/name_index.h"

namespace {

void DeleteObject(void* item) { delete static_cast<MObj3d*>(item); }
void DeleteSurface(void* item) { delete static_cast<MSurface*>(item); }
const char* SurfaceName(const void* item) {
  return item != nullptr ? static_cast<const MSurface*>(item)->get_name() : nullptr;
}

void Extend(MBoundingBox& box, const MVector3& v) {
  if (!IsFinite(v)) return;
  if (!box.valid) {
    box.min = box.max = v;
    box.valid = 1;
    return;
  }
  box.min =
      MVector3(std::fmin(box.min.x, v.x), std::fmin(box.min.y, v.y), std::fmin(box.min.z, v.z));
  box.max =
      MVector3(std::fmax(box.max.x, v.x), std::fmax(box.max.y, v.y), std::fmax(box.max.z, v.z));
}

}  // namespace

MScene::MScene(const char* path) : path_(my_strdup(path)) {
  MList_Init(&objects_, kMListDeleteItems, DeleteObject);
  MList_Init(&cameras_, kMListDeleteItems, DeleteObject);
  MList_Init(&lights_, kMListDeleteItems, DeleteObject);
  MList_Init(&materials_, kMListDeleteItems, DeleteSurface);
  MList_Init(&messages_, kMListFreeItems, nullptr);
}

MScene::~MScene() {
  MList_Clear(&objects_);
  MList_Clear(&cameras_);
  MList_Clear(&lights_);
  MList_Clear(&messages_);
  MList_Clear(&materials_);
  delete material_index_;
  my_free(path_);
}

MSurface* MScene::GetMaterialbyName(const char* name) {
  if (material_index_ == nullptr) material_index_ = new NameIndex;
  const NameIndex::Entry found = material_index_->Find(materials_, SurfaceName, name);
  return found.node != nullptr ? static_cast<MSurface*>(found.node->item) : nullptr;
}

int MScene::CalculateBoundingBox(int /*flags*/) {
  box_ = MBoundingBox();
  ForEachMesh([this](MMesh_P& mesh) {
    for (int64_t i = 0; i < mesh.Get_Vertex_Count(); ++i) Extend(box_, mesh.Get_Vertex(i));
  });
  return box_.valid;
}

void MScene::MMake_Default_Cam() {
  if (cameras_.count > 0) return;
  auto* camera = new MCamera("default_camera");
  if (camera == nullptr) return;
  MVector3 center, extent(1.0, 1.0, 1.0);
  if (box_.valid) {
    center = MVector3((box_.min.x + box_.max.x) / 2, (box_.min.y + box_.max.y) / 2,
                      (box_.min.z + box_.max.z) / 2);
    extent = MVector3(box_.max.x - box_.min.x, box_.max.y - box_.min.y, box_.max.z - box_.min.z);
  }
  double size = std::fmax(extent.x, std::fmax(extent.y, extent.z));
  if (!(size > 0.0) || !std::isfinite(size)) size = 1.0;
  camera->look_at = center;
  // POV-Ray's default view: from -z towards +z, y up.
  camera->location = MVector3(center.x, center.y + size * 0.5, center.z - size * 2.0);
  cameras_.Add(camera);
  if (cameras_.count == 0) delete camera;  // the list found no memory
}

void MScene::MMake_Default_Light() {
  if (lights_.count > 0) return;  // the scene file's lights stand
  auto* light = new MLight("default_light");
  if (light == nullptr) return;
  const MVector3 from = cameras_.head != nullptr
                            ? static_cast<MCamera*>(cameras_.head->item)->location
                            : MVector3(0.0, 0.0, -1.0);
  light->location = MVector3(from.x, from.y * 2.0 + 1.0, from.z);
  const int32_t before = lights_.count;
  lights_.Add(light);
  if (lights_.count == before) delete light;
}
