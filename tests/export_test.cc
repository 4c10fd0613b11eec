// Writing scenes in every offered format, checked by reading every file
// back with Assimp's importer (a reader that is not ours). Blender and the
// glTF validator check the same files in tests/oracles/.
#include "korvan/export.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <string>

#include "korvan/assimp_export.h"
#include "tests/test_support.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

struct Counts {
  unsigned meshes = 0, faces = 0, vertices = 0;
  bool normals = false, uv = false;
  aiVector3D min{1e30f, 1e30f, 1e30f}, max{-1e30f, -1e30f, -1e30f};
};

Counts CountScene(const aiScene& scene) {
  Counts c;
  c.meshes = scene.mNumMeshes;
  c.normals = c.uv = scene.mNumMeshes > 0;
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh* mesh = scene.mMeshes[m];
    c.faces += mesh->mNumFaces;
    c.vertices += mesh->mNumVertices;
    c.normals = c.normals && mesh->HasNormals();
    c.uv = c.uv && mesh->HasTextureCoords(0);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      const aiVector3D& p = mesh->mVertices[v];
      c.min = aiVector3D(std::min(c.min.x, p.x), std::min(c.min.y, p.y), std::min(c.min.z, p.z));
      c.max = aiVector3D(std::max(c.max.x, p.x), std::max(c.max.y, p.y), std::max(c.max.z, p.z));
    }
  }
  return c;
}

// Writes `scene` as `format` and reads it back; null when either fails.
const aiScene* RoundTrip(MScene& scene, const std::string& format, Assimp::Importer* importer,
                         ExportReport* report, const ExportOptions& options = {}) {
  const ExportFormat* f = FindFormatById(format);
  EXPECT_NE(f, nullptr) << format;
  if (f == nullptr) return nullptr;
  const std::string path = TestDir() + "out_" + format + "." + f->extension;
  EXPECT_TRUE(ExportScene(scene, path, *f, options, report)) << format << ": " << report->error;
  const aiScene* back = importer->ReadFile(path, aiProcess_ValidateDataStructure);
  EXPECT_NE(back, nullptr) << format << ": " << importer->GetErrorString();
  return back;
}

struct FormatCase {
  const char* format;
  unsigned meshes;    // the cube's two materials make two meshes where kept apart
  unsigned vertices;  // 0: the reader makes its own (one per corner)
  bool normals, uv;
};

TEST(Export, CubeRoundTripsThroughEveryWriter) {
  Reading r = ReadScenePath(kSource + "/examples/cube.pov");
  ExportReport converted;
  AiScenePtr direct = ToAssimpScene(*r.scene, ExportOptions(), false, &converted);
  const Counts expected = CountScene(*direct);
  ASSERT_EQ(expected.meshes, 2u);
  ASSERT_EQ(expected.faces, 12u);
  const FormatCase cases[] = {
      {"glb2", 2, expected.vertices, true, true},
      {"gltf2", 2, expected.vertices, true, true},
      {"obj", 2, 0, true, true},
      {"objnomtl", 1, 0, true, true},
      {"plyb", 1, expected.vertices, true, true},
      {"ply", 1, expected.vertices, true, true},
      {"stlb", 1, 0, true, false},
      {"stl", 1, 0, true, false},
      {"collada", 2, 0, true, true},
  };
  for (const auto& c : cases) {
    Assimp::Importer importer;
    ExportReport report;
    const aiScene* back = RoundTrip(*r.scene, c.format, &importer, &report);
    if (back == nullptr) continue;
    const Counts got = CountScene(*back);
    EXPECT_EQ(got.meshes, c.meshes) << c.format;
    EXPECT_EQ(got.faces, 12u) << c.format;
    if (c.vertices != 0) {
      EXPECT_EQ(got.vertices, c.vertices) << c.format;
    }
    EXPECT_EQ(got.normals, c.normals) << c.format;
    EXPECT_EQ(got.uv, c.uv) << c.format;
    // The unit cube, z negated: x and y in [0, 1], z in [-1, 0].
    EXPECT_NEAR(got.min.x, 0, 1e-5) << c.format;
    EXPECT_NEAR(got.max.y, 1, 1e-5) << c.format;
    EXPECT_NEAR(got.min.z, -1, 1e-5) << c.format;
    EXPECT_NEAR(got.max.z, 0, 1e-5) << c.format;
    EXPECT_TRUE(report.meshes.empty()) << c.format;
  }
}

