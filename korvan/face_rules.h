// How the host writes the faces of a mesh out of POV-Ray's conventions, for
// the export and the window alike: which faces can be written, the turn to
// right-handed axes, the winding, and a unit normal at every written corner.
// A FaceRules reads one mesh, which must outlive it; one thread.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/host/objects.h"

struct WriteRules {
  // Write POV-Ray's left-handed axes as they are (else z is negated and
  // every face turned, so that the model is not mirrored).
  bool keep_handedness = false;
  // Keep each face's corners in the file's order. Else a face whose corners'
  // normals mostly point against its winding is turned: POV-Ray draws both
  // sides, so its files' winding is arbitrary, but viewers cull back faces.
  bool keep_winding = false;
};

// One written corner: its position, its normal (an index for
// FaceRules::Normal) and its uv, -1 where the mesh writes no such channel.
struct WrittenCorner {
  int32_t position, normal, uv;
};

enum class FaceVerdict {
  kWritten,
  kUnusable,    // an index outside its list, a non-finite value, < 3 corners
  kDegenerate,  // no normal can be had: zero area and no usable normal of its own
};

class FaceRules {
 public:
  FaceRules(const MMesh_P& mesh, const WriteRules& rules);

  bool has_normals() const { return normals_; }  // every written corner has one
  bool has_uv() const { return uv_; }

  // The corners of face `f` in written order (corner 0 first, so that a fan
  // from it gives the same triangles either way) when it is written.
  FaceVerdict Face(int64_t f, std::vector<WrittenCorner>* corners);

  MVector3 Position(int32_t i) const { return Converted(mesh_.Get_Vertex(i)); }
  MVector3 Normal(int32_t i) const;  // unit length, converted
  MVector3 UV(int32_t i) const { return mesh_.Get_UVVertex(i); }
  // Normal indices run to this: the mesh's own, then those made for corners
  // whose own normal is missing or zero.
  int64_t normal_count() const {
    return mesh_.Get_NVertex_Count() + static_cast<int64_t>(made_normals_.size());
  }

 private:
  MVector3 Converted(const MVector3& v) const {
    return rules_.keep_handedness ? v : MVector3(v.x, v.y, -v.z);
  }
  // The face's normal by its winding, in the file's axes, from the
  // positions as they are written (floats); zero when it has no area.
  MVector3 WindingNormal(const int32_t* p, int32_t n) const;
  // The mesh's normal `i` in unit length, or false when it cannot be used.
  bool UsableNormal(int32_t i, MVector3* unit) const;

  const MMesh_P& mesh_;
  WriteRules rules_;
  bool normals_ = false, uv_ = false;
  std::vector<MVector3> made_normals_;  // unit, in the file's axes
  std::vector<int32_t> own_normal_;     // per corner of the face at hand
};
