#include "sdl/mesh_data.h"

#include <cmath>

namespace sdl {

void MeshData::Apply(const Transform& t) {
  if (t.IsIdentity()) return;
  for (Vec3& p : vertices) p = t.Point(p);
  for (Vec3& n : normals) {
    n = t.Normal(n);
    const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (l > 0) n = {n.x / l, n.y / l, n.z / l};
  }
}

void MeshData::Inherit(const MaterialSlot& texture) {
  if (slots.empty()) {
    slots.push_back(texture);
    face_slots.assign(faces.size(), 0);
    return;
  }
  for (MaterialSlot& slot : slots) {
    if (slot.defaulted) slot = texture;
  }
}

}  // namespace sdl
