// MScene: the host's scene. It owns its lists: objects (MObj3d, meshes
// first of all), cameras (MCamera), lights (MLight), materials (MSurface)
// and the import's messages (texts);
// removing an item from one of them or destroying the scene frees the item.
// Created empty by the importer, handed to the host after the import, which
// deletes it. Not thread-safe.
#pragma once

#include "plugin/host/api.h"
#include "plugin/host/memory.h"
#include "plugin/host/mlist.h"
#include "plugin/host/objects.h"

struct MBoundingBox {
  MVector3 min, max;
  int valid = 0;  // 0 while no finite vertex has been seen
};

class KORVAN_API MScene : public HostAllocated {
 public:
  // `path`: the scene file the scene comes from (a copy is kept).
  explicit MScene(const char* path);
  MScene(const MScene&) = delete;
  MScene& operator=(const MScene&) = delete;
  ~MScene();

  const char* Get_Path() const { return path_ != nullptr ? path_ : ""; }
  MList* Get_Objects() { return &objects_; }
  MList* Get_Cameras() { return &cameras_; }
  MList* Get_Lights() { return &lights_; }
  MList* Get_Materials() { return &materials_; }
  // The import's messages for the user, in order: my_strdup texts
  // ("FILE:LINE:COLUMN: error: ..."), owned by the list.
  MList* Get_Messages() { return &messages_; }

  // Calls `visit` with each mesh of the object list, in list order.
  template <class Visit>
  void ForEachMesh(Visit visit) {
    for (MListNode* n = objects_.head; n != nullptr; n = n->next) {
      auto* object = static_cast<MObj3d*>(n->item);
      if (object != nullptr && object->get_type() == kObjMesh)
        visit(*static_cast<MMesh_P*>(object));
    }
  }

  // The material called `name` (exact, case-sensitive), or null. Indexed:
  // materials appended straight to the list are found as well.
  MSurface* GetMaterialbyName(const char* name);

  // Bounds of every mesh vertex, non-finite coordinates skipped; `flags` is
  // not used. Answers 1 when the box holds at least one vertex, else 0.
  int CalculateBoundingBox(int flags);
  const MBoundingBox& Get_BoundingBox() const { return box_; }
  // Adds a camera looking at the bounding box when the scene has none.
  void MMake_Default_Cam();
  // Adds one point light above and behind the default camera position when
  // the scene has no light.
  void MMake_Default_Light();

 private:
  char* path_;
  MList objects_, cameras_, lights_, materials_, messages_;
  NameIndex* material_index_ = nullptr;
  MBoundingBox box_;
};
