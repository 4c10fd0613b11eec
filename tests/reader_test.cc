#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "korvan/memory_stats.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

// The reader's closing lines for a clean reading of `lines` lines with the
// given post-processing lines.
std::string Tail(int lines, const std::string& post) {
  return "\nMesh Post Processing:\n" + std::to_string(lines) + " lines parsed\n" + post;
}

const char kTri[] = "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n";

TEST(ReadSceneFile, UnreadablePathLogsOnlyTheNotFoundLine) {
  for (const std::string& path : {TestDir() + "no-such-file.pov", TestDir()}) {
    Reading r = ReadScenePath(path);
    EXPECT_EQ(r.log, "File " + path + " not found\n");
    EXPECT_EQ(r.scene->Get_Objects()->Get_Count(), 0) << path;
    EXPECT_EQ(r.scene->Get_Materials()->Get_Count(), 0) << path;
    EXPECT_TRUE(r.progress.empty()) << path;
    EXPECT_TRUE(r.messages.empty()) << path;
  }
}

TEST(ReadSceneFile, EmptyFile) {
  Reading r = ReadSceneText("");
  EXPECT_EQ(r.log, Tail(0, "1 mesh objects detected\nPost Processing:\nobj_0\n"));
  EXPECT_EQ(ObjectNames(*r.scene), Names{});
  EXPECT_EQ(MaterialNames(*r.scene), Names{"mat_0"});
  EXPECT_EQ(r.progress, (std::vector<std::pair<long, long>>{{0, 0}, {0, 0}}));
  EXPECT_EQ(r.messages, Names{"Parsing ..."});
}

TEST(ReadSceneFile, ProgressGoesOutOncePerStep) {
  // 1000 bytes: step 10, the first report in the loop above position 9.
  std::string text;
  while (text.size() < 1000) text += "w ";
  text.resize(1000);
  Reading r = ReadSceneText(text);
  ASSERT_GE(r.progress.size(), 3u);
  EXPECT_EQ(r.progress[0], std::make_pair(0L, 1000L));
  EXPECT_EQ(r.progress[1], std::make_pair(10L, 1000L));
  EXPECT_EQ(r.progress[2], std::make_pair(20L, 1000L));
  // A token every two bytes: each threshold up to 989 is passed once; the
  // end of the input comes before a check at 1000.
  EXPECT_EQ(r.progress.size(), 100u);
  EXPECT_EQ(r.progress.back(), std::make_pair(990L, 1000L));
}

TEST(ReadSceneFile, SkipsWhatItDoesNotRead) {
  Reading r = ReadSceneText(
      "#include \"colors.inc\"\ncamera { location <0,1,-3> }\n} } { polygon uv_mapping 1.5 (\n"
      "union { triangle { <0,0,0>, <1,0,0>, <0,1,0> } sphere { <0,0,0>, 1 } }\n");
  MMesh_P* mesh = FindMesh(*r.scene, "obj_0");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Face_Count(), 1);
  EXPECT_EQ(r.log,
            "<0.000000,0.000000,0.000000>\n<1.000000,0.000000,0.000000>\n"
            "<0.000000,1.000000,0.000000>\n" +
                Tail(4, "1 mesh objects detected\nPost Processing:\nobj_0\n"));
}

TEST(ReadTriangle, AddsOneFaceWithItsNormalAtEachCorner) {
  Reading r = ReadSceneText("triangle { <0,0,0>, <1,0,0>, <0,1,0> texture { pigment { rgb 1 } } }");
  MMesh_P* mesh = FindMesh(*r.scene, "obj_0");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Face_Count(), 1);
  EXPECT_EQ(mesh->NormalsUsed(), 1);
  ASSERT_EQ(mesh->Get_NVertex_Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(mesh->Get_NVertex(i).z, 1.0);
  EXPECT_EQ(mesh->Get_Face_MatId(0), 0);
  EXPECT_EQ(MeshMaterialNames(*mesh), Names{"mat_0"});
}

