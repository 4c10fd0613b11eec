// Writing scenes through Assimp, checked by reading every file back with
// Assimp's own importer (a reader that is not ours).
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
                         ExportReport* report, bool keep_handedness = false) {
  const ExportFormat* f = FindFormatById(format);
  EXPECT_NE(f, nullptr) << format;
  if (f == nullptr) return nullptr;
  const std::string path = TestDir() + "out_" + format + "." + f->extension;
  ExportOptions options;
  options.keep_handedness = keep_handedness;
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
  AiScenePtr direct = ToAssimpScene(*r.scene, ExportOptions(), &converted);
  const Counts expected = CountScene(*direct);
  ASSERT_EQ(expected.meshes, 2u);
  ASSERT_EQ(expected.faces, 12u);
  const FormatCase cases[] = {
      {"glb2", 2, expected.vertices, true, true},
      {"gltf2", 2, expected.vertices, true, true},
      {"obj", 2, 0, true, true},
      {"plyb", 1, expected.vertices, true, true},
      {"stlb", 1, 0, true, false},
      {"collada", 2, 0, true, true},
      {"fbxa", 2, 0, true, true},
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

TEST(Export, HandednessIsConvertedUnlessKept) {
  Reading r = ReadSceneText("triangle { <0,0,1>, <1,0,1>, <0,1,1> }");
  for (bool keep : {false, true}) {
    Assimp::Importer importer;
    ExportReport report;
    const aiScene* back = RoundTrip(*r.scene, "glb2", &importer, &report, keep);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->mNumMeshes, 1u);
    const aiMesh* mesh = back->mMeshes[0];
    ASSERT_EQ(mesh->mNumFaces, 1u);
    const unsigned* f = mesh->mFaces[0].mIndices;
    const aiVector3D a = mesh->mVertices[f[0]], b = mesh->mVertices[f[1]],
                     c = mesh->mVertices[f[2]];
    const aiVector3D cross = (b - a) ^ (c - a);
    // Read as written the triangle faces +z; converted, z is negated and
    // the winding reversed, so it faces -z (the same shape, right-handed).
    EXPECT_FLOAT_EQ(a.z, keep ? 1.0f : -1.0f) << "keep " << keep;
    EXPECT_GT(keep ? cross.z : -cross.z, 0.0f) << "keep " << keep;
    EXPECT_FLOAT_EQ(mesh->mNormals[0].z, keep ? 1.0f : -1.0f) << "keep " << keep;
  }
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
    EXPECT_EQ(CountScene(*back).faces, 2u) << format;
    ASSERT_EQ(report.meshes.size(), 2u) << format;
    EXPECT_EQ(report.meshes[0].name, "obj_1");
    EXPECT_EQ(report.meshes[0].faces_left_out, 4);
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
  for (const char* format : {"glb2", "obj", "plyb", "stlb", "collada"}) {
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
  const Case cases[] = {{"glb", "glb2"}, {"GLTF", "gltf2"}, {"obj", "obj"},
                        {"ply", "plyb"}, {"stl", "stlb"},   {"dae", "collada"},
                        {"fbx", "fbxa"}, {"json", "json"},  {"x3d", "x3d"}};
  for (const auto& c : cases) {
    const ExportFormat* f = FindFormatForExtension(c.extension);
    ASSERT_NE(f, nullptr) << c.extension;
    EXPECT_EQ(f->id, c.id) << c.extension;
  }
  EXPECT_EQ(FindFormatForExtension("docx"), nullptr);
  ASSERT_NE(FindFormatById("fbx"), nullptr);
  EXPECT_EQ(FindFormatById("FBX")->extension, "fbx");
  EXPECT_EQ(FindFormatById("glb"), FindFormatById("glb"));
  EXPECT_EQ(FindFormatById("nonsense"), nullptr);
}

}  // namespace
