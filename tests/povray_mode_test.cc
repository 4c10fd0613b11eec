// The POV-Ray-syntax mode on small scenes: what it names, what it reports
// for input beyond it or broken, and that every bound holds. (The corpus
// test holds its geometry against POV-Ray.)
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(PovrayMode, NamesMeshesAndMaterialsAsDeclared) {
  Reading r = ReadPovrayText(
      "#declare T_Wood = texture { pigment { rgb <0.6, 0.4, 0.2> } }\n"
      "#declare Wheat_Stems = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  face_indices { 1, <0,1,2> } texture { T_Wood } }\n"
      "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> }\n"
      "  texture { pigment { rgb 1 } } }\n"
      "#declare Wheat_Stems = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }\n"
      "#declare obj_2 = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }\n"
      "mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }\n");
  EXPECT_EQ(ObjectNames(*r.scene),
            (std::vector<std::string>{"Wheat_Stems", "obj_1", "Wheat_Stems_2", "obj_2", "obj_3"}))
      << r.log;
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "Wheat_Stems")),
            std::vector<std::string>{"T_Wood"});
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "obj_1")), std::vector<std::string>{"mat_1"});
  EXPECT_TRUE(Contains(r.log, "\nmesh2:\nname Wheat_Stems\nvertex_vectors:\n-->3 vertices\n"))
      << r.log;
  EXPECT_TRUE(Contains(r.log, "\nMesh Post Processing:\n8 lines parsed\n")) << r.log;
}

TEST(PovrayMode, PlacedObjectsAreImportedWhereAndAsTheFilePlacesThem) {
  const std::string parts =
      "#declare T_Red = texture { pigment { rgb x } }\n"
      "#declare T_Own = texture { pigment { rgb y } }\n"
      "#declare Part = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  face_indices { 1, <0,1,2> } }\n"
      "#declare Painted = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } texture { T_Own } }\n";
  PovrayReadOptions options;
  options.place_objects = true;
  Reading r = ReadPovrayText(parts +
                                 "union { object { Part translate 5*x texture { T_Red } }\n"
                                 "  object { Painted texture { T_Red } } }\n"
                                 "object { Part scale 2 }\n",
                             options);
  EXPECT_EQ(ObjectNames(*r.scene), (std::vector<std::string>{"Part", "Painted", "Part_2"}))
      << r.log;
  MMesh_P* moved = FindMesh(*r.scene, "Part");
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(moved->Get_Vertex(1).x, 6) << "translated by the object";
  EXPECT_EQ(MeshMaterialNames(*moved), std::vector<std::string>{"T_Red"})
      << "the object's texture for a mesh without one";
  EXPECT_EQ(MeshMaterialNames(*FindMesh(*r.scene, "Painted")), std::vector<std::string>{"T_Own"})
      << "a mesh's own texture stays";
  EXPECT_EQ(FindMesh(*r.scene, "Part_2")->Get_Vertex(2).y, 2) << "scaled by its own object";

  // A file that only declares (an include of parts) gives each mesh once.
  Reading declared = ReadPovrayText(
      parts + "#declare Both = union { object { Part } object { Part } }\n", options);
  EXPECT_EQ(ObjectNames(*declared.scene), (std::vector<std::string>{"Part", "Painted"}))
      << declared.log;
}