TEST(ReadSmoothTriangle, TakesTheNormalsFromTheFile) {
  Reading r =
      ReadSceneText("smooth_triangle { <0,0,0>,<0,0,1>, <1,0,0>,<0,0,2>, <0,1,0>,<0,0,3> }");
  MMesh_P* mesh = FindMesh(*r.scene, "obj_0");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Vertex(1).x, 1.0);
  EXPECT_EQ(mesh->Get_Vertex(2).y, 1.0);
  EXPECT_EQ(mesh->Get_NVertex(0).z, 1.0);
  EXPECT_EQ(mesh->Get_NVertex(1).z, 2.0);  // not normalised
  EXPECT_EQ(mesh->Get_NVertex(2).z, 3.0);
  EXPECT_EQ(std::count(r.log.begin(), r.log.end(), '<'), 6);
}

struct GrammarCase {
  const char* text;
  int error_line;  // 0: no failure
  int faces;       // faces of obj_0 (checked when it survives)
};

TEST(ReadTriangle, Grammar) {
  const GrammarCase cases[] = {
      {"triangle { <0,0,0> <1,0,0> <0,1,0> }", 1, 0},      // fails at the second "<"
      {"triangle { <x, 1, 2>, <1,0,0>, <0,1,0> }", 0, 1},  // a word reads as 0
      {"triangle { < - 1, 2, 3>, <1,0,0>, <0,1,0> }", 1, 0},
      {"triangle <0,0,0>, <1,0,0>, <0,1,0>", 1, 0},    // no "{"
      {"triangle { <0,0,0>, <1,0,0>, <0,1,0>", 0, 1},  // "}" missing at the end
      {"triangle { <0,0,0>, <1,0,0>,\n<0,1", 3, 0},    // the end inside a vector
      {"triangle { <0,0,0>, <1,0,0>, <0,1,0> triangle { <0,0,0>, <1,0,0>, <0,1,0> } }", 0,
       1},  // in the passed-over part
      {"smooth_triangle { <0,0,0>,<0,0,1>, <1,0,0>,<0,0,1>, <0,1,0> }", 1, 0},
      {"triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n"
       "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n"
       "triangle { <0,0,0>, <1,0,0> <0,1,0> }\n"
       "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n",
       3, 2},  // the third of four fails
  };
  for (const auto& c : cases) {
    Reading r = ReadSceneText(c.text);
    const std::string outcome = c.error_line > 0
                                    ? "###Error in line " + std::to_string(c.error_line) + " \n"
                                    : " lines parsed\n";
    EXPECT_NE(r.log.find(outcome), std::string::npos) << "input: " << c.text << "\nlog:\n" << r.log;
    MMesh_P* mesh = FindMesh(*r.scene, "obj_0");
    EXPECT_EQ(mesh != nullptr ? mesh->Get_Face_Count() : 0, c.faces) << "input: " << c.text;
  }
}

TEST(ReadMeshBlock, OneMeshWithItsOwnMaterial) {
  Reading r = ReadSceneText(
      "mesh { triangle { <0,0,0>,<1,0,0>,<0,1,0> } triangle { <1,0,0>,<1,1,0>,<0,1,0> } "
      "texture { T } }\nmesh { smooth_triangle { <0,0,0>,<0,0,1>, <1,0,0>,<0,0,1>, "
      "<0,1,0>,<0,0,1> } mesh2 { } }\n");
  EXPECT_EQ(ObjectNames(*r.scene), (Names{"obj_1", "obj_2"}));
  EXPECT_EQ(MaterialNames(*r.scene), (Names{"mat_0", "mat_1", "mat_2"}));
  MMesh_P* first = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Get_Face_Count(), 2);
  EXPECT_EQ(MeshMaterialNames(*first), Names{"mat_1"});
  EXPECT_EQ(FindMesh(*r.scene, "obj_2")->Get_Face_Count(), 1);
  EXPECT_EQ(r.log.find("\nmesh2:\n<0.000000,0.000000,0.000000>\n"), 0u);
}

