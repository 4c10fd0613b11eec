#include "sdl/mesh_data.h"

#include <cmath>
#include <vector>

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

namespace {

// Keeps the items of `items` that `faces` use, renumbering the faces.
void Compact(MeshArray<Vec3>& items, MeshArray<IndexTriple>& faces) {
  std::vector<int32_t> index(items.size(), -1);
  for (const IndexTriple& f : faces) {
    for (int32_t v : f) {
      if (v >= 0 && static_cast<size_t>(v) < index.size()) index[static_cast<size_t>(v)] = 0;
    }
  }
  int32_t next = 0;
  for (size_t i = 0; i < index.size(); ++i) {
    if (index[i] < 0) continue;
    index[i] = next;
    items[static_cast<size_t>(next++)] = items[i];
  }
  items.resize(static_cast<size_t>(next));
  for (IndexTriple& f : faces) {
    for (int32_t& v : f) {
      if (v >= 0 && static_cast<size_t>(v) < index.size()) v = index[static_cast<size_t>(v)];
    }
  }
}

}  // namespace

void MeshData::DropUnused() {
  Compact(vertices, faces);
  if (HasNormals()) Compact(normals, normal_faces);
  if (HasUV()) Compact(uvs, uv_faces);
}

}  // namespace sdl
