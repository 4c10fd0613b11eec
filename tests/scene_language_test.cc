// Constructs of POV-Ray's scene language as POV-Ray 3.7.0.10 reads them:
// each value below was printed by POV-Ray's #debug for the same
// expression; the files around them are what real scenes do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/test_support.h"

namespace {

const char kMesh[] =
    "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }\n";

// The vector `expression` gives, through a mesh's first vertex.
std::string VectorOf(const std::string& expression) {
  const Reading r = ReadPovrayText(
      "#declare V = " + expression +
      ";\nmesh2 { vertex_vectors { 3, V, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }\n");
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  if (mesh == nullptr || !r.host_messages.empty()) return Joined(r.host_messages);
  const MVector3 v = mesh->Get_Vertex(0);
  char text[96];
  std::snprintf(text, sizeof text, "%.3f,%.3f,%.3f", v.x + 0.0, v.y + 0.0, v.z + 0.0);
  return text;
}

TEST(SceneLanguage, ExpressionsAsPovrayEvaluatesThem) {
  const struct {
    const char* expression;
    const char* expected;  // POV-Ray's vstr(3, ..., ",", 0, 3)
  } cases[] = {
      {"vaxis_rotate(x, y, 90)", "0.000,0.000,-1.000"},
      {"vaxis_rotate(z, x, 30)", "0.000,-0.500,0.866"},
      {"vrotate(x, <0, 90, 0>)", "0.000,0.000,-1.000"},
      // '&' and '|' are one level, grouped from the left.
      {"<(1 | 0 & 0), (0 & 1 | 1), 0>", "0.000,1.000,0.000"},
      // Strings compare.
      {"<(\"abc\" = \"abc\"), (\"abc\" != \"abd\"), (\"abc\" < \"abd\")>", "1.000,1.000,1.000"},
      {"<(\"b\" > \"abd\"), (\"a\" >= \"b\"), (\"a\" <= \"a\")>", "1.000,0.000,1.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(VectorOf(c.expression), c.expected) << c.expression;
}

// A macro's parameter given a bare identifier is that identifier: #local
// and #declare of the parameter assign the caller's (POV-Ray passes it by
// reference); an expression is passed by value. Values from POV-Ray.
TEST(SceneLanguage, MacroParametersNamingAnIdentifierAreReferences) {
  const char kMacros[] =
      "#macro L(P) #local P = P + 1; #end\n"
      "#macro D(P) #declare P = P + 10; #end\n"
      "#macro LL(P) L(P) #end\n"
      "#macro M2(P) #local P = P + 1; #local P = P + 1; #end\n"
      "#macro Shadow(P) #local Q = 5; L(Q) #declare A = Q; #end\n"
      "#macro Keep(P) #local R = P; #local R = R + 1; #end\n"
      "#macro LV(P) #local P = <7, 7, 7>; #end\n";
  const struct {
    const char* statements;
    const char* expected;  // A, then V
  } cases[] = {
      {"L(A)", "2.000,1.000,2.000"},    {"D(A)", "11.000,1.000,2.000"},
      {"LL(A)", "2.000,1.000,2.000"},   {"L(A+0)", "1.000,1.000,2.000"},
      {"M2(A)", "3.000,1.000,2.000"},   {"Shadow(1)", "6.000,1.000,2.000"},
      {"Keep(A)", "1.000,1.000,2.000"}, {"LV(V)", "1.000,7.000,7.000"},
  };
  for (const auto& c : cases) {
    const Reading r = ReadPovrayText(std::string(kMacros) +
                                     "#declare A = 1;\n#declare V = <1, 2, 3>;\n" + c.statements +
                                     "\nmesh2 { vertex_vectors { 3, <A, V.x, V.y>,"
                                     " <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }\n");
    MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
    ASSERT_NE(mesh, nullptr) << c.statements << ": " << Joined(r.host_messages);
    const MVector3 v = mesh->Get_Vertex(0);
    char text[96];
    std::snprintf(text, sizeof text, "%.3f,%.3f,%.3f", v.x + 0.0, v.y + 0.0, v.z + 0.0);
    EXPECT_EQ(std::string(text), c.expected) << c.statements;
    EXPECT_TRUE(r.host_messages.empty()) << c.statements << ": " << Joined(r.host_messages);
  }
}

// A condition that cannot be evaluated runs the #else, not both branches.
TEST(SceneLanguage, FailedConditionRunsOneBranch) {
  const Reading r = ReadPovrayText(
      "#if (Undefined_Switch) #declare A = 1; #else #declare A = 2; #end\n"
      "#while (Undefined_Too) #declare B = 1; #end\n"
      "mesh2 { vertex_vectors { 3, <A,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }\n");
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  ASSERT_NE(mesh, nullptr) << Joined(r.host_messages);
  EXPECT_EQ(mesh->Get_Vertex(0).x, 2);
  ASSERT_EQ(r.host_messages.size(), 2u) << Joined(r.host_messages);
  EXPECT_NE(r.host_messages[0].find("undefined identifier 'Undefined_Switch'; taken as false"),
            std::string::npos);
}

// Exporters name textures from libraries the user may not have: the mesh
// stays, with a neutral material of that name, and each name is reported
// once.
TEST(SceneLanguage, MissingTexturesKeepTheGeometry) {
  const PovrayReadOptions options = Placing();
  const Reading r = ReadPovrayText(
      "#declare Part = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  face_indices { 2, <0,1,2>, <0,2,1> }\n"
      "  texture_list { 2, texture { T_03___Default }, texture { lg_red finish { F_Shiny } } }\n"
      "  face_indices { 2, <0,1,2>, 0, <0,2,1>, 1 } }\n"
      "object { Part texture { T_03___Default } }\n"
      "object { Part translate x }\n",
      options);
  ASSERT_TRUE(r.scene);
  EXPECT_EQ(ObjectNames(*r.scene), (std::vector<std::string>{"Part", "Part_2"}))
      << Joined(r.host_messages);
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "Part")),
            (std::vector<std::string>{"T_03___Default", "mat_1"}))
      << "a texture changed by a finish is named as any changed texture";
  ASSERT_EQ(r.host_messages.size(), 3u) << Joined(r.host_messages);
  EXPECT_NE(r.host_messages[0].find(
                ":3:31: warning: undefined texture 'T_03___Default': neutral material"),
            std::string::npos)
      << r.host_messages[0];
  EXPECT_NE(r.host_messages[2].find("warning: undefined finish 'F_Shiny'"), std::string::npos);
}