// The colour each material gets, from the forms scene files use.
TEST(PovrayMode, MaterialsTakeTheTexturesColourAndFinish) {
  // Colours: the texture's plain colour (patterns: neutral grey). Finishes:
  // the highlight's Blinn-Phong exponent n (phong_size, or 1/roughness of
  // specular) as glTF roughness sqrt(sqrt(2 / (n + 2))); a mirror is at
  // most 1 - reflection rough; metallic as given (alone: 1).
  struct Case {
    const char* texture;
    float rgba[4];               // -1: no colour set
    double metallic, roughness;  // -1: no finish
  };
  const Case cases[] = {
      {"texture { pigment { rgb <1, 0.5, 0> } }", {1, 0.5f, 0, 1}, -1, -1},
      {"texture { pigment { color Blue } }", {0, 0, 1, 1}, -1, -1},
      {"texture { pigment { P_Glass } }", {0.2f, 0.4f, 0.6f, 0.25f}, -1, -1},
      {"texture { T_Wood }", {0.6f, 0.4f, 0.2f, 1}, 0, 0.46710},
      {"texture { pigment { srgbf <0, 0.333, 0.749, 0> } }", {0, 0.0908f, 0.5209f, 1}, -1, -1},
      {"texture { pigment { color red 1 green 1 transmit 0.5 } }", {1, 1, 0, 0.5f}, -1, -1},
      {"pigment { rgb 0.3 }", {0.3f, 0.3f, 0.3f, 1}, -1, -1},
      {"texture { pigment { checker color Red color Blue } }", {0.8f, 0.8f, 0.8f, 1}, -1, -1},
      {"", {-1, -1, -1, -1}, -1, -1},
      {"texture { pigment { rgb 1 } finish { phong 1 phong_size 200 } }", {1, 1, 1, 1}, 0, 0.31542},
      {"texture { pigment { rgb 1 } finish { specular 0.5 roughness 0.01 } }",
       {1, 1, 1, 1},
       0,
       0.37421},
      {"texture { pigment { rgb 1 } finish { reflection 0.8 metallic } }", {1, 1, 1, 1}, 1, 0.2},
      {"texture { pigment { rgb 1 } finish { reflection { 0.1, 0.9 metallic } } }",
       {1, 1, 1, 1},
       1,
       0.9},
      {"texture { pigment { rgb 1 } finish { ambient 0.2 diffuse 0.7 } }", {1, 1, 1, 1}, 0, 1},
      {"texture { pigment { rgb 1 } finish { F_Metal } }", {1, 1, 1, 1}, 0.7, 0.46710},
  };
  for (const Case& c : cases) {
    const std::string text =
        "#declare Blue = rgb <0, 0, 1>;\n#declare Red = rgb x;\n"
        "#declare P_Glass = pigment { rgbt <0.2, 0.4, 0.6, 0.75> }\n"
        "#declare T_Wood = texture { pigment { rgb <0.6, 0.4, 0.2> } finish { phong 1 } }\n"
        "#declare F_Metal = finish { metallic 0.7 phong 1 }\n"
        "mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } " +
        std::string(c.texture) + " }\n";
    Reading r = ReadPovrayText(text);
    MMesh_P* mesh = FindMesh(*r.scene, "obj_1");
    ASSERT_NE(mesh, nullptr) << c.texture << "\n" << r.log;
    const std::string material = MeshMaterialNames(*mesh).at(0);
    const MSurface* surface = r.scene->GetMaterialbyName(material.c_str());
    ASSERT_NE(surface, nullptr) << c.texture;
    EXPECT_EQ(surface->Has_Color() != 0, c.rgba[0] >= 0) << c.texture;
    for (int i = 0; surface->Has_Color() && c.rgba[0] >= 0 && i < 4; ++i) {
      EXPECT_NEAR(surface->Get_Color()[i], c.rgba[i], 1e-3) << c.texture;
    }
    EXPECT_EQ(surface->Has_Finish() != 0, c.metallic >= 0) << c.texture;
    if (surface->Has_Finish() && c.metallic >= 0) {
      EXPECT_NEAR(surface->Get_Metallic(), c.metallic, 1e-4) << c.texture;
      EXPECT_NEAR(surface->Get_Roughness(), c.roughness, 1e-4) << c.texture;
    }
  }
}

TEST(PovrayMode, UnnamedTexturesShareAMaterialPerColour) {
  // Four placed parts in two inline colours and one without a texture:
  // three materials, not one per object.
  PovrayReadOptions placed;
  placed.place_objects = true;
  Reading r = ReadPovrayText(
      "#declare P = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }\n"
      "object { P pigment { rgb <1, 0, 0> } }\n"
      "object { P translate x pigment { color rgb <1, 0, 0> } }\n"
      "object { P translate 2*x texture { pigment { rgb <0, 0, 1> } } }\n"
      "object { P translate 3*x }\n",
      placed);
  std::set<std::string> used;
  std::vector<std::string> per_object;
  r.scene->ForEachMesh([&](MMesh_P& mesh) {
    per_object.push_back(MeshMaterialNames(mesh).at(0));
    used.insert(per_object.back());
  });
  ASSERT_EQ(per_object.size(), 4u) << r.log;
  EXPECT_EQ(used.size(), 3u);
  EXPECT_EQ(per_object[0], per_object[1]) << "the same red";
  EXPECT_NE(per_object[0], per_object[2]);
  EXPECT_NE(per_object[2], per_object[3]);
}