TEST(Export, MaterialsAreSplitAndNamed) {
  Reading r = ReadScenePath(kSource + "/examples/cube.pov");
  Assimp::Importer importer;
  ExportReport report;
  const aiScene* back = RoundTrip(*r.scene, "gltf2", &importer, &report);
  ASSERT_NE(back, nullptr);
  std::vector<std::string> names;
  for (unsigned m = 0; m < back->mNumMeshes; ++m) {
    aiString name;
    back->mMaterials[back->mMeshes[m]->mMaterialIndex]->Get(AI_MATKEY_NAME, name);
    names.push_back(std::string(name.C_Str()) + ":" + std::to_string(back->mMeshes[m]->mNumFaces));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"mat_1:8", "mat_2:4"}));
  // The text form carries buffers and accessors with their bounds.
  const std::string gltf = ReadWholeFile(TestDir() + "out_gltf2.gltf");
  for (const char* part : {"\"buffers\"", "\"accessors\"", "\"min\"", "\"max\"", "\"meshes\""}) {
    EXPECT_NE(gltf.find(part), std::string::npos) << part;
  }
}

// The facing of the one triangle read back: +1 when its winding (right-hand
// rule) points along +z, and its first vertex's z and normal z.
struct Facing {
  float winding_z, z, normal_z;
};

Facing FacingOf(const aiScene& back) {
  const aiMesh* mesh = back.mMeshes[0];
  const unsigned* f = mesh->mFaces[0].mIndices;
  const aiVector3D a = mesh->mVertices[f[0]], b = mesh->mVertices[f[1]], c = mesh->mVertices[f[2]];
  return {((b - a) ^ (c - a)).z > 0 ? 1.0f : -1.0f, a.z, mesh->mNormals[f[0]].z};
}

TEST(Export, HandednessAndWindingFollowTheRules) {
  // The triangle lies at z = 1 and winds towards +z; its normals point
  // either way. Converted, z is negated (the same shape, right-handed); by
  // default the winding is turned to agree with the normals.
  struct Case {
    const char* normal;  // of all three corners
    bool keep_handedness, keep_winding;
    Facing expected;
  };
  const Case cases[] = {
      {"<0,0,1>", false, false, {-1, -1, -1}}, {"<0,0,-1>", false, false, {1, -1, 1}},
      {"<0,0,-1>", false, true, {-1, -1, 1}},  {"<0,0,1>", true, false, {1, 1, 1}},
      {"<0,0,-1>", true, false, {-1, 1, -1}},  {"<0,0,-1>", true, true, {1, 1, -1}},
      {"<0,0,-3>", false, false, {1, -1, 1}},  // written at unit length
  };
  for (const Case& c : cases) {
    const std::string text = std::string("smooth_triangle { <0,0,1>, ") + c.normal + ", <1,0,1>, " +
                             c.normal + ", <0,1,1>, " + c.normal + " }";
    ExportOptions options;
    options.keep_handedness = c.keep_handedness;
    options.keep_winding = c.keep_winding;
    Reading r = ReadSceneText(text);
    for (const char* format : {"glb2", "obj", "collada"}) {
      Assimp::Importer importer;
      ExportReport report;
      const aiScene* back = RoundTrip(*r.scene, format, &importer, &report, options);
      ASSERT_NE(back, nullptr) << format << " " << text;
      const Facing got = FacingOf(*back);
      const std::string label = std::string(format) + " " + text + " keep handedness " +
                                std::to_string(c.keep_handedness) + " winding " +
                                std::to_string(c.keep_winding);
      EXPECT_EQ(got.winding_z, c.expected.winding_z) << label;
      EXPECT_FLOAT_EQ(got.z, c.expected.z) << label;
      EXPECT_FLOAT_EQ(got.normal_z, c.expected.normal_z) << label;
    }
  }
}