// Each place a material name can stand: the triangle comes in and the
// missing name is the one warning.
TEST(SceneLanguage, EveryKindOfMissingNameIsOneWarning) {
  const struct {
    const char* modifiers;
    const char* warning;
  } cases[] = {
      {"texture { T_x }", "undefined texture 'T_x'"},
      {"pigment { P_x }", "undefined pigment 'P_x'"},
      {"material { M_x }", "undefined material 'M_x'"},
      {"pigment { color lg_blue }", "undefined identifier 'lg_blue'"},
      {"texture { pigment { color rgb C_x } }", "undefined identifier 'C_x'"},
      {"finish { F_x }", "undefined finish 'F_x'"},
      {"texture { pigment { rgb 1 } finish { F_x phong 1 } }", "undefined finish 'F_x'"},
      {"normal { N_x 0.5 scale 2 }", "undefined normal 'N_x'"},
      {"texture { pigment { rgb 1 } normal { N_x } }", "undefined normal 'N_x'"},
      {"interior { I_x }", "undefined interior 'I_x'"},
  };
  for (const auto& c : cases) {
    const std::string text =
        std::string("mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } ") + c.modifiers + " }\n";
    const Reading r = ReadPovrayText(text);
    ASSERT_TRUE(r.scene) << text;
    EXPECT_NE(FindMesh(*r.scene, "obj_1"), nullptr) << text;
    ASSERT_EQ(r.host_messages.size(), 1u) << text << Joined(r.host_messages);
    EXPECT_NE(r.host_messages[0].find(c.warning), std::string::npos) << text << r.host_messages[0];
  }
}

// The error limit stops the messages, not the reading.
TEST(SceneLanguage, ManyErrorsStillReadTheRest) {
  std::string text;
  for (int i = 0; i < 150; ++i) text += "#declare X = Undefined" + std::to_string(i) + ";\n";
  const Reading r = ReadPovrayText(text + kMesh);
  ASSERT_TRUE(r.scene);
  EXPECT_NE(FindMesh(*r.scene, "obj_1"), nullptr);
  EXPECT_EQ(r.host_messages.size(), 100u);
  EXPECT_NE(r.host_messages.back().find("(further errors are not shown)"), std::string::npos);
}