TEST(PovrayMode, TheFilesCameraAndLightsReplaceTheDefaults) {
  PovrayReadOptions options;
  options.place_objects = true;
  Reading r = ReadPovrayText(
      "#include \"colors.inc\"\n#declare White = rgb 1;\n"
      "camera { location <0, 2, -5> look_at <0, 1, 0> angle 40 rotate 90*y }\n"
      "light_source { <10, 20, -30> color rgb <1, 0.5, 0.25> }\n"
      "light_source { <0, 5, 0>, White translate x }\n"
      "triangle { <0,0,0>, <1,0,0>, <0,1,0> }\n",
      options);
  ASSERT_EQ(r.scene->Get_Cameras()->Get_Count(), 1) << r.log;
  const auto* camera = static_cast<MCamera*>(r.scene->Get_Cameras()->Get(0));
  EXPECT_NEAR(camera->location.x, -5, 1e-12) << "rotated a quarter turn about y";
  EXPECT_NEAR(camera->location.z, 0, 1e-12);
  EXPECT_NEAR(camera->look_at.y, 1, 1e-12);
  EXPECT_EQ(camera->angle, 40);
  ASSERT_EQ(r.scene->Get_Lights()->Get_Count(), 2);
  const auto* first = static_cast<MLight*>(r.scene->Get_Lights()->Get(0));
  const auto* second = static_cast<MLight*>(r.scene->Get_Lights()->Get(1));
  EXPECT_EQ(first->location.z, -30);
  EXPECT_EQ(first->color.y, 0.5);
  EXPECT_EQ(second->location.x, 1);
  EXPECT_EQ(second->color.z, 1);
  // The host's defaults come only when the file has none.
  r.scene->MMake_Default_Cam();
  r.scene->MMake_Default_Light();
  EXPECT_EQ(r.scene->Get_Cameras()->Get_Count(), 1);
  EXPECT_EQ(r.scene->Get_Lights()->Get_Count(), 2);
}

TEST(PovrayMode, Mesh2NormalsAndUvFollowTheFacesWithoutIndexLists) {
  Reading r = ReadPovrayText(
      "#declare M = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }\n"
      "  normal_vectors { 3, <0,0,-1>, <0,0,-1>, <0,0,-1> } uv_vectors { 3 <0,0> <1,0> <0,1> }\n"
      "  face_indices { 1, <2,1,0> } }\n");
  MMesh_P* mesh = FindMesh(*r.scene, "M");
  ASSERT_NE(mesh, nullptr) << r.log;
  ASSERT_EQ(mesh->Get_NFace_Count(), 1);
  ASSERT_EQ(mesh->Get_UVFace_Count(), 1);
  EXPECT_EQ(mesh->NFaces().Corners(0)[0], 2);
  EXPECT_EQ(mesh->UVFaces().Corners(0)[2], 0);
}

TEST(PovrayMode, LiteralNumbersReadAlikeOnBothPaths) {
  // The first list takes the fast path for literal numbers, the second the
  // expression reader (each item is an expression); the bits must agree.
  const char* numbers[] = {"0.1", "-2.5e-3", "1e300", "3.14159265358979", ".5", "7."};
  std::string fast, slow;
  for (const char* n : numbers) {
    fast += std::string("<") + n + ", " + n + ", " + n + "> ";
    slow += std::string("<") + n + "+0, (" + n + "), " + n + "*1> ";
  }
  Reading r = ReadPovrayText("#declare A = mesh2 { vertex_vectors { 6 " + fast +
                             "} face_indices { 1 <0 1 2> } }\n"
                             "#declare B = mesh2 { vertex_vectors { 6 " +
                             slow + "} face_indices { 1 <0 1 2> } }\n");
  MMesh_P* a = FindMesh(*r.scene, "A");
  MMesh_P* b = FindMesh(*r.scene, "B");
  ASSERT_TRUE(a != nullptr && b != nullptr) << r.log;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(a->Get_Vertex(i).x, b->Get_Vertex(i).x) << numbers[i];
    EXPECT_EQ(a->Get_Vertex(i).y, b->Get_Vertex(i).z) << numbers[i];
  }
}

