#include "korvan/face_rules.h"

#include <algorithm>
#include <cmath>

namespace {

double Dot(const MVector3& a, const MVector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double Length(const MVector3& v) { return std::sqrt(Dot(v, v)); }

MVector3 Scaled(const MVector3& v, double s) { return MVector3(v.x * s, v.y * s, v.z * s); }

// The value as it is written: a float.
double AsWritten(double v) { return static_cast<double>(static_cast<float>(v)); }

bool InList(int32_t i, int64_t count) { return i >= 0 && i < count; }

}  // namespace

FaceRules::FaceRules(const MMesh_P& mesh, const WriteRules& rules) : mesh_(mesh), rules_(rules) {
  normals_ = mesh.NormalsUsed() && mesh.Get_NFace_Count() == mesh.Get_Face_Count();
  uv_ = mesh.UVUsed() && mesh.Get_UVFace_Count() == mesh.Get_Face_Count();
}

MVector3 FaceRules::Normal(int32_t i) const {
  const int64_t own = mesh_.Get_NVertex_Count();
  if (i >= own) return Converted(made_normals_[static_cast<size_t>(i - own)]);
  MVector3 unit;
  UsableNormal(i, &unit);  // only usable ones are handed out
  return Converted(unit);
}

bool FaceRules::UsableNormal(int32_t i, MVector3* unit) const {
  if (!InList(i, mesh_.Get_NVertex_Count())) return false;
  const MVector3& v = mesh_.Get_NVertex(i);
  const double length = Length(v);
  if (!std::isfinite(length) || length == 0) return false;
  *unit = Scaled(v, 1 / length);
  // A normal so short that its unit form overflows is no direction either.
  return IsFinite(*unit);
}

MVector3 FaceRules::WindingNormal(const int32_t* p, int32_t n) const {
  // Newell's sum: the doubled area vector of any planar polygon.
  MVector3 sum;
  for (int32_t i = 0; i < n; ++i) {
    const MVector3& a = mesh_.Get_Vertex(p[i]);
    const MVector3& b = mesh_.Get_Vertex(p[(i + 1) % n]);
    const double ax = AsWritten(a.x), ay = AsWritten(a.y), az = AsWritten(a.z);
    const double bx = AsWritten(b.x), by = AsWritten(b.y), bz = AsWritten(b.z);
    sum.x += (ay - by) * (az + bz);
    sum.y += (az - bz) * (ax + bx);
    sum.z += (ax - bx) * (ay + by);
  }
  return IsFinite(sum) ? sum : MVector3();
}

FaceVerdict FaceRules::Face(int64_t f, std::vector<WrittenCorner>* corners) {
  corners->clear();
  const int32_t n = mesh_.Faces().CornerCount(f);
  if (n < 3) return FaceVerdict::kUnusable;
  const int32_t* p = mesh_.Faces().Corners(f);
  for (int32_t i = 0; i < n; ++i) {
    if (!InList(p[i], mesh_.Get_Vertex_Count()) || !IsFinite(mesh_.Get_Vertex(p[i]))) {
      return FaceVerdict::kUnusable;
    }
  }
  const int32_t* uv = nullptr;
  if (uv_) {
    if (mesh_.UVFaces().CornerCount(f) != n) return FaceVerdict::kUnusable;
    uv = mesh_.UVFaces().Corners(f);
    for (int32_t i = 0; i < n; ++i) {
      if (!InList(uv[i], mesh_.Get_UVVertex_Count()) || !IsFinite(mesh_.Get_UVVertex(uv[i]))) {
        return FaceVerdict::kUnusable;
      }
    }
  }
  const MVector3 winding = WindingNormal(p, n);
  const bool has_area = Length(winding) > 0;

  // The corners' own normals: which are usable, their sum, and how many
  // point with and against the winding.
  const int32_t* nn =
      normals_ && mesh_.NFaces().CornerCount(f) == n ? mesh_.NFaces().Corners(f) : nullptr;
  own_normal_.assign(static_cast<size_t>(n), -1);
  MVector3 sum;
  int with = 0, against = 0;
  for (int32_t i = 0; nn != nullptr && i < n; ++i) {
    MVector3 unit;
    if (!UsableNormal(nn[i], &unit)) continue;
    own_normal_[i] = nn[i];
    sum = MVector3(sum.x + unit.x, sum.y + unit.y, sum.z + unit.z);
    const double d = Dot(unit, winding);
    with += d > 0;
    against += d < 0;
  }
  // A corner without a usable normal of its own gets the average of the
  // others, else the face's own normal; a face with neither has no side.
  int32_t made = -1;
  if (normals_ && std::count(own_normal_.begin(), own_normal_.end(), -1) > 0) {
    const double sum_length = Length(sum);
    MVector3 normal;
    if (sum_length > 0) {
      normal = Scaled(sum, 1 / sum_length);
    } else if (has_area) {
      normal = Scaled(winding, 1 / Length(winding));
    } else {
      return FaceVerdict::kDegenerate;
    }
    made = static_cast<int32_t>(normal_count());
    made_normals_.push_back(normal);
  }
  if (!normals_ && !has_area) return FaceVerdict::kDegenerate;

  const bool turn_to_normals = !rules_.keep_winding && against > with;
  const bool reverse = turn_to_normals != !rules_.keep_handedness;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t i = reverse ? (n - k) % n : k;  // 0, n-1, ..., 1 when reversed
    corners->push_back({p[i], normals_ ? (own_normal_[i] >= 0 ? own_normal_[i] : made) : -1,
                        uv != nullptr ? uv[i] : -1});
  }
  return FaceVerdict::kWritten;
}