// A scene that places anything imports only what it places; a file that
// places nothing (an include of parts) gives its declared meshes.
TEST(SceneLanguage, OnlyWhatTheScenePlaces) {
  const PovrayReadOptions options = Placing();
  const std::string parts = std::string("#declare Part = ") + kMesh;
  const Reading shapes =
      ReadPovrayText(parts + "camera { location -5*z look_at 0 }\nsphere { 0, 1 }\n", options);
  ASSERT_TRUE(shapes.scene);
  EXPECT_EQ(ObjectNames(*shapes.scene), std::vector<std::string>{"Sphere"})
      << Joined(shapes.host_messages);
  const Reading include = ReadPovrayText(parts, options);
  ASSERT_TRUE(include.scene);
  EXPECT_EQ(ObjectNames(*include.scene), std::vector<std::string>{"Part"});
}

}  // namespace

namespace {

// Files a scene writes stay in memory: read back by #read and #include,
// seen by file_exists(), never on disk. #read takes one item per variable
// and closes the file (undefining its identifier) once nothing is left.
TEST(SceneLanguage, FilesTheSceneWritesAreReadBack) {
  const std::string written = TestDir() + "written_by_scene.txt";
  const Reading r = ReadPovrayText(
      "#fopen F \"" + written +
      "\" write\n"
      "#write (F, \"\\\"s1\\\",\", 5, \",\", <1,2,3>, \",\", -4.5, \"\\n\")\n"
      "#fclose F\n"
      "#fopen F \"" +
      written +
      "\" append\n"
      "#write (F \"7 \" \"8\")\n"
      "#fclose F\n"
      "#fopen F \"" +
      written +
      "\" read\n"
      "#read (F, S, A, V, B)\n"
      "#declare Sum = 0; #declare N = 0;\n"
      "#while (defined(F)) #read (F, X) #declare Sum = Sum + X; #declare N = N + 1; #end\n"
      "#fopen M \"part.inc\" write\n"
      "#write (M, \"mesh2 { vertex_vectors { 3, <\", A + strlen(S), \",0,0>, \", V, \"<0,\", "
      "Sum, \",\", N + B, \"> } face_indices { 1, <0,1,2> } }\")\n"
      "#fclose M\n"
      "#if (file_exists(\"part.inc\")) #include \"part.inc\" #end\n");
  ASSERT_TRUE(r.scene);
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr) << Joined(r.host_messages);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  EXPECT_EQ(mesh->Get_Vertex(0).x, 7);   // 5 + strlen("s1")
  EXPECT_EQ(mesh->Get_Vertex(1).y, 2);   // the vector read
  EXPECT_EQ(mesh->Get_Vertex(2).y, 15);  // 7 + 8, read until the file ended
  EXPECT_EQ(mesh->Get_Vertex(2).z, -2.5);
  EXPECT_NE(access(written.c_str(), F_OK), 0) << "nothing a scene writes reaches the disk";
}

}  // namespace

namespace {

// The box of an object made of meshes, where the object places them:
// POV-Ray prints -3,-2,0 and 2,4,6 for this union.
TEST(SceneLanguage, ExtentsOfObjectsMadeOfMeshes) {
  const PovrayReadOptions options = Placing();
  const Reading r = ReadPovrayText(
      "#declare M = mesh2 { vertex_vectors { 4, <0,0,0>, <1,0,0>, <0,2,0>, <0,0,3> }\n"
      "  face_indices { 2, <0,1,2>, <0,2,3> } }\n"
      "#declare U = union { object { M translate <1,2,3> } object { M scale -1 rotate 90*y } }\n"
      "#declare Low = min_extent(U); #declare High = max_extent(U);\n"
      "mesh2 { vertex_vectors { 3, Low, High, <0,1,0> } face_indices { 1, <0,1,2> } }\n",
      options);
  ASSERT_TRUE(r.scene);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr);
  const double expected[2][3] = {{-3, -2, 0}, {2, 4, 6}};
  for (int corner = 0; corner < 2; ++corner) {
    const MVector3 v = mesh->Get_Vertex(corner);
    EXPECT_NEAR(v.x, expected[corner][0], 1e-9) << corner;
    EXPECT_NEAR(v.y, expected[corner][1], 1e-9) << corner;
    EXPECT_NEAR(v.z, expected[corner][2], 1e-9) << corner;
  }
}

}  // namespace