TEST(ReadMeshBlock, MissingBraceFailsAfterTheMeshIsMade) {
  Reading r = ReadSceneText("mesh triangle { <0,0,0>,<1,0,0>,<0,1,0> }");
  EXPECT_EQ(r.log,
            "\nmesh2:\n\nMesh Post Processing:\n###Error in line 1 \n"
            "2 mesh objects detected\nPost Processing:\nobj_0\nobj_1\n");
  EXPECT_EQ(ObjectNames(*r.scene), Names{});
  EXPECT_EQ(MaterialNames(*r.scene), (Names{"mat_0", "mat_1"}));
}

TEST(ReadMeshBlock, EndOfInputInsideTheBlockIsNoFailure) {
  Reading r = ReadSceneText("mesh { triangle { <0,0,0>,<1,0,0>,<0,1,0> } texture {");
  EXPECT_NE(r.log.find("1 lines parsed\n"), std::string::npos);
  EXPECT_EQ(ObjectNames(*r.scene), Names{"obj_1"});
}

TEST(ReadMesh2Block, AllSectionsWithTheirLogLines) {
  Reading r = ReadSceneText(
      "mesh2 {\n"
      "  vertex_vectors { 4, <0,0,0>, <1,0,0>, <1,1,0>, <0,1,0> }\n"
      "  normal_vectors { 1, <0,0,-1> }\n"
      "  uv_vectors { 2, <0.5, 1>, <1, 0> }\n"
      "  texture_list { 2, texture { T1 } texture { pigment { rgb <1,0,0> } } }\n"
      "  face_indices { 2, <0,1,2>, 1, <2,3,0> }\n"
      "  normal_indices { 2, <0,0,0>, <0,0,0> }\n"
      "  uv_indices { 2, <0,1,1>, <1,0,0> }\n"
      "  uv_mapping pigment { P }\n"
      "}\n");
  EXPECT_EQ(r.log,
            "\nmesh2:\nvertex_vectors:\n-->4 vertices\nnormal_vectors:\n-->1 nvertices\n"
            "uv_vectors:\ntexture_list:\n-->2 texture(s)\nface_indices:\n-->2 faces\n"
            "normal_indices:\n-->2 normal faces\nuv_indices:\n-->2 uv faces\n" +
                Tail(10, "2 mesh objects detected\nPost Processing:\nobj_0\nobj_1\n"));
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Vertex_Count(), 4);
  EXPECT_EQ(mesh->Get_UVVertex(0).x, 0.5);
  EXPECT_EQ(mesh->Get_UVVertex(0).y, 1.0);
  EXPECT_EQ(mesh->Get_UVVertex(0).z, 0.0);
  EXPECT_EQ(mesh->Get_Face_MatId(0), 1);
  EXPECT_EQ(mesh->Get_Face_MatId(1), 0);
  EXPECT_EQ(mesh->Faces().Corners(1)[0], 2);
  EXPECT_EQ(mesh->Get_NFace_Count(), 2);
  EXPECT_EQ(mesh->Get_UVFace_Count(), 2);
  EXPECT_EQ(MeshMaterialNames(*mesh), (Names{"mat_1", "mat_2"}));
}

struct Mesh2Case {
  const char* body;  // inside "mesh2 { ... }"
  bool fails;
  int vertices;
  std::vector<int> mat_ids;  // material id of each face
};

