#include "plugin/host/objects.h"

#include "korvan/name_index.h"

namespace {
const char* NameText(const void* item) { return static_cast<const char*>(item); }
}  // namespace

// ---- MObj3d ----

MObj3d::MObj3d(const char* name) : name_(my_strdup(name)) {
  MList_Init(&material_names_, kMListFreeItems, nullptr);
}

MObj3d::~MObj3d() {
  MList_Clear(&material_names_);
  delete name_index_;
  my_free(name_);
}

int MObj3d::GetIndexMaterialbyName(const char* name) {
  if (name_index_ == nullptr) name_index_ = new NameIndex;
  return name_index_->Find(material_names_, NameText, name).position;
}

// ---- FaceStream ----

bool FaceStream::Add(const int32_t* face, int32_t n) {
  if (starts.empty() && n == 3) {
    if (!corners.append(face, 3)) return false;
    ++count;
    return true;
  }
  if (starts.empty()) {
    // First face that is not a triangle: from now on offsets are kept.
    for (int64_t i = 0; i <= count; ++i) {
      if (!starts.push_back(3 * i)) {
        starts.clear();
        return false;
      }
    }
  }
  if (!corners.append(face, n)) return false;
  if (!starts.push_back(corners.size())) {
    corners.truncate(corners.size() - n);  // keep both streams consistent
    return false;
  }
  ++count;
  return true;
}

int32_t FaceStream::CornerCount(int64_t face) const {
  if (starts.empty()) return 3;
  return static_cast<int32_t>(starts[face + 1] - starts[face]);
}

const int32_t* FaceStream::Corners(int64_t face) const {
  return corners.data() + (starts.empty() ? 3 * face : starts[face]);
}

void FaceStream::Clear() {
  corners.Release();
  starts.Release();
  count = 0;
}

// ---- MMesh_P ----

MMesh_P::MMesh_P(const char* name) : MObj3d(name) {}

MMesh_P::~MMesh_P() = default;

void MMesh_P::Add_Vertex(const MVector3& v, double) { vertices_.push_back(v); }
void MMesh_P::Add_NVertex(const MVector3& v, double) { nvertices_.push_back(v); }
void MMesh_P::Add_UVVertex(const MVector3& v, double) { uvvertices_.push_back(v); }

void MMesh_P::Add_Face(const MIPolygon& poly) {
  if (!face_mats_.push_back(poly.Get_MatId())) return;
  if (!faces_.Add(poly.Get_Corners(), poly.Get_Count())) {
    face_mats_.truncate(faces_.count);  // one material id per face
  }
}

void MMesh_P::Add_NFace(const MIPolygon& poly) {
  nfaces_.Add(poly.Get_Corners(), poly.Get_Count());
}

void MMesh_P::Add_UVFace(const MIPolygon& poly) {
  uvfaces_.Add(poly.Get_Corners(), poly.Get_Count());
}

namespace {
// Appends a, b, c to `vertices` and their face to `faces`; all or nothing.
bool AddTriangle(HostArray<MVector3>& vertices, FaceStream& faces, const MVector3& a,
                 const MVector3& b, const MVector3& c) {
  const int64_t n = vertices.size();
  const MVector3 corners[3] = {a, b, c};
  if (!vertices.append(corners, 3)) return false;
  const int32_t face[3] = {static_cast<int32_t>(n), static_cast<int32_t>(n + 1),
                           static_cast<int32_t>(n + 2)};
  if (faces.Add(face, 3)) return true;
  vertices.truncate(n);
  return false;
}
}  // namespace

void MMesh_P::Add_Tri(const MVector3& a, const MVector3& b, const MVector3& c, int mat, double) {
  if (!face_mats_.push_back(mat)) return;
  if (!AddTriangle(vertices_, faces_, a, b, c)) {
    face_mats_.truncate(faces_.count);  // one material id per face
  }
}

void MMesh_P::Add_NTri(const MVector3& a, const MVector3& b, const MVector3& c, int, double) {
  AddTriangle(nvertices_, nfaces_, a, b, c);
}

void MMesh_P::RemoveNormals() {
  nvertices_.Release();
  nfaces_.Clear();
  normals_used_ = 0;
}

void MMesh_P::RemoveUV() {
  uvvertices_.Release();
  uvfaces_.Clear();
  uv_used_ = 0;
}

// ---- MSurface ----

MSurface::MSurface(const char* name) : name_(my_strdup(name)) {}
MSurface::~MSurface() { my_free(name_); }

void MSurface::Set_Color(float r, float g, float b, float alpha) {
  auto unit = [](float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; };  // NaN gives 0
  color_[0] = unit(r);
  color_[1] = unit(g);
  color_[2] = unit(b);
  color_[3] = unit(alpha);
  has_color_ = 1;
}

void MSurface::Set_Finish(float metallic, float roughness) {
  auto unit = [](float v) { return v > 0 ? (v < 1 ? v : 1.0f) : 0.0f; };  // NaN gives 0
  metallic_ = unit(metallic);
  roughness_ = unit(roughness);
  has_finish_ = 1;
}