namespace {

// Forms POV-Ray reads that real scenes use; each gives the mesh's first
// vertex x = 3 and no message (a warning for the stray '#').
TEST(SceneLanguage, FormsRealScenesUse) {
  const struct {
    const char* name;
    const char* text;  // declares X
    const char* warning;
  } cases[] = {
      // The macro's body declares locals, then gives the value and its ';'.
      {"macro_supplies_the_value",
       "#macro Pick(A) #local Q = A + 1; #if (Q > 0) Q; #else 0; #end #end\n"
       "#macro Outer() #local X = Pick(2) #declare Y = X; #end Outer() #declare X = Y;",
       nullptr},
      // A directive right after a string value runs once the value is declared.
      {"directive_after_string", "#declare S = concat(\"a\", \"bc\")\n#declare X = strlen(S);",
       nullptr},
      // Arguments without a comma between them.
      {"macro_arguments_without_comma", "#macro Sum(A, B) A + B #end #declare X = Sum(4 -1, 0);",
       nullptr},
      {"stray_hash", "#declare X = 3;\ncamera { look_at <0,2,0>#\n}",
       "a '#' without a directive is passed over"},
  };
  for (const auto& c : cases) {
    const Reading r = ReadPovrayText(std::string(c.text) +
                                     "\nmesh2 { vertex_vectors { 3, <X,0,0>, <1,0,0>, <0,1,0> } "
                                     "face_indices { 1, <0,1,2> } }\n");
    MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
    ASSERT_NE(mesh, nullptr) << c.name << "\n" << Joined(r.host_messages);
    EXPECT_EQ(mesh->Get_Vertex(0).x, 3) << c.name;
    if (c.warning == nullptr) {
      EXPECT_TRUE(r.host_messages.empty()) << c.name << "\n" << Joined(r.host_messages);
    } else {
      ASSERT_EQ(r.host_messages.size(), 1u) << c.name << "\n" << Joined(r.host_messages);
      EXPECT_NE(r.host_messages[0].find(c.warning), std::string::npos) << r.host_messages[0];
    }
  }
}

}  // namespace

namespace {

// POV-Ray 3.7 prints 4, 11, 8 and 11 turns for these loops, 1 and 0 for
// the array elements, reads "specular albedo", and makes a copy of a
// declared mesh with mesh { M scale 2 } (its box 2,2,0).
TEST(SceneLanguage, LoopsElementsAndMeshCopiesAsPovray) {
  const PovrayReadOptions options = Placing();
  const Reading r = ReadPovrayText(
      "#declare N1 = 0; #for (I, 0, 0.3, 0.1) #declare N1 = N1 + 1; #end\n"
      "#declare N2 = 0; #for (I, 0, 1, 0.1) #declare N2 = N2 + 1; #end\n"
      "#declare N3 = 0; #for (I, 0, 0.7, 0.1) #declare N3 = N3 + 1; #end\n"
      "#declare N4 = 0; #for (I, 1, 0, -0.1) #declare N4 = N4 + 1; #end\n"
      "#declare A = array[3]; #declare A[1] = 5;\n"
      "#declare F = finish { specular albedo 0.3 phong albedo 0.1 diffuse albedo 0.5 }\n"
      "#declare M = mesh { triangle { <0,0,0>, x, y } }\n"
      "#declare M2 = mesh { M scale 2 }\n"
      "mesh2 { vertex_vectors { 3, <N1, N2, N3>, <N4, 0, 0>, <defined(A[1]), defined(A[0]), 0> }\n"
      "  face_indices { 1, <0,1,2> } }\n"
      "object { M2 }\n",
      options);
  ASSERT_TRUE(r.scene);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  MMesh_P* values = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(values, nullptr) << Joined(r.host_messages);
  EXPECT_EQ(values->Get_Vertex(0).x, 4);
  EXPECT_EQ(values->Get_Vertex(0).y, 11);
  EXPECT_EQ(values->Get_Vertex(0).z, 8);
  EXPECT_EQ(values->Get_Vertex(1).x, 11);
  EXPECT_EQ(values->Get_Vertex(2).x, 1);
  EXPECT_EQ(values->Get_Vertex(2).y, 0);
  MMesh_P* copy = FindMesh(*r.scene, "M");
  ASSERT_NE(copy, nullptr) << Joined(r.host_messages);
  EXPECT_EQ(copy->Get_Vertex(1).x, 2);
  EXPECT_EQ(copy->Get_Vertex(2).y, 2);
}

}  // namespace