TEST(Export, MissingAndZeroNormalsAreMadeAndFlatFacesCounted) {
  // Face 0: one zero normal (the other two's average instead); face 1: no
  // area but normals of its own (kept); face 2: no area and only zero
  // normals (left out and counted); the loose triangle has no area and no
  // normals (the reader drops it itself).
  Reading r = ReadSceneText(
      "mesh2 { vertex_vectors { 4, <0,0,0>, <1,0,0>, <0,1,0>, <2,0,0> }\n"
      "  normal_vectors { 3, <0,0,0>, <0,0,-2>, <0,1,-1> }\n"
      "  face_indices { 3, <0,1,2>, <0,1,3>, <0,1,3> }\n"
      "  normal_indices { 3, <0,1,2>, <1,1,1>, <0,0,0> } }\n");
  Assimp::Importer importer;
  ExportReport report;
  const aiScene* back = RoundTrip(*r.scene, "glb2", &importer, &report);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(report.meshes.size(), 1u);
  EXPECT_EQ(report.meshes[0].faces_degenerate, 1);
  EXPECT_EQ(report.meshes[0].faces_left_out, 0);
  EXPECT_EQ(report.faces_written, 2);
  const aiMesh* mesh = back->mMeshes[0];
  ASSERT_EQ(mesh->mNumFaces, 2u);
  for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
    EXPECT_NEAR(mesh->mNormals[v].Length(), 1.0f, 1e-6f) << "vertex " << v;
  }
  // Corner 0 of face 0 takes the average of (0,0,-1) and (0,0.707,-0.707),
  // z negated.
  const aiVector3D made = mesh->mNormals[mesh->mFaces[0].mIndices[0]];
  EXPECT_NEAR(made.y, 0.3827f, 1e-3f);
  EXPECT_NEAR(made.z, 0.9239f, 1e-3f);
}

TEST(Export, UnwritableFacesAreLeftOutAndCounted) {
  Reading r = ReadSceneText(
      "mesh2 { vertex_vectors { 4, <nan,0,0>, <1,0,0>, <0,1,inf>, <1,1,0> }\n"
      "  texture_list { 1, texture { T } }\n"
      "  face_indices { 5, <1,3,1>, <0,1,3>, <1,3,9>, <-1,1,3>, <1,3,2> } }\n"
      "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } texture_list { 1, }\n"
      "  face_indices { 1, <0,1,2>, 7 } }\n");
  for (const char* format : {"glb2", "obj", "stlb", "plyb"}) {
    Assimp::Importer importer;
    ExportReport report;
    const aiScene* back = RoundTrip(*r.scene, format, &importer, &report);
    ASSERT_NE(back, nullptr) << format;
    EXPECT_EQ(CountScene(*back).faces, 1u) << format;
    ASSERT_EQ(report.meshes.size(), 2u) << format;
    EXPECT_EQ(report.meshes[0].name, "obj_1");
    EXPECT_EQ(report.meshes[0].faces_left_out, 4);
    EXPECT_EQ(report.meshes[0].faces_degenerate, 1) << "<1,3,1> has no area";
    EXPECT_EQ(report.meshes[1].materials_replaced, 1) << "texture index 7 of 1";
  }
}

TEST(Export, EqualCornersAreOneVertex) {
  // Loose triangles repeat their shared corners (and -0 is 0).
  Reading r = ReadSceneText(
      "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "triangle { <1,0,0>, <1,1,0>, <-0,1,0> }\n");
  Assimp::Importer importer;
  ExportReport report;
  const aiScene* back = RoundTrip(*r.scene, "glb2", &importer, &report);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(CountScene(*back).faces, 2u);
  EXPECT_EQ(CountScene(*back).vertices, 4u);
}

TEST(Export, EmptySceneStillWrites) {
  Reading r = ReadSceneText("sphere { <0,0,0>, 1 }");
  for (const char* format : {"glb2", "gltf2", "obj", "plyb", "stlb", "collada"}) {
    const ExportFormat* f = FindFormatById(format);
    ASSERT_NE(f, nullptr);
    ExportReport report;
    EXPECT_TRUE(
        ExportScene(*r.scene, TestDir() + "empty." + f->extension, *f, ExportOptions(), &report))
        << format << ": " << report.error;
  }
}

TEST(Export, FormatsByIdAndExtension) {
  struct Case {
    const char* extension;
    const char* id;
  };
  // FBX and X3D are not offered: Blender cannot read what Assimp writes.
  const Case cases[] = {{"glb", "glb2"},  {"GLTF", "gltf2"},  {"obj", "obj"},   {"ply", "plyb"},
                        {"stl", "stlb"},  {"dae", "collada"}, {"json", "json"}, {"fbx", nullptr},
                        {"x3d", nullptr}, {"docx", nullptr}};
  for (const auto& c : cases) {
    const ExportFormat* f = FindFormatForExtension(c.extension);
    EXPECT_EQ(f == nullptr ? "none" : f->id, c.id == nullptr ? "none" : c.id) << c.extension;
  }
  ASSERT_NE(FindFormatById("PLYB"), nullptr);
  EXPECT_EQ(FindFormatById("PLYB")->extension, "ply");
  EXPECT_EQ(FindFormatById("fbx"), nullptr);
  EXPECT_EQ(FindFormatById("nonsense"), nullptr);
}

}  // namespace

