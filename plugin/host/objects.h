// The host's scene objects: MObj3d (named, with a material-name list), the
// polygon mesh MMesh_P, the material MSurface, and the scene's camera and
// light. All live in host memory (`new` uses my_malloc and yields null when
// it is out); a scene's lists own them once appended. Not thread-safe.
#pragma once

#include <cstdint>

#include "plugin/host/api.h"
#include "plugin/host/array.h"
#include "plugin/host/memory.h"
#include "plugin/host/mlist.h"
#include "plugin/host/polygon.h"
#include "plugin/host/vector.h"

class NameIndex;  // host-private look-up beside a list of names

// Object types answered by MObj3d::get_type.
enum MObjType : int {
  kObjCamera = 0,
  kObjLight = 1,
  kObjMesh = 2,  // MMesh_P
};

class KORVAN_API MObj3d : public HostAllocated {
 public:
  MObj3d(const MObj3d&) = delete;
  MObj3d& operator=(const MObj3d&) = delete;
  virtual ~MObj3d();

  virtual int get_type() const = 0;
  // The object's own copy of its name ("" when none could be kept).
  const char* get_name() const { return name_ != nullptr ? name_ : ""; }

  // The material names of the object, in order: items are my_strdup texts
  // owned by the list (own_mode 1). A face's material id is a position here.
  MList* Get_MaterialNames() { return &material_names_; }
  // Position of `name` (exact, case-sensitive) in the material-name list, or
  // -1. Indexed: appending straight to the list is fine, the index catches up.
  int GetIndexMaterialbyName(const char* name);

 protected:
  explicit MObj3d(const char* name);

 private:
  char* name_;
  MList material_names_;
  NameIndex* name_index_ = nullptr;
};

// One stream of faces: corner indices of each face, in order. While every
// face is a triangle `starts` is empty and face i is corners[3i .. 3i+2];
// the first face of another size fills `starts` (count + 1 offsets).
struct KORVAN_API FaceStream {
  HostArray<int32_t> corners;
  HostArray<int64_t> starts;
  int64_t count = 0;

  bool Add(const int32_t* face, int32_t n);
  int32_t CornerCount(int64_t face) const;
  const int32_t* Corners(int64_t face) const;
  void Clear();
};

// A polygon mesh: vertices, faces with a material id each, and optional
// normal and uv channels with their own vertices and faces (face i of the
// normal or uv stream belongs to face i of the mesh). Indices are stored as
// given and never checked: readers of the mesh must bound them themselves.
class KORVAN_API MMesh_P : public MObj3d {
 public:
  explicit MMesh_P(const char* name);
  ~MMesh_P() override;
  int get_type() const override { return kObjMesh; }

  // The `w` of the adders carries no meaning for this host.
  void Add_Vertex(const MVector3& v, double w);
  void Add_NVertex(const MVector3& v, double w);
  void Add_UVVertex(const MVector3& v, double w);
  void Add_Face(const MIPolygon& poly);
  void Add_NFace(const MIPolygon& poly);
  void Add_UVFace(const MIPolygon& poly);
  // Three new vertices n, n+1, n+2 (n the count before) and the face
  // (n, n+1, n+2) with material id `mat`; Add_NTri the same on normals.
  void Add_Tri(const MVector3& a, const MVector3& b, const MVector3& c, int mat, double w);
  void Add_NTri(const MVector3& a, const MVector3& b, const MVector3& c, int mat, double w);

  void UseNormals() { normals_used_ = 1; }
  int NormalsUsed() const { return normals_used_; }
  void UseUV() { uv_used_ = 1; }
  int UVUsed() const { return uv_used_; }
  // Clear the channel's vertices and faces and switch it off.
  void RemoveNormals();
  void RemoveUV();

  int64_t Get_Vertex_Count() const { return vertices_.size(); }
  int64_t Get_NVertex_Count() const { return nvertices_.size(); }
  int64_t Get_UVVertex_Count() const { return uvvertices_.size(); }
  int64_t Get_Face_Count() const { return faces_.count; }
  int64_t Get_NFace_Count() const { return nfaces_.count; }
  int64_t Get_UVFace_Count() const { return uvfaces_.count; }

  const MVector3& Get_Vertex(int64_t i) const { return vertices_[i]; }
  const MVector3& Get_NVertex(int64_t i) const { return nvertices_[i]; }
  const MVector3& Get_UVVertex(int64_t i) const { return uvvertices_[i]; }
  const FaceStream& Faces() const { return faces_; }
  const FaceStream& NFaces() const { return nfaces_; }
  const FaceStream& UVFaces() const { return uvfaces_; }
  int32_t Get_Face_MatId(int64_t face) const { return face_mats_[face]; }
  const int32_t* Face_MatIds() const { return face_mats_.data(); }  // one per face

 private:
  HostArray<MVector3> vertices_, nvertices_, uvvertices_;
  FaceStream faces_, nfaces_, uvfaces_;
  HostArray<int32_t> face_mats_;  // one per face of faces_
  int normals_used_ = 0;
  int uv_used_ = 0;
};

// A material: its name, and its colour when the scene file gives one.
class KORVAN_API MSurface : public HostAllocated {
 public:
  explicit MSurface(const char* name);
  MSurface(const MSurface&) = delete;
  MSurface& operator=(const MSurface&) = delete;
  ~MSurface();
  const char* get_name() const { return name_ != nullptr ? name_ : ""; }

  // Linear red, green, blue and alpha (1 opaque), each 0..1.
  void Set_Color(float r, float g, float b, float alpha);
  int Has_Color() const { return has_color_; }
  const float* Get_Color() const { return color_; }  // 4 values
  // The finish as a metallic-roughness material (each 0..1), when the
  // scene file gives one.
  void Set_Finish(float metallic, float roughness);
  int Has_Finish() const { return has_finish_; }
  float Get_Metallic() const { return metallic_; }
  float Get_Roughness() const { return roughness_; }

 private:
  char* name_;
  float color_[4] = {0.8f, 0.8f, 0.8f, 1.0f};
  int has_color_ = 0;
  float metallic_ = 0.0f, roughness_ = 1.0f;
  int has_finish_ = 0;
};

class KORVAN_API MCamera : public MObj3d {
 public:
  explicit MCamera(const char* name) : MObj3d(name) {}
  int get_type() const override { return kObjCamera; }

  MVector3 location, look_at;
  MVector3 sky = MVector3(0.0, 1.0, 0.0);  // the camera's up direction
  double angle = 0.0;                      // horizontal field of view in degrees; 0: not given
  int cam_mark = 0;                        // 1: the camera the importer chose as the scene's view
  int from_file = 0;                       // 1: the scene file's own camera (not a default)
};

class KORVAN_API MLight : public MObj3d {
 public:
  explicit MLight(const char* name) : MObj3d(name) {}
  int get_type() const override { return kObjLight; }

  MVector3 location;
  MVector3 color = MVector3(1.0, 1.0, 1.0);  // linear RGB
};