namespace {

// Loose triangles inside a declared object are part of it: each placement
// is a mesh of its own, moved by every object around it.
TEST(SceneLanguage, LooseTrianglesFollowTheirObjects) {
  const PovrayReadOptions options = Placing();
  const Reading r = ReadPovrayText(
      "#declare Post = union {\n"
      "  triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  smooth_triangle { <0,0,0>, z, <1,0,0>, z, <0,1,0>, z texture { pigment { rgb x } } }\n"
      "  translate 10*y }\n"
      "object { Post translate 5*x }\n"
      "union { object { Post } scale 2 }\n",
      options);
  ASSERT_TRUE(r.scene);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  ASSERT_EQ(ObjectNames(*r.scene).size(), 2u) << Joined(r.host_messages);
  MMesh_P* first = FindMesh(*r.scene, ObjectNames(*r.scene)[0].c_str());
  MMesh_P* second = FindMesh(*r.scene, ObjectNames(*r.scene)[1].c_str());
  ASSERT_EQ(first->Get_Face_Count(), 2);
  EXPECT_EQ(first->Get_Vertex(1).x, 6);  // <1,0,0> + 10y + 5x
  EXPECT_EQ(first->Get_Vertex(1).y, 10);
  EXPECT_EQ(second->Get_Vertex(1).x, 2);  // (<1,0,0> + 10y) * 2
  EXPECT_EQ(second->Get_Vertex(1).y, 20);
}

}  // namespace

namespace {

// POV-Ray gives up a loose smooth_triangle whose corner normals lie in its
// plane ("Degenerate triangle. Please remove." for the first line only).
TEST(SceneLanguage, SmoothTriangleWithNormalsInItsPlaneIsDropped) {
  const Reading r = ReadPovrayText(
      "smooth_triangle { <0,0,0>, x, <1,0,0>, y, <0,1,0>, x }\n"
      "smooth_triangle { <0,0,0>, z, <1,0,0>, z, <0,1,0>, z }\n");
  ASSERT_TRUE(r.scene);
  ASSERT_EQ(r.host_messages.size(), 1u) << Joined(r.host_messages);
  EXPECT_NE(r.host_messages[0].find(":1:1: warning: degenerate smooth_triangle (its normals lie "
                                    "in its plane)"),
            std::string::npos)
      << r.host_messages[0];
  MMesh_P* mesh = FindMesh(*r.scene, "obj_0");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Face_Count(), 1);
}

}  // namespace

namespace {

// Functions of floats, compiled at their declaration: POV-Ray 3.7 prints
// -1, 12 and 11.5 for these calls. A function this reader does not
// compile (functions.inc's noise, internal(76)) is read, and a call of it
// gives 0 with one warning.
TEST(SceneLanguage, FunctionsGiveTheirValues) {
  const Reading r = ReadPovrayText(
      "#declare A = 2;\n"
      "#declare F = function { x*x + pow(y,2) - A*z }\n"
      "#declare A = 100;  // F keeps the value A had\n"
      "#declare G = function(a, b) { select(a - b, -1, 0, 1) + F(a, b, 1) }\n"
      "#declare H = function { max(sin(x), cos(y), 0.25) + (x > 1) * 10 + mod(7, 3) - abs(-x) / 4 "
      "}\n"
      "#declare P = function { internal(62) }\n"
      "#declare V = <F(1, 2, 3), G(3, 2), H(2, 0, 0)>;\n"
      "#declare W = P(1, 2, 3) + P(0, 0, 0);\n"
      "mesh2 { vertex_vectors { 3, V, <W,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }\n");
  ASSERT_TRUE(r.scene);
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr) << Joined(r.host_messages);
  EXPECT_EQ(mesh->Get_Vertex(0).x, -1);
  EXPECT_EQ(mesh->Get_Vertex(0).y, 12);
  EXPECT_EQ(mesh->Get_Vertex(0).z, 11.5);
  EXPECT_EQ(mesh->Get_Vertex(1).x, 0);
  ASSERT_EQ(r.host_messages.size(), 1u) << Joined(r.host_messages);
  EXPECT_NE(r.host_messages[0].find("P() and the others give 0 here"), std::string::npos)
      << r.host_messages[0];
}

}  // namespace

