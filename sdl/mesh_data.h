// MeshData: one mesh as the scene file defines it, before it goes to the
// host: positions, normals and uv with their own index triples, one material
// slot per face, and the names of the slots. Filled by the object readers,
// handed to the SceneBuilder, which copies it into a host mesh.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin/host/array.h"
#include "sdl/transform.h"

namespace sdl {

// The mesh's arrays, which can be large: in the host's array blocks.
template <class T>
using MeshArray = std::vector<T, HostArrayAllocator<T>>;
using IndexTriple = std::array<int32_t, 3>;

// A material slot: an identifier's name when the texture was one plain
// identifier, otherwise empty (the builder then numbers it "mat_N").
struct MaterialSlot {
  std::string name;
  // No texture was given: the enclosing object's texture applies, if any.
  bool defaulted = false;
  // The texture's plain colour (red, green, blue, filter, transmit), when
  // its pigment is one; patterns and maps have none.
  bool has_color = false;
  double color[5] = {0, 0, 0, 0, 0};
  // The finish's terms that a metallic-roughness material has a counterpart
  // for, with POV-Ray's defaults, when the texture has a finish.
  bool has_finish = false;
  struct Finish {
    double phong = 0, phong_size = 40, specular = 0, roughness = 0.05;
    double reflection = 0, metallic = 0;
  } finish;
};

// The finish as glTF's metallic and roughness (each 0..1): the highlight's
// sharpness as a Blinn-Phong exponent n (phong_size, or 1/roughness for
// specular), GGX's alpha = sqrt(2 / (n + 2)) and roughness = sqrt(alpha);
// no highlight at all is fully rough, a mirror (reflection r) at most 1 - r.
void MetallicRoughness(const MaterialSlot::Finish& finish, double* metallic, double* roughness);

struct MeshData {
  MeshArray<Vec3> vertices, normals, uvs;  // uv: x = u, y = v
  MeshArray<IndexTriple> faces, normal_faces, uv_faces;
  MeshArray<int32_t> face_slots;  // per face, into `slots`
  std::vector<MaterialSlot> slots;
  // Faces of zero area that POV-Ray throws away (mesh and loose triangles).
  int64_t degenerate_dropped = 0;

  bool HasNormals() const { return !normals.empty() && normal_faces.size() == faces.size(); }
  bool HasUV() const { return !uvs.empty() && uv_faces.size() == faces.size(); }
  // Applies `t` to positions and normals (normals renormalised).
  void Apply(const Transform& t);
  // Gives the faces without a texture of their own `texture`.
  void Inherit(const MaterialSlot& texture);
  // Removes the positions, normals and uv that no face uses.
  void DropUnused();
  // The bytes its arrays hold (what a copy of it costs).
  uint64_t Bytes() const {
    return (vertices.size() + normals.size() + uvs.size()) * sizeof(Vec3) +
           (faces.size() + normal_faces.size() + uv_faces.size()) * sizeof(IndexTriple) +
           face_slots.size() * sizeof(int32_t) + slots.size() * sizeof(MaterialSlot);
  }
};

// The face normal of a, b, c, not normalised: (b - a) x (c - a). Inline:
// the mesh readers ask it for every face.
inline Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
  const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
  return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

}  // namespace sdl