TEST(ReadMesh2Block, Sections) {
  const Mesh2Case cases[] = {
      {"vertex_vectors { 0 }", true, 0, {}},
      {"vertex_vectors { 0, }", false, 0, {}},
      {"vertex_vectors { 1, <1,2,3>, <4,5,6> }", false, 1, {}},  // rest passed over
      {"vertex_vectors { 3, <1,2,3>, <4,5,6> }", true, 2, {}},   // fails at the "}"
      {"vertex_vectors { 2147483647, <1,2,3> }", true, 1, {}},
      {"vertex_vectors { -5, <1,2,3> }", false, 0, {}},
      {"vertex_vectors { 2, <1,2,3> <4,5,6> }", true, 0, {}},
      {"vertex_vectors { 1, <a, 1e-3, 1+1> }", false, 1, {}},
      {"face_indices { 2, <0,1,2>, 1, <2,3,0> }", false, 0, {1, 0}},
      {"face_indices { 1, <0,1,2>, 3 }", false, 0, {3}},
      {"face_indices { 2, <0,1,2>, <2,3,0> }", false, 0, {0, 0}},
      {"face_indices { 2, <0,1,2>, 1, 2, 3, <2,3,0> }", true, 0, {1}},
      {"face_indices { 1, <0,1,2>, 1, 2, 3 }", false, 0, {1}},
      {"face_indices { 1, <0,1,2>, } vertex_vectors { 1, <1,2,3> }", false, 0, {0}},
      {"face_indices { 2, <0,1,2> <2,3,0> }", true, 0, {}},
      {"face_indices { 1, <-1,2147483647,99999999999> }", false, 0, {0}},
      {"face_indices { 1, <0,1> }", true, 0, {}},
      {"texture_list { 1 texture { T } }", true, 0, {}},
      {"vertex_vectors 1, <1,2,3>", true, 0, {}},
      {"pigment { vertex_vectors { 1, <1,2,3> } }", false, 1, {}},  // still a section
  };
  for (const auto& c : cases) {
    Reading r = ReadSceneText(std::string("mesh2 { ") + c.body + " }\n");
    const bool failed = r.log.find("###Error in line") != std::string::npos;
    EXPECT_EQ(failed, c.fails) << "body: " << c.body << "\nlog:\n" << r.log;
    // Post-processing keeps the mesh only when it has faces.
    MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
    if (c.mat_ids.empty()) {
      EXPECT_EQ(mesh, nullptr) << "body: " << c.body;
      continue;
    }
    ASSERT_NE(mesh, nullptr) << "body: " << c.body;
    EXPECT_EQ(mesh->Get_Vertex_Count(), c.vertices) << "body: " << c.body;
    ASSERT_EQ(mesh->Get_Face_Count(), static_cast<int64_t>(c.mat_ids.size())) << "body: " << c.body;
    for (size_t f = 0; f < c.mat_ids.size(); ++f) {
      EXPECT_EQ(mesh->Get_Face_MatId(f), c.mat_ids[f]) << "body: " << c.body << " face " << f;
    }
  }
}

TEST(ReadMesh2Block, CountLineShowsTheDeclaredCount) {
  Reading r = ReadSceneText("mesh2 { vertex_vectors { 2147483647, <1,2,3> } }");
  EXPECT_EQ(r.log.find("\nmesh2:\nvertex_vectors:\n-->2147483647 vertices\n\n"
                       "Mesh Post Processing:\n###Error in line 1 \n"),
            0u)
      << r.log;
}

TEST(ReadMesh2Block, TextureListsNumberMaterialsAcrossMeshes) {
  Reading r = ReadSceneText(
      "mesh2 { vertex_vectors { 3, <0,0,0>,<1,0,0>,<0,1,0> } texture_list { 2, texture{A} "
      "texture{B} } face_indices { 2, <0,1,2>, 1, <0,1,2> } }\n"
      "mesh2 { vertex_vectors { 3, <0,0,0>,<1,0,0>,<0,1,0> } texture_list { 3, texture{A} "
      "texture{B} texture{C} } face_indices { 1, <0,1,2>, 2 } }\n");
  EXPECT_EQ(ObjectNames(*r.scene), (Names{"obj_1", "obj_2"}));
  EXPECT_EQ(MaterialNames(*r.scene), (Names{"mat_0", "mat_1", "mat_2", "mat_3", "mat_4", "mat_5"}));
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "obj_1")), (Names{"mat_1", "mat_2"}));
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "obj_2")), (Names{"mat_3", "mat_4", "mat_5"}));
  EXPECT_EQ(FindMesh(*r.scene, "obj_2")->Get_Face_MatId(0), 2);
}

TEST(ReadMesh2Block, TextureCountIsBoundedByTheFileSize) {
  const std::string text = "mesh2 { texture_list { 2000000000, } }";
  Reading r = ReadSceneText(text);
  EXPECT_EQ(r.scene->Get_Materials()->Get_Count(), 1 + static_cast<int>(text.size()));
}