namespace {

// The world position of the node named `name` and the direction its -z
// looks in, from Assimp's reading of the file.
bool NodePlace(const aiScene& scene, const char* name, aiVector3D* at, aiVector3D* looks) {
  const aiNode* node = scene.mRootNode->FindNode(name);
  if (node == nullptr) return false;
  aiMatrix4x4 m;
  for (const aiNode* n = node; n != nullptr; n = n->mParent) m = n->mTransformation * m;
  *at = m * aiVector3D(0, 0, 0);
  *looks = (m * aiVector3D(0, 0, -1)) - *at;
  looks->Normalize();
  return true;
}

TEST(Export, CamerasAndLightsAreWrittenWhereTheFormatHasThem) {
  // Seen from -z, looking at the origin; 50 degrees across a 4:3 image.
  PovrayReadOptions placed;
  placed.place_objects = true;
  Reading r = ReadPovrayText(
      "triangle { <-1,-1,0>, <1,-1,0>, <0,1,0> }\n"
      "camera { location <0, 0, -4> look_at <0, 0, 0> angle 50 }\n"
      "light_source { <0, 0, -2>, color rgb <2, 1, 0> }\n",
      placed);
  const double vertical = 2 * std::atan(std::tan(25 * M_PI / 180) * 0.75);
  struct Case {
    const char* format;
    double light_red;  // as Assimp's reader gives it back
  };
  // Assimp 5.2 reads glTF's vertical field into its horizontal one by the
  // aspect ratio alone (not by tangents), and COLLADA's xfov as it stands;
  // it multiplies glTF's light colour (kept within 0..1) by the intensity,
  // here 2 (the colour's strength) times pi d^2 with d = 2 from the
  // triangle's centre; COLLADA keeps the colour as POV-Ray gives it.
  for (const Case& c : {Case{"glb2", 2 * M_PI * 4}, Case{"collada", 2}}) {
    Assimp::Importer importer;
    ExportReport report;
    const aiScene* back = RoundTrip(*r.scene, c.format, &importer, &report);
    ASSERT_NE(back, nullptr) << c.format;
    ASSERT_EQ(back->mNumCameras, 1u) << c.format;
    const aiCamera* camera = back->mCameras[0];
    aiVector3D at, looks;
    ASSERT_TRUE(NodePlace(*back, camera->mName.C_Str(), &at, &looks)) << c.format;
    // z negated: the camera stands at +4 and looks down -z at the triangle.
    EXPECT_NEAR(at.z, 4, 1e-5) << c.format;
    EXPECT_NEAR(looks.z, -1, 1e-5) << c.format;
    EXPECT_NEAR(camera->mAspect, 4.0f / 3.0f, 1e-5) << c.format;
    const double got = std::string(c.format) == "glb2"
                           ? camera->mHorizontalFOV / camera->mAspect
                           : 2 * std::atan(std::tan(camera->mHorizontalFOV / 2) / camera->mAspect);
    EXPECT_NEAR(got, vertical, 1e-4) << c.format;

    ASSERT_EQ(back->mNumLights, 1u) << c.format;
    const aiLight* light = back->mLights[0];
    ASSERT_TRUE(NodePlace(*back, light->mName.C_Str(), &at, &looks)) << c.format;
    EXPECT_NEAR(at.z, 2, 1e-5) << c.format;
    const aiColor3D color = light->mColorDiffuse;
    EXPECT_NEAR(color.g / color.r, 0.5, 1e-5) << c.format;
    EXPECT_NEAR(color.b, 0, 1e-6) << c.format;
    EXPECT_NEAR(color.r, c.light_red, 1e-3) << c.format;
  }
}

TEST(Export, CameraClipDistancesHoldTheWholeScene) {
  // A camera 4,000 units away from a scene 2,000 units across: all of it
  // must lie between the near and far planes, in both formats with cameras.
  PovrayReadOptions placed;
  placed.place_objects = true;
  Reading r = ReadPovrayText(
      "triangle { <-1000,-1000,0>, <1000,-1000,0>, <0,1000,0> }\n"
      "camera { location <0, 0, -4000> look_at <0, 0, 0> }\n",
      placed);
  for (const char* format : {"glb2", "collada"}) {
    Assimp::Importer importer;
    ExportReport report;
    const aiScene* back = RoundTrip(*r.scene, format, &importer, &report);
    ASSERT_NE(back, nullptr) << format;
    ASSERT_EQ(back->mNumCameras, 1u) << format;
    const aiCamera* camera = back->mCameras[0];
    EXPECT_GT(camera->mClipPlaneNear, 0) << format;
    EXPECT_LT(camera->mClipPlaneNear, 4000 - 1000) << format;  // the nearest point
    EXPECT_GT(camera->mClipPlaneFar, std::hypot(4000, 1000 * std::sqrt(2))) << format;
  }
}

}  // namespace