namespace {

// POV-Ray reads a mesh2 whose faces leave out their texture index after a
// texture_list, alone or mixed with faces that give one.
TEST(SceneLanguage, TextureListFacesWithoutIndex) {
  const Reading r = ReadPovrayText(
      "#declare Next = <1,3,2>;\n"
      "mesh2 { vertex_vectors { 4, <0,0,0>, <1,0,0>, <0,1,0>, <1,1,0> }\n"
      "  texture_list { 2, texture { pigment { rgb x } }, texture { pigment { rgb y } } }\n"
      "  face_indices { 3, <0,1,2>, Next <0,1,3>, 1 } }\n");
  ASSERT_TRUE(r.scene);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Get_Face_Count(), 3);
}

}  // namespace

namespace {

// Splines as POV-Ray 3.7 evaluates them: its #debug prints 0.74, 1.568192,
// 1.209698, 1.107621, 2, 1.81, 0.15625, 3.333333 and 4.041667 for these
// calls.
TEST(SceneLanguage, SplinesAsPovrayEvaluatesThem) {
  const Reading r = ReadPovrayText(
      "#declare P = array[5] {<0,0,0>, <1,2,0>, <3,3,1>, <4,1,0>, <6,0,2>}\n"
      "#declare T = array[5] {0, 1, 2.5, 3, 5}\n"
      "#declare L = spline { linear_spline #for (i,0,4) T[i], P[i] #end }\n"
      "#declare C = spline { cubic_spline #for (i,0,4) T[i], P[i] #end }\n"
      "#declare N = spline { natural_spline #for (i,0,4) T[i], P[i] #end }\n"
      "#declare C2 = spline { C }\n"
      "#declare F = spline { 0, 1 1, 3 }\n"
      "#declare V = <L(0.74).x, C2(1.48).x, N(2.22).z>;\n"
      "#declare W = <C(2.96).y, F(0.5).x, L(4.81).z>;\n"
      "#declare Q = spline { quadratic_spline 0, 0 1, 1 2, 3 4, 2 5, 7 }\n"
      "#declare U = <Q(0.25).x, Q(3).x, Q(4.5).x>;\n"
      "mesh2 { vertex_vectors { 3, V, W, U } face_indices { 1, <0,1,2> } }\n");
  ASSERT_TRUE(r.scene);
  EXPECT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
  ASSERT_NE(mesh, nullptr) << Joined(r.host_messages);
  const double expected[3][3] = {
      {0.74, 1.568192, 1.209698}, {1.107621, 2, 1.81}, {0.15625, 3.333333, 4.041667}};
  for (int i = 0; i < 3; ++i) {
    const MVector3 v = mesh->Get_Vertex(i);
    EXPECT_NEAR(v.x, expected[i][0], 1e-6) << i;
    EXPECT_NEAR(v.y, expected[i][1], 1e-6) << i;
    EXPECT_NEAR(v.z, expected[i][2], 1e-6) << i;
  }
}

// vturbulence() is noise of POV-Ray's kind, not its numbers: over the same
// 1,000 points POV-Ray's vectors have a mean length of 0.4683.
TEST(SceneLanguage, VTurbulenceIsNoiseOfPovraysKind) {
  const Reading r = ReadPovrayText(
      "#declare A = 0; #declare B = 0;\n"
      "#for (i, 0, 999)\n"
      "  #declare V = vturbulence(2, 0.5, 6, <i*0.137, i*0.071, i*0.013>);\n"
      "  #declare A = A + vlength(V);\n"
      "  #declare B = B + vlength(V - vturbulence(2, 0.5, 6, <i*0.137, i*0.071, i*0.013>));\n"
      "#end\n"
      "mesh2 { vertex_vectors { 3, <A/1000, B, 1>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } "
      "}\n");
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  ASSERT_NE(mesh, nullptr) << Joined(r.host_messages);
  EXPECT_NEAR(mesh->Get_Vertex(0).x, 0.4683, 0.12);
  EXPECT_EQ(mesh->Get_Vertex(0).y, 0) << "the same point gives the same vector";
}

}  // namespace
