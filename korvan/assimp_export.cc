#include "korvan/assimp_export.h"

#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>

#include <algorithm>
#include <assimp/Exporter.hpp>
#include <cmath>
#include <cstring>
#include <map>
#include <unordered_map>

#include "korvan/material_palette.h"
#include "korvan/scene_json.h"
#include "korvan/text.h"

void AiSceneDeleter::operator()(aiScene* scene) const {
  // The converter gives the faces of a mesh one block of indices, which the
  // first face holds (and deletes); the other faces only point into it.
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    aiMesh* mesh = scene->mMeshes[m];
    for (unsigned f = 1; f < mesh->mNumFaces; ++f) mesh->mFaces[f].mIndices = nullptr;
  }
  delete scene;
}

namespace {

// For each of `count` values, the index of the first one that is equal to
// it (bit for bit, with -0 taken as 0), or -1 for a value that is not
// finite: an open-addressing table of indices keyed by the values, linear
// in the count.
template <class ValueAt>
std::vector<int32_t> FirstOfEqual(int64_t count, ValueAt value_at) {
  struct Key {
    uint32_t bits[3];
    bool operator==(const Key& o) const { return std::memcmp(bits, o.bits, sizeof bits) == 0; }
  };
  std::vector<Key> keys(static_cast<size_t>(count));
  std::vector<int32_t> first(static_cast<size_t>(count), 0);
  for (int64_t i = 0; i < count; ++i) {
    const aiVector3D v = value_at(i);
    const float xyz[3] = {v.x + 0.0f, v.y + 0.0f, v.z + 0.0f};  // -0 + 0 is +0
    std::memcpy(keys[i].bits, xyz, sizeof xyz);
    if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) first[i] = -1;
  }
  size_t size = 16;
  while (size < static_cast<size_t>(count) * 2) size *= 2;
  std::vector<int32_t> table(size, -1);
  for (int64_t i = 0; i < count; ++i) {
    if (first[i] < 0) continue;  // not finite
    const Key& k = keys[i];
    // Whole numbers leave the low bits zero: mix every bit into every bit.
    uint64_t h = (uint64_t{k.bits[0]} << 32 | k.bits[1]) ^ (k.bits[2] * 0x9E3779B97F4A7C15ull);
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDull;
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    for (size_t slot = h & (size - 1);; slot = (slot + 1) & (size - 1)) {
      if (table[slot] < 0) {
        table[slot] = static_cast<int32_t>(i);
        first[i] = static_cast<int32_t>(i);
        break;
      }
      if (keys[table[slot]] == k) {
        first[i] = table[slot];
        break;
      }
    }
  }
  return first;
}

// One vertex of an Assimp mesh: indices into the host mesh's three lists,
// each the first item of its value (-1 where the channel is not written).
struct Corner {
  int32_t position, normal, uv;
};

// The faces of one material of one host mesh, being gathered.
struct MeshPart {
  int32_t material = 0;
  std::vector<Corner> corners;    // one per written vertex
  std::vector<uint32_t> indices;  // the faces' corners, face after face
  std::vector<uint32_t> sizes;    // corners of each face
};

class MeshConverter {
 public:
  MeshConverter(MMesh_P& mesh, const ExportOptions& options) : mesh_(mesh), options_(options) {
    with_normals_ = mesh.NormalsUsed() && mesh.Get_NFace_Count() == mesh.Get_Face_Count();
    with_uv_ = mesh.UVUsed() && mesh.Get_UVFace_Count() == mesh.Get_Face_Count();
    first_.assign(static_cast<size_t>(mesh.Get_Vertex_Count()), kNone);
    same_position_ = FirstOfEqual(mesh.Get_Vertex_Count(),
                                  [&](int64_t i) { return Converted(mesh.Get_Vertex(i)); });
    if (with_normals_) {
      same_normal_ = FirstOfEqual(mesh.Get_NVertex_Count(),
                                  [&](int64_t i) { return Converted(mesh.Get_NVertex(i)); });
    }
    if (with_uv_) {
      same_uv_ = FirstOfEqual(mesh.Get_UVVertex_Count(),
                              [&](int64_t i) { return ConvertedUV(mesh.Get_UVVertex(i)); });
    }
  }

  // Gathers every writable face into the part of its material.
  void Gather(MeshReport* report) {
    const int32_t materials = mesh_.Get_MaterialNames()->Get_Count();
    part_of_.assign(static_cast<size_t>(std::max(materials, 1)), kNone);
    std::vector<Corner> corners;
    for (int64_t f = 0; f < mesh_.Get_Face_Count(); ++f) {
      corners.clear();
      if (!FaceCorners(f, &corners)) {
        ++report->faces_left_out;
        continue;
      }
      int32_t material = mesh_.Get_Face_MatId(f);
      if (material < 0 || material >= materials) {
        ++report->materials_replaced;
        material = 0;
      }
      const uint32_t part = PartOf(material);
      MeshPart& p = parts_[part];
      const size_t start = p.indices.size();
      for (const Corner& c : corners) p.indices.push_back(VertexOf(part, c));
      if (!options_.keep_handedness) std::reverse(p.indices.begin() + start, p.indices.end());
      p.sizes.push_back(static_cast<uint32_t>(corners.size()));
    }
  }

  // The Assimp meshes, one per material used (in material order), with
  // their material's name.
  std::vector<std::pair<aiMesh*, std::string>> Build() {
    std::sort(parts_.begin(), parts_.end(),
              [](const MeshPart& a, const MeshPart& b) { return a.material < b.material; });
    std::vector<std::pair<aiMesh*, std::string>> meshes;
    for (const MeshPart& part : parts_) {
      meshes.emplace_back(BuildPart(part), MaterialName(part.material));
    }
    return meshes;
  }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;

  // One written vertex: its part, its index there, and the next one made
  // from the same position (a chain per position).
  struct Made {
    uint32_t part, index, next;
  };

  uint32_t PartOf(int32_t material) {
    uint32_t& part = part_of_[material];
    if (part == kNone) {
      part = static_cast<uint32_t>(parts_.size());
      parts_.emplace_back();
      parts_.back().material = material;
    }
    return part;
  }

  // The part's vertex for `c`, made when it is new: one per distinct
  // (position, normal, uv) triple.
  uint32_t VertexOf(uint32_t part, const Corner& c) {
    for (uint32_t m = first_[c.position]; m != kNone; m = made_[m].next) {
      const Made& made = made_[m];
      if (made.part != part) continue;
      const Corner& other = parts_[part].corners[made.index];
      if (other.normal == c.normal && other.uv == c.uv) return made.index;
    }
    MeshPart& p = parts_[part];
    const auto index = static_cast<uint32_t>(p.corners.size());
    p.corners.push_back(c);
    made_.push_back({part, index, first_[c.position]});
    first_[c.position] = static_cast<uint32_t>(made_.size() - 1);
    return index;
  }

  bool FaceCorners(int64_t f, std::vector<Corner>* corners) const {
    const int32_t n = mesh_.Faces().CornerCount(f);
    if (n < 3) return false;
    const int32_t* p = mesh_.Faces().Corners(f);
    const int32_t* nn = with_normals_ ? mesh_.NFaces().Corners(f) : nullptr;
    const int32_t* uv = with_uv_ ? mesh_.UVFaces().Corners(f) : nullptr;
    if ((nn && mesh_.NFaces().CornerCount(f) != n) || (uv && mesh_.UVFaces().CornerCount(f) != n)) {
      return false;
    }
    for (int32_t i = 0; i < n; ++i) {
      const Corner c{FirstOfItsValue(same_position_, p[i]),
                     nn ? FirstOfItsValue(same_normal_, nn[i]) : -1,
                     uv ? FirstOfItsValue(same_uv_, uv[i]) : -1};
      if (c.position < 0 || (nn && c.normal < 0) || (uv && c.uv < 0)) return false;
      corners->push_back(c);
    }
    return true;
  }

  // The first item of a list with the value of item `i`, or -1 when `i` is
  // outside the list or its value cannot be written.
  static int32_t FirstOfItsValue(const std::vector<int32_t>& same, int32_t i) {
    return i >= 0 && static_cast<size_t>(i) < same.size() ? same[i] : -1;
  }

  aiVector3D Converted(const MVector3& v) const {
    const double z = options_.keep_handedness ? v.z : -v.z;
    return aiVector3D(static_cast<ai_real>(v.x), static_cast<ai_real>(v.y),
                      static_cast<ai_real>(z));
  }

  static aiVector3D ConvertedUV(const MVector3& t) {
    return aiVector3D(static_cast<ai_real>(t.x), static_cast<ai_real>(t.y), 0);
  }

  aiMesh* BuildPart(const MeshPart& part) const {
    auto* out = new aiMesh();
    out->mName = aiString(mesh_.get_name());
    out->mNumVertices = static_cast<unsigned>(part.corners.size());
    out->mVertices = new aiVector3D[out->mNumVertices];
    if (with_normals_) out->mNormals = new aiVector3D[out->mNumVertices];
    if (with_uv_) {
      out->mTextureCoords[0] = new aiVector3D[out->mNumVertices];
      out->mNumUVComponents[0] = 2;
    }
    for (unsigned i = 0; i < out->mNumVertices; ++i) {
      const Corner& c = part.corners[i];
      out->mVertices[i] = Converted(mesh_.Get_Vertex(c.position));
      if (with_normals_) out->mNormals[i] = Converted(mesh_.Get_NVertex(c.normal));
      if (with_uv_) out->mTextureCoords[0][i] = ConvertedUV(mesh_.Get_UVVertex(c.uv));
    }
    out->mNumFaces = static_cast<unsigned>(part.sizes.size());
    out->mFaces = new aiFace[out->mNumFaces];
    // One block for all the faces' indices, held by the first face (see
    // AiSceneDeleter).
    auto* index = new unsigned[part.indices.size()];
    std::copy(part.indices.begin(), part.indices.end(), index);
    unsigned types = 0;
    for (unsigned f = 0; f < out->mNumFaces; ++f) {
      const uint32_t n = part.sizes[f];
      out->mFaces[f].mNumIndices = n;
      out->mFaces[f].mIndices = index;
      index += n;
      types |= n == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
    }
    out->mPrimitiveTypes = types;
    return out;
  }

  std::string MaterialName(int32_t material) const {
    // Walk from the head: the host's list cursor is not ours to move.
    MListNode* node = mesh_.Get_MaterialNames()->head;
    for (int32_t i = 0; i < material && node != nullptr; ++i) node = node->next;
    return node != nullptr && node->item != nullptr ? static_cast<const char*>(node->item) : "";
  }

  MMesh_P& mesh_;
  const ExportOptions& options_;
  bool with_normals_ = false, with_uv_ = false;
  std::vector<MeshPart> parts_;
  std::vector<uint32_t> part_of_;  // per material id: its part, or kNone
  std::vector<uint32_t> first_;    // per position: its last made vertex, or kNone
  // Per item of each list: the first item with the same written value.
  std::vector<int32_t> same_position_, same_normal_, same_uv_;
  std::vector<Made> made_;
};

aiMaterial* NewMaterial(const std::string& name, size_t i, const MSurface* surface) {
  auto* material = new aiMaterial();
  const aiString text(name);
  material->AddProperty(&text, AI_MATKEY_NAME);
  // The file's colour, or a colour per material so that viewers tell the
  // materials apart.
  const PaletteColor c = ShownColor(surface, i);
  const aiColor3D color(c.r, c.g, c.b);
  material->AddProperty(&color, 1, AI_MATKEY_COLOR_DIFFUSE);
  if (c.a < 1.0f) {
    const float opacity = c.a;
    material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
  }
  return material;
}

// Assimp's writers ask for steps that its exporter runs on its own copy of
// the scene unless the scene records them as applied: joining identical
// vertices (glTF; it costs more than the whole import of a large mesh) and
// moving vertices by their nodes' transformations (PLY, STL; it takes time
// that grows with the square of the number of meshes). The converter joins
// the vertices itself, and its nodes carry no transformations, so the scene
// records both. The record lives in Assimp's private scene data, laid out
// as below in Assimp 5 (and before); nothing is written unless a new scene
// of Assimp 5 shows exactly the initial values there, and without the
// record the export is only slower.
struct AssimpScenePrivate {
  void* importer;
  unsigned int steps_applied;
  bool is_copy;
};

void RecordStepsDone(aiScene* scene) {
  auto* data = static_cast<AssimpScenePrivate*>(scene->mPrivate);
  if (aiGetVersionMajor() != 5 || data == nullptr || data->importer != nullptr ||
      data->steps_applied != 0 || data->is_copy) {
    return;
  }
  data->steps_applied = aiProcess_JoinIdenticalVertices | aiProcess_PreTransformVertices;
}

template <class T>
T** ToArray(const std::vector<T*>& items) {
  if (items.empty()) return nullptr;
  T** array = new T*[items.size()];
  std::copy(items.begin(), items.end(), array);
  return array;
}

}  // namespace

AiScenePtr ToAssimpScene(MScene& scene, const ExportOptions& options, ExportReport* report) {
  AiScenePtr out(new aiScene());
  RecordStepsDone(out.get());
  out->mRootNode = new aiNode("scene");
  std::vector<aiMaterial*> materials;
  std::unordered_map<std::string, unsigned> material_index;
  auto material_of = [&](const std::string& name) {
    auto [it, added] = material_index.emplace(name, static_cast<unsigned>(materials.size()));
    if (added) {
      materials.push_back(
          NewMaterial(name, materials.size(), scene.GetMaterialbyName(name.c_str())));
    }
    return it->second;
  };
  std::vector<aiMesh*> meshes;
  std::vector<aiNode*> nodes;
  scene.ForEachMesh([&](MMesh_P& mesh) {
    MeshReport mesh_report{mesh.get_name()};
    MeshConverter converter(mesh, options);
    converter.Gather(&mesh_report);
    auto* node = new aiNode(mesh.get_name());
    std::vector<unsigned> node_meshes;
    for (auto& [part, material] : converter.Build()) {
      part->mMaterialIndex = material_of(material);
      report->faces_written += part->mNumFaces;
      node_meshes.push_back(static_cast<unsigned>(meshes.size()));
      meshes.push_back(part);
    }
    node->mNumMeshes = static_cast<unsigned>(node_meshes.size());
    if (!node_meshes.empty()) {
      node->mMeshes = new unsigned[node_meshes.size()];
      std::copy(node_meshes.begin(), node_meshes.end(), node->mMeshes);
    }
    nodes.push_back(node);
    if (mesh_report.faces_left_out || mesh_report.materials_replaced) {
      report->meshes.push_back(mesh_report);
    }
  });
  if (materials.empty()) material_of("default");  // every scene needs a material
  out->mMaterials = ToArray(materials);
  out->mNumMaterials = static_cast<unsigned>(materials.size());
  out->mMeshes = ToArray(meshes);
  out->mNumMeshes = static_cast<unsigned>(meshes.size());
  if (!nodes.empty())
    out->mRootNode->addChildren(static_cast<unsigned>(nodes.size()), nodes.data());
  return out;
}

std::vector<ExportFormat> ExportFormats() {
  std::vector<ExportFormat> formats = {{"json", "json", "Korvan scene JSON"}};
  Assimp::Exporter exporter;
  for (size_t i = 0; i < exporter.GetExportFormatCount(); ++i) {
    const aiExportFormatDesc* d = exporter.GetExportFormatDescription(i);
    formats.push_back({d->id, d->fileExtension, d->description});
  }
  return formats;
}

namespace {

const std::vector<ExportFormat>& AllFormats() {
  static const std::vector<ExportFormat> formats = ExportFormats();
  return formats;
}

}  // namespace

const ExportFormat* FindFormatById(const std::string& id) {
  const std::string key = Lower(id);
  for (const ExportFormat& f : AllFormats()) {
    if (f.id == key) return &f;
  }
  return nullptr;
}

const ExportFormat* FindFormatForExtension(const std::string& extension) {
  // Extensions that several writers share go to the usual choice. The
  // binary FBX writer of Assimp 5.2 writes files that FBX readers reject
  // (its padding records are cut short), so .fbx is written as ASCII FBX;
  // --format fbx still asks for the binary writer.
  static const std::map<std::string, std::string> preferred = {
      {"glb", "glb2"},    {"gltf", "gltf2"}, {"ply", "plyb"}, {"stl", "stlb"},
      {"dae", "collada"}, {"fbx", "fbxa"},   {"obj", "obj"},  {"json", "json"}};
  const std::string key = Lower(extension);
  if (auto it = preferred.find(key); it != preferred.end()) return FindFormatById(it->second);
  for (const ExportFormat& f : AllFormats()) {
    if (f.extension == key) return &f;
  }
  return nullptr;
}

bool ExportScene(MScene& scene, const std::string& path, const ExportFormat& format,
                 const ExportOptions& options, ExportReport* report,
                 const std::function<void()>& scene_read) {
  if (format.id == "json") {
    if (!WriteSceneJson(scene, path.c_str())) report->error = std::strerror(errno);
    if (scene_read) scene_read();
    return report->error.empty();
  }
  AiScenePtr converted = ToAssimpScene(scene, options, report);
  if (scene_read) scene_read();
  Assimp::Exporter exporter;
  if (exporter.Export(converted.get(), format.id, path) != aiReturn_SUCCESS) {
    report->error = exporter.GetErrorString();
    if (report->error.empty()) report->error = "the writer failed";
    return false;
  }
  return true;
}