namespace {

TEST(Export, GltfMaterialsCarryColourFinishAndBothSides) {
  Reading r = ReadPovrayText(
      "mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  texture { pigment { rgbt <1, 0.5, 0, 0.25> } finish { phong 1 metallic 0.5 } } }\n"
      "mesh { triangle { <0,0,1>, <1,0,1>, <0,1,1> } }\n");
  Assimp::Importer importer;
  ExportReport report;
  const aiScene* back = RoundTrip(*r.scene, "glb2", &importer, &report);
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->mNumMeshes, 2u);
  struct Expected {
    float rgba[4];
    float metallic, roughness;
  };
  // The first with the file's colour and finish; the second untextured: a
  // palette colour and POV-Ray's default finish, a matte dielectric.
  const Expected expected[2] = {{{1, 0.5f, 0, 0.75f}, 0.5f, 0.4671f}, {{-1, -1, -1, 1}, 0, 1}};
  for (unsigned m = 0; m < 2; ++m) {
    const aiMaterial* material = back->mMaterials[back->mMeshes[m]->mMaterialIndex];
    aiColor4D base;
    float metallic = -1, roughness = -1;
    int two_sided = 0;
    ASSERT_EQ(material->Get(AI_MATKEY_BASE_COLOR, base), aiReturn_SUCCESS) << m;
    ASSERT_EQ(material->Get(AI_MATKEY_METALLIC_FACTOR, metallic), aiReturn_SUCCESS) << m;
    ASSERT_EQ(material->Get(AI_MATKEY_ROUGHNESS_FACTOR, roughness), aiReturn_SUCCESS) << m;
    material->Get(AI_MATKEY_TWOSIDED, two_sided);
    EXPECT_EQ(two_sided, 1) << "POV-Ray draws both sides; mesh " << m;
    const Expected& e = expected[m];
    if (e.rgba[0] >= 0) {
      EXPECT_NEAR(base.r, e.rgba[0], 1e-5) << m;
      EXPECT_NEAR(base.g, e.rgba[1], 1e-5) << m;
      EXPECT_NEAR(base.b, e.rgba[2], 1e-5) << m;
    }
    EXPECT_NEAR(base.a, e.rgba[3], 1e-5) << m;
    EXPECT_NEAR(metallic, e.metallic, 1e-4) << m;
    EXPECT_NEAR(roughness, e.roughness, 1e-4) << m;
  }
}

}  // namespace
