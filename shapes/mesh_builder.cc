#include "shapes/mesh_builder.h"

#include "implicit/simplify.h"

namespace shapes {

uint32_t MeshBuilder::Vertex(const sdl::Vec3& position, const sdl::Vec3& normal,
                             const sdl::Vec3& uv) {
  mesh_.vertices.push_back(position);
  mesh_.normals.push_back(normal);
  mesh_.uvs.push_back(uv);
  return static_cast<uint32_t>(mesh_.vertices.size() - 1);
}

void MeshBuilder::Triangle(uint32_t a, uint32_t b, uint32_t c) {
  const sdl::Vec3 &pa = mesh_.vertices[a], &pb = mesh_.vertices[b], &pc = mesh_.vertices[c];
  const sdl::Vec3 face = sdl::FaceNormal(pa, pb, pc);
  if (face.x == 0 && face.y == 0 && face.z == 0) return;
  const sdl::Vec3 &na = mesh_.normals[a], &nb = mesh_.normals[b], &nc = mesh_.normals[c];
  const double agree =
      face.x * (na.x + nb.x + nc.x) + face.y * (na.y + nb.y + nc.y) + face.z * (na.z + nb.z + nc.z);
  const sdl::IndexTriple corners =
      agree < 0 ? sdl::IndexTriple{static_cast<int32_t>(a), static_cast<int32_t>(c),
                                   static_cast<int32_t>(b)}
                : sdl::IndexTriple{static_cast<int32_t>(a), static_cast<int32_t>(b),
                                   static_cast<int32_t>(c)};
  mesh_.faces.push_back(corners);
  mesh_.normal_faces.push_back(corners);
  mesh_.uv_faces.push_back(corners);
}

void MeshBuilder::Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  Triangle(a, b, c);
  Triangle(a, c, d);
}

void MeshBuilder::Surface(implicit::Surface surface, double max_error) {
  implicit::Simplify(surface, max_error);
  const uint32_t base = vertex_count();
  for (size_t i = 0; i < surface.positions.size(); ++i) {
    Vertex(surface.positions[i], surface.normals[i], {0, 0, 0});
  }
  for (const auto& t : surface.triangles) Triangle(base + t[0], base + t[1], base + t[2]);
}

void MeshBuilder::Finish() {
  sdl::MaterialSlot slot;
  slot.defaulted = true;
  mesh_.slots.assign(1, slot);
  mesh_.face_slots.assign(mesh_.faces.size(), 0);
}

}  // namespace shapes
