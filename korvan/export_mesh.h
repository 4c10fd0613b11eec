// A host mesh made ready for a writer: its written faces (see FaceRules)
// split by material into parts, the three index streams (positions,
// normals, uv) merged into one by making one vertex per distinct (position,
// normal, uv) triple of written values, so that shared and equal corners
// stay one vertex. Reads the mesh, which must outlive it; one thread.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "korvan/face_rules.h"
#include "korvan/material_palette.h"
#include "plugin/host/scene.h"

struct MeshReport {
  std::string name;
  long faces_left_out = 0;      // indices out of range, non-finite, < 3 corners
  long faces_degenerate = 0;    // no area and no normal of their own: no side to show
  long materials_replaced = 0;  // material id outside the mesh's list: first material used
  bool any() const { return faces_left_out || faces_degenerate || materials_replaced; }
};

// One vertex of a part: indices for the FaceRules accessors, each the first
// item of its written value (-1 where the channel is not written).
struct PartVertex {
  int32_t position, normal, uv;
};

// The faces of one material.
struct MeshPart {
  int32_t material = 0;
  std::string material_name;
  std::vector<PartVertex> vertices;
  std::vector<uint32_t> indices;  // the faces' corners, face after face, in written order
  std::vector<uint32_t> sizes;    // corners of each face
};

class ExportMesh {
 public:
  // Gathers every writable face; what is left out goes into `report`.
  ExportMesh(MMesh_P& mesh, const WriteRules& rules, MeshReport* report);

  // One part per material used, in material order.
  const std::vector<MeshPart>& parts() const { return parts_; }
  bool has_normals() const { return rules_.has_normals(); }
  bool has_uv() const { return rules_.has_uv(); }
  const char* name() const { return mesh_.get_name(); }

  // The written values of a vertex.
  void Position(const PartVertex& v, float out[3]) const;
  void Normal(const PartVertex& v, float out[3]) const;
  void UV(const PartVertex& v, float out[2]) const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;

  // One written vertex: its part, its index there, and the next one made
  // from the same position (a chain per position).
  struct Made {
    uint32_t part, index, next;
  };

  void Gather(MeshReport* report);
  uint32_t PartOf(int32_t material);
  uint32_t VertexOf(uint32_t part, const PartVertex& v);
  bool Canonical(const WrittenCorner& c, PartVertex* v) const;
  std::string MaterialName(int32_t material) const;

  MMesh_P& mesh_;
  FaceRules rules_;
  std::vector<MeshPart> parts_;
  std::vector<uint32_t> part_of_;  // per material id: its part, or kNone
  std::vector<uint32_t> first_;    // per position: its last made vertex, or kNone
  // Per item of each list: the first item with the same written value.
  std::vector<int32_t> same_position_, same_normal_, same_uv_;
  std::vector<Made> made_;
};

// The scene's materials in the order the written meshes first use them,
// each with the colour it is shown in (see ShownColor).
class MaterialTable {
 public:
  struct Entry {
    std::string name;
    PaletteColor color;
    // POV-Ray's default finish (no highlight) is a fully rough dielectric.
    float metallic = 0, roughness = 1;
  };

  explicit MaterialTable(MScene& scene) : scene_(scene) {}
  // The material's index, added on first use.
  uint32_t IndexOf(const std::string& name);
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  MScene& scene_;
  std::vector<Entry> entries_;
  std::unordered_map<std::string, uint32_t> index_;
};