TEST(PovrayMode, ConstructsOfPovraysOwnScenes) {
  // Layered textures (the material is the bottom layer), deprecated
  // identifiers, default without '#', patterns such as boxed, objects from
  // arrays, declared lights placed by light_source { Name } and moved with
  // the objects around them; a declared light alone places nothing.
  PovrayReadOptions options;
  options.place_objects = true;
  Reading r = ReadPovrayText(
      "#declare T_Layers = texture { pigment { rgb <1, 0, 0> } }\n"
      "  texture { pigment { boxed color_map { [0 rgbt 1] [1 rgb 0] } } }\n"
      "#declare deprecated once \"use T_Layers\" T_Old = texture { T_Layers }\n"
      "default { finish { ambient 0 } }\n"
      "#declare Parts = array[2]\n"
      "#declare Parts[0] = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }\n"
      "#declare Parts[1] = object { Parts[0] translate 3*y }\n"
      "object { Parts[1] texture { T_Old } }\n"
      "#declare Lamp = light_source { <1, 0, 0> color rgb 2 }\n"
      "light_source { Lamp translate 10*z }\n"
      "union { light_source { Lamp } object { Parts[0] } translate -5*x }\n",
      options);
  for (const std::string& message : r.host_messages) {
    EXPECT_FALSE(Contains(message, ": error: ")) << message;
  }
  ASSERT_EQ(ObjectNames(*r.scene).size(), 2u) << r.log;
  MMesh_P* moved = static_cast<MMesh_P*>(r.scene->Get_Objects()->Get(0));
  EXPECT_EQ(moved->Get_Vertex(0).y, 3);
  const MSurface* material = r.scene->GetMaterialbyName(MeshMaterialNames(*moved).at(0).c_str());
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(material->Get_Color()[0], 1) << "the bottom layer's red";
  EXPECT_EQ(material->Get_Color()[1], 0);
  ASSERT_EQ(r.scene->Get_Lights()->Get_Count(), 2) << "Lamp is placed twice, not declared once";
  const auto* first = static_cast<MLight*>(r.scene->Get_Lights()->Get(0));
  const auto* second = static_cast<MLight*>(r.scene->Get_Lights()->Get(1));
  EXPECT_EQ(first->location.z, 10);
  EXPECT_EQ(first->color.x, 2);
  EXPECT_EQ(second->location.x, -4) << "moved with the union";
}

// Input beyond the mode or broken: one message with file, line and column
// naming the construct; the reading goes on past the statement and ends.
struct BadInput {
  const char* name;
  std::string text;
  std::string message;  // part of the first message
  bool error;           // false: a warning, and the outcome is "lines parsed"

  friend void PrintTo(const BadInput& c, std::ostream* out) { *out << c.name; }
};

class PovrayModeBadInput : public testing::TestWithParam<BadInput> {};

