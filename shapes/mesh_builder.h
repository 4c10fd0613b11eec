// MeshBuilder: fills a MeshData with vertices that carry their normal and
// uv (one index for all three), and faces turned to agree with their
// corners' normals. The builder borrows the mesh for its own lifetime;
// Finish() gives every face the one material slot that the shape's object
// texture fills in.
#pragma once

#include <cstdint>

#include "implicit/mesher.h"
#include "sdl/mesh_data.h"

namespace shapes {

class MeshBuilder {
 public:
  explicit MeshBuilder(sdl::MeshData& mesh) : mesh_(mesh) {}
  MeshBuilder(const MeshBuilder&) = delete;
  MeshBuilder& operator=(const MeshBuilder&) = delete;

  uint32_t Vertex(const sdl::Vec3& position, const sdl::Vec3& normal, const sdl::Vec3& uv);
  // A face of three vertices; one of zero area is left out.
  void Triangle(uint32_t a, uint32_t b, uint32_t c);
  // Two faces, a-b-c and a-c-d.
  void Quad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
  // The implicit mesher's surface, its vertices without uv, first thinned
  // where that strays at most `max_error` from it (0: as it is).
  void Surface(implicit::Surface surface, double max_error);
  uint32_t vertex_count() const { return static_cast<uint32_t>(mesh_.vertices.size()); }
  void Finish();

 private:
  sdl::MeshData& mesh_;
};

}  // namespace shapes
