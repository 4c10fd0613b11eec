#include "korvan/assimp_export.h"

#include <assimp/camera.h>
#include <assimp/light.h>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Exporter.hpp>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "korvan/camera_view.h"

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

aiVector3D Vector(const float v[3]) { return aiVector3D(v[0], v[1], v[2]); }

// The Assimp mesh of one part, or of several parts joined (their channels
// written only when every part has them).
aiMesh* BuildMesh(const std::vector<std::pair<const ExportMesh*, const MeshPart*>>& parts) {
  auto* out = new aiMesh();
  out->mName = aiString(parts.front().first->name());
  bool normals = true, uv = true;
  size_t vertices = 0, indices = 0, faces = 0;
  for (const auto& [mesh, part] : parts) {
    normals = normals && mesh->has_normals();
    uv = uv && mesh->has_uv();
    vertices += part->vertices.size();
    indices += part->indices.size();
    faces += part->sizes.size();
  }
  out->mNumVertices = static_cast<unsigned>(vertices);
  out->mVertices = new aiVector3D[vertices];
  if (normals) out->mNormals = new aiVector3D[vertices];
  if (uv) {
    out->mTextureCoords[0] = new aiVector3D[vertices];
    out->mNumUVComponents[0] = 2;
  }
  out->mNumFaces = static_cast<unsigned>(faces);
  out->mFaces = new aiFace[faces];
  // One block for all the faces' indices, held by the first face (see
  // AiSceneDeleter).
  unsigned* index = new unsigned[indices];
  unsigned types = 0, base = 0, face = 0;
  for (const auto& [mesh, part] : parts) {
    for (size_t i = 0; i < part->vertices.size(); ++i) {
      const PartVertex& v = part->vertices[i];
      float value[3] = {0, 0, 0};
      mesh->Position(v, value);
      out->mVertices[base + i] = Vector(value);
      if (normals) {
        mesh->Normal(v, value);
        out->mNormals[base + i] = Vector(value);
      }
      if (uv) {
        mesh->UV(v, value);
        out->mTextureCoords[0][base + i] = aiVector3D(value[0], value[1], 0);
      }
    }
    const uint32_t* from = part->indices.data();
    for (uint32_t n : part->sizes) {
      out->mFaces[face].mNumIndices = n;
      out->mFaces[face].mIndices = index;
      for (uint32_t k = 0; k < n; ++k) index[k] = base + from[k];
      index += n;
      from += n;
      ++face;
      types |= n == 3 ? aiPrimitiveType_TRIANGLE : aiPrimitiveType_POLYGON;
    }
    base += static_cast<unsigned>(part->vertices.size());
  }
  out->mPrimitiveTypes = types;
  return out;
}

aiMaterial* NewMaterial(const MaterialTable::Entry& entry) {
  auto* material = new aiMaterial();
  const aiString text(entry.name);
  material->AddProperty(&text, AI_MATKEY_NAME);
  const aiColor3D color(entry.color.r, entry.color.g, entry.color.b);
  material->AddProperty(&color, 1, AI_MATKEY_COLOR_DIFFUSE);
  if (entry.color.a < 1.0f) {
    const float opacity = entry.color.a;
    material->AddProperty(&opacity, 1, AI_MATKEY_OPACITY);
  }
  const int two_sided = 1;  // POV-Ray draws both sides of every face
  material->AddProperty(&two_sided, 1, AI_MATKEY_TWOSIDED);
  return material;
}

template <class T>
T** ToArray(const std::vector<T*>& items) {
  if (items.empty()) return nullptr;
  T** array = new T*[items.size()];
  std::copy(items.begin(), items.end(), array);
  return array;
}

// Assimp's OBJ writer starts a group (`g`) for each mesh but no object, and
// readers such as Blender's make one object of a whole file without `o`:
// an `o` line goes before the first group of each host mesh (the groups
// carry the mesh's name; its materials follow as further groups).
bool AddObjectLines(const std::string& path) {
  std::string text;
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
  }
  std::string out;
  out.reserve(text.size() + text.size() / 64);
  std::string last;
  size_t line = 0;
  while (line < text.size()) {
    size_t end = text.find('\n', line);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(line, 2, "g ") == 0) {
      std::string name = text.substr(line + 2, end - line - 2);
      while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
      if (name != last) out += "o " + name + "\n";
      last = name;
    }
    out.append(text, line, end - line);
    line = end;
  }
  std::ofstream rewrite(path, std::ios::binary | std::ios::trunc);
  rewrite << out;
  rewrite.close();
  return static_cast<bool>(rewrite);
}

// The scene's cameras and lights, each with a node of its name that places
// it (formats with cameras and lights, COLLADA among them, write them).
void AddCamerasAndLights(MScene& scene, const ExportOptions& options,
                         const std::vector<aiMesh*>& meshes, aiScene* out,
                         std::vector<aiNode*>* nodes) {
  // The written geometry's bounds, for the cameras' clip distances.
  double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  bool any = false;
  for (const aiMesh* mesh : meshes) {
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
      const aiVector3D& v = mesh->mVertices[i];
      const double p[3] = {v.x, v.y, v.z};
      for (int k = 0; k < 3; ++k) {
        low[k] = any ? std::min(low[k], p[k]) : p[k];
        high[k] = any ? std::max(high[k], p[k]) : p[k];
      }
      any = true;
    }
  }
  std::vector<aiCamera*> cameras;
  for (MListNode* n = scene.Get_Cameras()->head; n != nullptr; n = n->next) {
    const auto* camera = static_cast<const MCamera*>(n->item);
    CameraPose pose;
    if (camera == nullptr || !PoseOf(*camera, options.keep_handedness, &pose)) continue;
    auto* node = new aiNode(camera->get_name());
    node->mTransformation = aiMatrix4x4(
        static_cast<ai_real>(pose.right[0]), static_cast<ai_real>(pose.up[0]),
        static_cast<ai_real>(pose.back[0]), static_cast<ai_real>(pose.eye[0]),
        static_cast<ai_real>(pose.right[1]), static_cast<ai_real>(pose.up[1]),
        static_cast<ai_real>(pose.back[1]), static_cast<ai_real>(pose.eye[1]),
        static_cast<ai_real>(pose.right[2]), static_cast<ai_real>(pose.up[2]),
        static_cast<ai_real>(pose.back[2]), static_cast<ai_real>(pose.eye[2]), 0, 0, 0, 1);
    nodes->push_back(node);
    auto* out_camera = new aiCamera();
    out_camera->mName = aiString(camera->get_name());
    out_camera->mLookAt = aiVector3D(0, 0, -1);  // in its node's frame
    out_camera->mUp = aiVector3D(0, 1, 0);
    out_camera->mAspect = static_cast<float>(kPovrayAspect);
    // COLLADA's xfov, which Assimp writes from this, is the whole angle.
    out_camera->mHorizontalFOV = static_cast<float>(
        2 * std::atan(std::tan(VerticalFieldOfView(camera->angle) / 2) * kPovrayAspect));
    const ClipRange clip = ClipRangeFor(pose.eye, low, high, any);
    out_camera->mClipPlaneNear = static_cast<float>(clip.near_distance);
    out_camera->mClipPlaneFar = static_cast<float>(clip.far_distance);
    cameras.push_back(out_camera);
  }
  std::vector<aiLight*> lights;
  for (MListNode* n = scene.Get_Lights()->head; n != nullptr; n = n->next) {
    const auto* light = static_cast<const MLight*>(n->item);
    if (light == nullptr || !IsFinite(light->location)) continue;
    const MVector3& at = light->location;
    auto* node = new aiNode(light->get_name());
    node->mTransformation.a4 = static_cast<ai_real>(at.x);
    node->mTransformation.b4 = static_cast<ai_real>(at.y);
    node->mTransformation.c4 = static_cast<ai_real>(options.keep_handedness ? at.z : -at.z);
    nodes->push_back(node);
    auto* out_light = new aiLight();
    out_light->mName = aiString(light->get_name());
    out_light->mType = aiLightSource_POINT;
    // POV-Ray's lights do not fade with distance.
    out_light->mAttenuationConstant = 1;
    out_light->mAttenuationLinear = 0;
    out_light->mAttenuationQuadratic = 0;
    const aiColor3D color(static_cast<float>(light->color.x), static_cast<float>(light->color.y),
                          static_cast<float>(light->color.z));
    out_light->mColorDiffuse = out_light->mColorSpecular = color;
    lights.push_back(out_light);
  }
  out->mCameras = ToArray(cameras);
  out->mNumCameras = static_cast<unsigned>(cameras.size());
  out->mLights = ToArray(lights);
  out->mNumLights = static_cast<unsigned>(lights.size());
}

}  // namespace