TEST_P(PovrayModeBadInput, SaysWhereAndWhatAndGoesOn) {
  const BadInput& c = GetParam();
  PovrayReadOptions options;
  options.limits.loop_iterations = 1000;
  options.limits.macro_calls = 5000;
  options.limits.nesting = 50;
  options.limits.array_elements = 1000;
  const std::string good =
      "\n#declare Good = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } "
      "face_indices { 1, <0,1,2> } }\n";
  Reading r = ReadPovrayText(c.text + good, options);
  ASSERT_FALSE(r.host_messages.empty()) << "input: " << c.text.substr(0, 200) << "\nlog:\n"
                                        << r.log;
  const std::string& first = r.host_messages.front();
  EXPECT_TRUE(Contains(first, "scene.pov:1:")) << first;
  EXPECT_TRUE(Contains(first, c.error ? ": error: " : ": warning: ")) << first;
  EXPECT_TRUE(Contains(first, c.message)) << "messages:\n" << Joined(r.host_messages);
  EXPECT_EQ(Contains(r.log, "###Error in line 1 \n"), c.error) << r.log;
  // Unless the message says that nothing after it is read, the mesh after
  // the fault is still imported.
  if (!Contains(first, "the reading stops") && !Contains(first, "#error: ") &&
      !Contains(first, "never closed")) {
    EXPECT_NE(FindMesh(*r.scene, "Good"), nullptr) << "the statement after was lost:\n"
                                                   << Joined(r.host_messages);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PovrayModeBadInput,
    testing::Values(
        BadInput{"undefined_macro", "LDXPart(1, 2)", "'LDXPart' is neither", true},
        BadInput{"undefined_object", "object { Part_3001 matrix <1,0,0,0,1,0,0,0,1,0,0,0> }",
                 "undefined object identifier 'Part_3001'", true},
        BadInput{"undefined_in_mesh", "mesh2 { vertex_vectors { 1, <0, Size, 0> } }",
                 "undefined identifier 'Size'", true},
        BadInput{"undeclared_word_in_mesh2", "mesh2 { vertex_vectors { 1, <0, 0, 0> } Frobnicate }",
                 "undeclared identifier 'Frobnicate'", true},
        BadInput{"undeclared_word_in_mesh", "mesh { triangle { <0,0,0>, x, y } Frobnicate }",
                 "undeclared identifier 'Frobnicate'", true},
        BadInput{"missing_file_to_read", "#fopen F \"x.txt\" read",
                 "the file \"x.txt\" is not found", false},
        BadInput{"read_of_no_file", "#read (F, X)",
                 "expected the identifier of a file open for reading", true},
        BadInput{"trace",
                 "#declare Pf = function { pigment { leopard } } "
                 "#declare B = isosurface { function { Pf(x, y, z).gray } } "
                 "#declare P = trace(B, 2*y, -y, N) + N;",
                 "isosurface passed over", false},
        BadInput{"inside", "#if (inside(3, 0)) #error \"\" #end",
                 "inside takes an object, found a float", true},
        BadInput{"user_function",
                 "#declare F = function { internal(62) } #declare V = F(1, 2, 3) + 1;",
                 "F() and the others give 0 here", false},
        BadInput{"unknown_directive", "#frobnicate 3", "unknown directive #frobnicate", true},
        BadInput{"error_directive", "#error \"stop here\"", "#error: stop here", true},
        BadInput{"endless_while", "#while (true) #end", "more than 1000 loop turns", true},
        BadInput{"endless_for", "#for (I, 0, 1e9) #end", "(the bound max_loop_iterations", true},
        BadInput{"recursion", "#macro R() R() #end R()",
                 "more than 50 macro calls and includes open at once", true},
        BadInput{"call_storm", "#macro F() #end #while (true) F() #end", "", true},
        BadInput{"huge_array", "#declare A = array[100000][100000];", "more than this reader holds",
                 true},
        BadInput{"array_copies_of_itself",
                 "#declare P = array[20]; #for (I, 0, 19) #declare P[I] = P; #end",
                 "more than this reader holds", true},
        BadInput{"division_by_zero", "#declare A = 1/0;", "division by zero", true},
        BadInput{"mod_by_zero", "#declare A = mod(1, 0);", "division by zero", true},
        BadInput{"sqrt_domain", "#declare A = sqrt(-1);", "outside its domain", true},
        BadInput{"open_if", "#if (1) mesh { triangle { <0,0,0>,<1,0,0>,<0,1,0> } }", "has no #end",
                 true},
        BadInput{"stray_end", "#end", "#end without an open", true},
        BadInput{"deep_parentheses", "#declare A = " + std::string(5000, '(') + "1;",
                 "nested more than", true},
        BadInput{"bad_character", "mesh2 { @ }", "the character '@'", true},
        BadInput{"open_comment", "/* never closed", "never closed", true},
        BadInput{"no_triangles", "mesh { }", "no triangles in this mesh", true},
        BadInput{"too_few_items",
                 "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0> } face_indices { 0 } }",
                 "vertex_vectors declares 3 items but has 2", true},
        BadInput{"vector_as_float", "#declare A = array[<1,2,3>];", "expected a float", true},
        BadInput{"string_arithmetic", "#declare A = \"a\" + 1;", "cannot take a string", true},
        BadInput{"missing_include", "#include \"no-such-part.inc\"",
                 "\"no-such-part.inc\" is not found", false},
        BadInput{"degenerate_loose", "triangle { <0,0,0>, <1,1,1>, <2,2,2> }",
                 "degenerate triangle", false}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace
