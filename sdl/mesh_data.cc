#include "sdl/mesh_data.h"

#include <cmath>

namespace sdl {

Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
  return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

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