AiScenePtr ToAssimpScene(MScene& scene, const ExportOptions& options, bool one_mesh,
                         ExportReport* report) {
  AiScenePtr out(new aiScene());
  out->mRootNode = new aiNode("scene");
  MaterialTable materials(scene);
  std::vector<aiMesh*> meshes;
  std::vector<aiNode*> nodes;
  std::vector<std::unique_ptr<ExportMesh>> kept;  // for `one_mesh`, joined at the end
  std::vector<std::pair<const ExportMesh*, const MeshPart*>> all_parts;
  scene.ForEachMesh([&](MMesh_P& mesh) {
    MeshReport mesh_report{mesh.get_name()};
    auto converted = std::make_unique<ExportMesh>(mesh, options, &mesh_report);
    if (mesh_report.any()) report->meshes.push_back(mesh_report);
    std::vector<unsigned> node_meshes;
    for (const MeshPart& part : converted->parts()) {
      report->faces_written += static_cast<long>(part.sizes.size());
      const unsigned material = materials.IndexOf(part.material_name);
      if (one_mesh) {
        all_parts.emplace_back(converted.get(), &part);
        continue;
      }
      aiMesh* built = BuildMesh({{converted.get(), &part}});
      built->mMaterialIndex = material;
      node_meshes.push_back(static_cast<unsigned>(meshes.size()));
      meshes.push_back(built);
    }
    if (one_mesh) {
      kept.push_back(std::move(converted));
      return;
    }
    auto* node = new aiNode(mesh.get_name());
    node->mNumMeshes = static_cast<unsigned>(node_meshes.size());
    if (!node_meshes.empty()) {
      node->mMeshes = new unsigned[node_meshes.size()];
      std::copy(node_meshes.begin(), node_meshes.end(), node->mMeshes);
    }
    nodes.push_back(node);
  });
  if (one_mesh && !all_parts.empty()) {
    meshes.push_back(BuildMesh(all_parts));
    auto* node = new aiNode(meshes.back()->mName.C_Str());
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned[1]{0};
    nodes.push_back(node);
  }
  if (!one_mesh) AddCamerasAndLights(scene, options, meshes, out.get(), &nodes);
  if (materials.entries().empty()) materials.IndexOf("default");  // every scene needs one
  std::vector<aiMaterial*> written_materials;
  for (const MaterialTable::Entry& entry : materials.entries()) {
    written_materials.push_back(NewMaterial(entry));
  }
  out->mMaterials = ToArray(written_materials);
  out->mNumMaterials = static_cast<unsigned>(written_materials.size());
  out->mMeshes = ToArray(meshes);
  out->mNumMeshes = static_cast<unsigned>(meshes.size());
  if (!nodes.empty()) {
    out->mRootNode->addChildren(static_cast<unsigned>(nodes.size()), nodes.data());
  }
  return out;
}

bool WriteWithAssimp(const aiScene& scene, const std::string& path, const std::string& assimp_id,
                     ExportReport* report) {
  Assimp::Exporter exporter;
  if (exporter.Export(&scene, assimp_id, path) != aiReturn_SUCCESS) {
    report->error = exporter.GetErrorString();
    if (report->error.empty()) report->error = "the writer failed";
    return false;
  }
  if ((assimp_id == "obj" || assimp_id == "objnomtl") && !AddObjectLines(path)) {
    report->error = "cannot rewrite the file with its objects";
    return false;
  }
  return true;
}
