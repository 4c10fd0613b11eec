// RayMesh: the first hit of a ray on a set of triangles, through a
// bounding-volume tree (the scene language's trace() on shapes and meshes).
// Built once from meshes already placed; read-only after, so any number of
// threads may trace on one.
#pragma once

#include <cstdint>
#include <vector>

#include "sdl/mesh_data.h"

namespace shapes {

class RayMesh {
 public:
  // Adds `mesh` (its normals too, when it has them) as it is placed by
  // `transform`. Call Build() after the last.
  void Add(const sdl::MeshData& mesh, const sdl::Transform& transform);
  void Build();

  struct Hit {
    bool hit = false;
    // The normal of unit length, the surface's own (a shape's outward one,
    // whichever side the ray came from), as POV-Ray's trace() gives it.
    sdl::Vec3 point, normal;
  };
  // The nearest hit along origin + t * direction, t > a small epsilon.
  Hit Trace(const sdl::Vec3& origin, const sdl::Vec3& direction) const;
  size_t triangle_count() const { return triangles_.size(); }
  uint64_t Bytes() const;

 private:
  struct Triangle {
    sdl::Vec3 a, b, c;
    sdl::Vec3 na, nb, nc;  // corner normals; all zero for a flat face
  };
  struct Node {
    sdl::Vec3 min, max;
    uint32_t first, count;  // a leaf's triangles; count 0: an inner node
    uint32_t left, right;
  };
  uint32_t BuildNode(uint32_t first, uint32_t count, int depth);

  std::vector<Triangle> triangles_;
  std::vector<Node> nodes_;
};

}  // namespace shapes
