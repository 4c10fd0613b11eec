// Solid: what a shape or a CSG object of a scene is, before it becomes a
// mesh: a shape by its parameters, a mesh the scene made, or a boolean of
// operands, each operand with its own transformation (into the solid's
// space) and texture. Built once where the scene declares it and shared
// read-only by all its placements (any thread may read it).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sdl/mesh_data.h"
#include "shapes/shape.h"

namespace csg {

enum class SolidOp : uint8_t {
  kShape,         // `shape`
  kMesh,          // `mesh`, a closed mesh of the scene as an operand
  kMerge,         // the union without the inner surfaces
  kIntersection,  // what lies inside every operand
  kDifference,    // the first operand less all the others
  // clipped_by: the first operand's surface where it is inside all the
  // others; an open surface, not a solid (its inside, as POV-Ray's, is an
  // intersection's).
  kClip,
};

struct Solid;

struct Operand {
  std::shared_ptr<const Solid> solid;
  sdl::Transform transform;  // into the solid's space
  bool has_texture = false;
  sdl::MaterialSlot texture;
};

struct Solid {
  SolidOp op = SolidOp::kShape;
  shapes::Shape shape;
  std::shared_ptr<const sdl::MeshData> mesh;
  std::vector<Operand> operands;
  // The complement (inverse on a CSG object); a shape carries its own.
  bool inverse = false;
};

// The box of the solid in its own space (a boolean's from its operands: an
// intersection's the common part, a difference's its first operand's).
shapes::Bounds BoundsOf(const Solid& solid);
// A number that only solids of the same geometry share (shapes, meshes,
// operations and transformations, not textures): a macro that makes the
// same boolean a hundred times asks the kernel once.
uint64_t Fingerprint(const Solid& solid);
// The same with the operands' textures: solids that share it have the same
// mesh, slots and all.
uint64_t LookFingerprint(const Solid& solid);
// Whether `p` is inside the solid, as POV-Ray's inside() answers.
bool Inside(const Solid& solid, const sdl::Vec3& p);

}  // namespace csg