TEST(PostProcess, MeshWithoutTextureGetsOne) {
  Reading r = ReadSceneText(
      "mesh2 { vertex_vectors { 3, <0,0,0>,<1,0,0>,<0,1,0> } face_indices { 1, <0,1,2> } }");
  EXPECT_EQ(r.log, "\nmesh2:\nvertex_vectors:\n-->3 vertices\nface_indices:\n-->1 faces\n" +
                       Tail(1,
                            "2 mesh objects detected\nPost Processing:\nobj_0\nobj_1\n"
                            "Missing texture definition\ntexture mat_1 added\n"));
  EXPECT_EQ(ObjectNames(*r.scene), Names{"obj_1"});
  EXPECT_EQ(MaterialNames(*r.scene), (Names{"mat_0", "mat_1"}));
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "obj_1")), Names{"mat_1"});
}

struct ChannelCase {
  const char* sections;
  std::string post_lines;  // what post-processing writes after "obj_1\n"
  int normals_used, uv_used;
};

TEST(PostProcess, NormalAndUVChecks) {
  const std::string n = "Error in processing normals\nNormals will be removed\n";
  const std::string uv = "Error in processing uv\nuv will be removed\n";
  const ChannelCase cases[] = {
      {"", "", 0, 0},
      // No normal faces: the first test holds, and the second, made on the
      // counts after the removal, holds too.
      {"normal_vectors { 1, <0,0,1> }", n + n, 0, 0},
      {"normal_vectors { 1, <0,0,1> } normal_indices { 2, <0,0,0>, <0,0,0> }", "", 1, 0},
      {"normal_vectors { 1, <0,0,1> } normal_indices { 1, <0,0,0> }", n, 0, 0},
      {"normal_indices { 2, <0,0,0>, <0,0,0> }", n + n, 0, 0},
      {"uv_vectors { 1, <0,0> } uv_indices { 2, <0,0,0>, <0,0,0> }", "", 0, 1},
      {"uv_vectors { 1, <0,0> } uv_indices { 3, <0,0,0>, <0,0,0>, <0,0,0> }", uv, 0, 0},
      {"uv_vectors { 1, <0,0> }", uv + uv, 0, 0},
      {"normal_vectors { 1, <0,0,1> } uv_indices { 2, <0,0,0>, <0,0,0> }", n + n + uv + uv, 0, 0},
  };
  for (const auto& c : cases) {
    Reading r =
        ReadSceneText(std::string("mesh2 { vertex_vectors { 1, <0,0,0> } texture_list { 1, } "
                                  "face_indices { 2, <0,0,0>, <0,0,0> } ") +
                      c.sections + " }");
    EXPECT_EQ(r.log.substr(r.log.find("obj_1\n")), "obj_1\n" + c.post_lines)
        << "sections: " << c.sections;
    MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->NormalsUsed(), c.normals_used) << "sections: " << c.sections;
    EXPECT_EQ(mesh->UVUsed(), c.uv_used) << "sections: " << c.sections;
  }
}

TEST(PostProcess, NeighbouringEmptyMeshesAreBothRemoved) {
  Reading r =
      ReadSceneText("mesh { } mesh2 { } mesh { triangle { <0,0,0>,<1,0,0>,<0,1,0> } } mesh { }");
  EXPECT_EQ(r.log.substr(r.log.find("5 mesh objects")),
            "5 mesh objects detected\nPost Processing:\nobj_0\nobj_1\nobj_2\nobj_3\nobj_4\n");
  EXPECT_EQ(ObjectNames(*r.scene), Names{"obj_3"});
}

TEST(ReadSceneFile, SceneFreesEverythingTheReadingMade) {
  const int64_t before = korvan_live_blocks();
  {
    Reading r = ReadSceneText(
        "triangle { <0,0,0>,<1,0,0>,<0,1,0> }\nmesh { triangle { <0,0,0>,<1,0,0>,<0,1,0> } }\n"
        "mesh2 { vertex_vectors { 1, <0,0,0> } texture_list { 3, } "
        "face_indices { 1, <0,0,0> } uv_indices { 1, <0,0,0> } }\nmesh2 { ");
    EXPECT_GT(korvan_live_blocks(), before);
  }
  EXPECT_EQ(korvan_live_blocks(), before);
}

}  // namespace
