// POV-Ray's shapes and CSG in the POV-Ray-syntax mode, held against
// POV-Ray 3.7.0.10 itself: every expected number below was printed by its
// #debug for the same objects (min_extent, max_extent, inside, trace).
// How closely the meshes follow the shapes is judged by POV-Ray in
// tests/shapes/ (the oracle cases).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string>

#include "shapes/blob.h"
#include "shapes/triangulate.h"
#include "tests/test_support.h"

namespace {

// The first `count` vertices of a mesh whose vertex list is `vectors`
// (expressions the scene evaluates), after `declarations`.
std::vector<std::array<double, 3>> Evaluate(const std::string& declarations,
                                            const std::vector<std::string>& vectors,
                                            std::string* messages) {
  std::string text = declarations + "mesh2 { vertex_vectors { " +
                     std::to_string(std::max<size_t>(vectors.size(), 3)) + ",\n";
  for (const std::string& v : vectors) text += "  " + v + ",\n";
  for (size_t i = vectors.size(); i < 3; ++i) text += "  <" + std::to_string(i) + ", 7, 1>,\n";
  text += "} face_indices { 1, <0, 1, 2> } }\n";
  PovrayReadOptions options = Placing();
  options.library_paths.push_back("/usr/share/povray-3.7/include");
  const Reading r = ReadPovrayText(text, options);
  *messages = Joined(r.host_messages);
  std::vector<std::array<double, 3>> out;
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  if (mesh == nullptr) return out;
  for (int64_t i = 0; i < mesh->Get_Vertex_Count() && out.size() < vectors.size(); ++i) {
    const MVector3& v = mesh->Get_Vertex(i);
    out.push_back({v.x, v.y, v.z});
  }
  return out;
}

const char kObjects[] =
    "#declare O1 = sphere { <1,2,3>, 2 }\n"
    "#declare O2 = cylinder { 0, <1,1,0>, 0.5 }\n"
    "#declare O3 = cone { <0,0,0>, 1, <0,0,2>, 0.5 rotate 30*x }\n"
    "#declare O4 = torus { 2, 0.5 rotate 45*z }\n"
    "#declare O5 = box { <-1,-2,-3>, <1,2,3> rotate <10,20,30> }\n"
    "#declare O6 = difference { box { -1, 1 } sphere { 0.5, 1 } }\n"
    "#declare O7 = intersection { box { -1, 1 } sphere { 0.5, 1 } }\n"
    "#declare O8 = merge { box { -1, 1 } sphere { 2, 1 } }\n"
    "#declare O9 = superellipsoid { <0.5, 0.5> scale <2,1,1> }\n"
    "#declare O10 = prism { linear_spline 0, 1, 4, <0,0>, <1,0>, <0,2>, <0,0> }\n"
    "#declare O11 = lathe { linear_spline 3, <0,0>, <2,1>, <1,3> }\n"
    "#declare O12 = disc { <1,0,0>, <0,1,1>, 2, 0.5 }\n"
    "#declare O13 = union { sphere { 0, 1 } box { 2, 3 } }\n"
    "#declare O14 = sor { 4, <0,0>, <1,1>, <2,2>, <1,3> }\n"
    "#declare O15 = intersection { sphere { 0, 1 } plane { y, 0 } }\n"
    "#declare O16 = polygon { 4, <0,0>, <1,0>, <0,1>, <0,0> }\n"
    "#declare O17 = cylinder { <0,0,0>, <0,3,0>, 1 scale <1,1,2> rotate 30*z translate x }\n"
    "#declare O18 = object { O1 scale 2 }\n"
    "#declare O19 = sphere_sweep { linear_spline 3, <-1,0,0>, 0.3, <0,0.8,0.2>, 0.4,"
    " <1,0,-0.3>, 0.25 }\n"
    "#declare O20 = sphere_sweep { b_spline 5, <-2,0,0>, 0.3, <-1,1,0>, 0.5, <0,0,0>, 0.2,"
    " <1,1,0>, 0.4, <2,0,0>, 0.3 }\n"
    "#declare O21 = sphere_sweep { cubic_spline 5, <-2,0,0>, 0.3, <-1,1,0>, 0.5, <0,0,0>, 0.2,"
    " <1,1,0>, 0.4, <2,0,0>, 0.3 tolerance 1e-3 }\n"
    "#declare O22 = height_field { function 3, 2 { x*0.5 + y*0.25 } scale <2,1,3> }\n"
    "#declare O23 = height_field { function 5, 4 { 0.5 + 0.3*sin(x*5)*cos(y*3) }"
    " water_level 0.45 }\n"
    "#declare O24 = sphere { 0, 1 clipped_by { box { <-0.5,-2,-2>, <2,2,2> } } }\n"
    "#declare O25 = sphere { 0, 1 scale 2 clipped_by { box { <-0.5,-2,-2>, <2,2,2> } }"
    " translate x }\n"
    "#declare O26 = sphere { 0, 1 clipped_by { box { <-0.5,-2,-2>, <2,2,2> }"
    " box { <-2,-2,-2>, <2,0.5,2> } } }\n"
    "#declare O27 = quadric { <1,2,3>, <0,0,0>, <0,0,0>, -1 }\n"
    "#declare O28 = quartic { <1,0,0,0,2,0,0,2,0,-2.5,0,0,0,0,0,0,0,0,0,0,1,0,0,2,0,0.5,0,0,0,0,"
    "1,0,-2.5,0,0.5> }\n"
    "#declare O29 = poly { 2, <1,0,0,0,1,0,0,1,0,-1> }\n"
    "#declare O30 = polynomial { 2, xyz(2,0,0):1, xyz(0,2,0):1, xyz(0,0,2):1, xyz(0,0,0):-1 }\n"
    "#declare O31 = isosurface { function { x*x + y*y + z*z - 0.5 }"
    " contained_by { box { <-1,-1,-1>, <1,0.5,1> } } }\n"
    "#declare O32 = isosurface { function { x*x + y*y + z*z } threshold 0.25"
    " contained_by { sphere { <0.1,0,0>, 2 } } }\n"
    "#declare O33 = blob { threshold 0.6 sphere { <0,0,0>, 1, 1 } sphere { <0.8,0.2,0>, 0.7,"
    " strength 1.2 } cylinder { <-1,0,0>, <-1,1.5,0>, 0.5, 1 } }\n"
    "#declare O34 = blob { threshold 0.5 sphere { 0, 1, 1 scale <2,1,1> }"
    " component 1, 0.5, <0,1,0> }\n"
    "#declare O35 = blob { threshold 0.5 sphere { 0, 1, 1 } sphere { <0.5,0,0>, 0.6, -0.8 } }\n"
    "#declare O36 = bicubic_patch { type 1 u_steps 4 v_steps 4 <0,0,0>, <1,0,1>, <2,0,-1>,"
    " <3,0,0>, <0,1,0.5>, <1,1,2>, <2,1,0>, <3,1,0.5>, <0,2,0>, <1,2,-1>, <2,2,1>, <3,2,0>,"
    " <0,3,0>, <1,3,0.5>, <2,3,0.5>, <3,3,0> }\n"
    "#declare O37 = ovus { 1, 0.65 }\n"
    "#declare O38 = ovus { 0.6, 0.9 rotate 30*z }\n"
    // POV-Ray 3.7.0 has no lemon: these are worked out by hand. O41 is
    // the sphere of radius 1 about <0,1,0>; O42's arc, of radius 2.5 in
    // units of its length, is centred sqrt(6) beyond its rims.
    "#declare O41 = lemon { <0,0,0>, 0, <0,2,0>, 0, 1 }\n"
    "#declare O42 = lemon { <0,0,0>, 1, <0,2,0>, 1, 5 }\n"
    // Pigments as functions: a height field and an isosurface of them.
    "#declare O43 = height_field { function 9, 9 { pigment { checker color rgb 1 color rgb 0.5"
    " scale 0.25 } } scale <2,1,2> }\n"
    "#declare O44P = function { pigment { gradient x color_map { [0 rgb 0] [1 rgb 1] } scale 4"
    " translate -2*x } }\n"
    "#declare O44 = isosurface { function { y - O44P(x, z, 0).gray * 0.5 }"
    " contained_by { box { -1, 1 } } }\n";

TEST(Shapes, ExtentsArePovraysBoxes) {
  const struct {
    const char* object;
    std::array<double, 3> min, max;
  } cases[] = {
      {"O1", {-1, 0, 1}, {3, 4, 5}},
      {"O2", {-0.5, -0.5, -0.707107}, {1.5, 1.5, 0.707107}},
      {"O3", {-1, -1.866025, -0.5}, {1, 0.866025, 2.232051}},
      {"O4", {-2.121320, -2.121320, -2.5}, {2.121320, 2.121320, 2.5}},
      {"O5", {-2.831304, -2.289059, -3.444622}, {2.831304, 2.289059, 3.444622}},
      {"O6", {-1, -1, -1}, {1, 1, 1}},
      {"O7", {-0.5, -0.5, -0.5}, {1, 1, 1}},
      {"O8", {-1, -1, -1}, {3, 3, 3}},
      {"O9", {-2.0002, -1.0001, -1.0001}, {2.0002, 1.0001, 1.0001}},
      {"O10", {0, 0, 0}, {1, 1, 2}},
      {"O11", {-2, 0, -2}, {2, 3, 2}},
      {"O12", {-1, -1.414921, -1.414921}, {3, 1.414921, 1.414921}},
      {"O13", {-1, -1, -1}, {3, 3, 3}},
      {"O14", {-2, 1, -2}, {2, 2, 2}},
      {"O15", {-1, -1, -1}, {1, 0, 1}},
      {"O16", {0, 0, -0.001}, {1, 1, 0.001}},
      {"O17", {-1.366025, -0.5, -2}, {1.866025, 3.098076, 2}},
      {"O18", {-2, 0, 2}, {6, 8, 10}},
      {"O19", {-1.3, -0.3, -0.55}, {1.25, 1.2, 0.6}},
      {"O20", {-2.3, -0.3, -0.5}, {2.3, 1.5, 0.5}},
      {"O21", {-2.6, -0.6, -1}, {2.6, 2, 1}},
      {"O22", {0, 0, 0}, {2, 0.749985, 3}},
      {"O23", {0, 0.45, 0}, {1, 0.784775, 1}},
      {"O25", {0.5, -2, -2}, {3, 2, 2}},
      {"O27", {-1, -0.707107, -0.57735}, {1, 0.707107, 0.57735}},
      {"O31", {-1, -1, -1}, {1, 0.5, 1}},
      {"O32", {-1.9, -2, -2}, {2.1, 2, 2}},
      {"O33", {-1.901388, -1, -1}, {1.5, 2, 1}},
      {"O34", {-2, -2, -2}, {2, 2, 2}},
      {"O36", {0, 0, -1}, {3, 3, 2}},
      {"O37", {-1.003946, -1, -1.003946}, {1.003946, 1.65, 1.003946}},
      {"O38", {-1.554173, -0.983905, -0.928579}, {1.104173, 1.763327, 0.928579}},
      {"O41", {-1, 0, -1}, {1, 2, 1}},
      {"O42", {-1.101021, 0, -1.101021}, {1.101021, 2, 1.101021}},
      {"O43", {0, 0.499985, 0}, {2, 0.999969, 2}},
      {"O44", {-1, -1, -1}, {1, 1, 1}},
  };
  std::vector<std::string> vectors;
  for (const auto& c : cases) {
    vectors.push_back("min_extent(" + std::string(c.object) + ")");
    vectors.push_back("max_extent(" + std::string(c.object) + ")");
  }
  std::string messages;
  const auto got = Evaluate(kObjects, vectors, &messages);
  ASSERT_EQ(got.size(), vectors.size()) << messages;
  EXPECT_EQ(messages, "");
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got[2 * i][k], cases[i].min[k], 2e-6) << cases[i].object << " min " << k;
      EXPECT_NEAR(got[2 * i + 1][k], cases[i].max[k], 2e-6) << cases[i].object << " max " << k;
    }
  }
}

TEST(Shapes, InsideAndTraceAnswerAsPovray) {
  const struct {
    const char* call;
    std::array<double, 3> expected;
    double tolerance;  // a hit on a curved surface lies on its mesh
  } cases[] = {
      {"inside(O6, <0.9,0.9,0.9>)", {0, 0, 0}, 0},
      {"inside(O6, <0,0,0>)", {0, 0, 0}, 0},
      {"inside(O7, <0.5,0.5,0.5>)", {1, 1, 1}, 0},
      {"inside(O15, <0,0.5,0>)", {0, 0, 0}, 0},
      {"inside(O15, <0,-0.5,0>)", {1, 1, 1}, 0},
      {"inside(O4, <1.414,1.414,0>)", {1, 1, 1}, 0},
      {"inside(O10, <0.2,0.5,0.3>)", {1, 1, 1}, 0},
      {"inside(O11, <0.5,1,0>)", {0, 0, 0}, 0},
      {"inside(O11, <0.5,2,0>)", {1, 1, 1}, 0},
      {"inside(O14, <0.5,1.5,0.5>)", {1, 1, 1}, 0},
      {"inside(O17, <1,1,0>)", {1, 1, 1}, 0},
      {"inside(O9, <1.9,0,0>)", {1, 1, 1}, 0},
      {"inside(O3, <0,-0.5,0.9>)", {1, 1, 1}, 0},
      {"inside(O19, <0.5,0.5,0>)", {1, 1, 1}, 0},
      {"inside(O19, <0.5,0.8,0>)", {1, 1, 1}, 0},
      {"inside(O19, <0.5,0.9,0>)", {0, 0, 0}, 0},
      {"inside(O20, <-1,1.05,0>)", {1, 1, 1}, 0},
      {"inside(O20, <-1,1.11,0>)", {0, 0, 0}, 0},
      {"inside(O21, <0,0.2,0>)", {1, 1, 1}, 0},
      {"inside(O21, <0,0.25,0>)", {0, 0, 0}, 0},
      {"inside(O22, <1,0.3,1.5>)", {1, 1, 1}, 0},
      {"inside(O22, <1,0.45,1.5>)", {0, 0, 0}, 0},
      {"inside(O23, <0.5,0.1,0.5>)", {1, 1, 1}, 0},
      {"inside(O23, <0.3,0.7,0.6>)", {0, 0, 0}, 0},
      {"inside(O24, <-0.7,0,0>)", {0, 0, 0}, 0},
      {"inside(O24, <0.7,0,0>)", {1, 1, 1}, 0},
      {"inside(O26, <0,0.7,0>)", {0, 0, 0}, 0},
      {"inside(O25, <1.9,0,0>)", {1, 1, 1}, 0},
      {"inside(O25, <0.3,0,0>)", {0, 0, 0}, 0},
      {"inside(O27, <0.5,0.6,0>)", {1, 1, 1}, 0},
      {"inside(O27, <0.5,0.6,0.2>)", {0, 0, 0}, 0},
      {"inside(O28, <1,0,0>)", {1, 1, 1}, 0},
      {"inside(O29, <0.5,0.5,0.5>)", {1, 1, 1}, 0},
      {"inside(O30, <0.5,0.5,0.8>)", {0, 0, 0}, 0},
      {"inside(O31, <0,0.4,0>)", {1, 1, 1}, 0},
      {"inside(O31, <0,0.6,0>)", {0, 0, 0}, 0},
      {"inside(O32, <0.4,0,0>)", {1, 1, 1}, 0},
      {"inside(O32, <0.6,0,0>)", {0, 0, 0}, 0},
      {"inside(O33, <0.3,0.3,0>)", {1, 1, 1}, 0},
      {"inside(O33, <-1,1.2,0>)", {1, 1, 1}, 0},
      {"inside(O33, <0,0.9,0>)", {0, 0, 0}, 0},
      {"inside(O34, <1.2,0,0>)", {0, 0, 0}, 0},
      {"inside(O34, <0,1.2,0>)", {1, 1, 1}, 0},
      {"inside(O35, <0.5,0,0>)", {0, 0, 0}, 0},
      {"inside(O35, <-0.4,0,0>)", {1, 1, 1}, 0},
      {"inside(O37, <0,1.6,0>)", {1, 1, 1}, 0},
      {"inside(O37, <0,1.7,0>)", {0, 0, 0}, 0},
      {"inside(O37, <1.0,0,0>)", {1, 1, 1}, 0},
      {"inside(O37, <1.003,0,0>)", {0, 0, 0}, 0},
      {"inside(O38, <-0.7,1.3,0>)", {1, 1, 1}, 0},
      {"inside(O41, <0,1,0.99>)", {1, 1, 1}, 0},
      {"inside(O41, <0,1,1.01>)", {0, 0, 0}, 0},
      {"inside(O42, <1.1,1,0>)", {1, 1, 1}, 0},
      {"inside(O42, <1.102,1,0>)", {0, 0, 0}, 0},
      {"inside(O42, <0.5,0.01,0.5>)", {1, 1, 1}, 0},
      {"inside(O42, <0.5,-0.01,0.5>)", {0, 0, 0}, 0},
      {"inside(O43, <0.3,0.9,0.3>)", {0, 0, 0}, 0},
      {"inside(O43, <0.8,0.7,0.3>)", {1, 1, 1}, 0},
      {"inside(O43, <0.8,0.4,0.3>)", {1, 1, 1}, 0},
      {"inside(O44, <0.5,0.3,0.2>)", {1, 1, 1}, 0},
      {"inside(O44, <0.5,0.4,0.2>)", {0, 0, 0}, 0},
      {"inside(O44, <-1.5,0.3,0.2>)", {0, 0, 0}, 0},
      {"trace(O43, <0.3,5,0.3>, -y, N)", {0.3, 0.599982, 0.3}, 1e-4},
      {"N", {-0.894422, 0.447225, 0}, 1e-4},
      {"trace(O43, <0.8,5,0.3>, -y, N)", {0.8, 0.899973, 0.3}, 1e-4},
      {"trace(O44, <0.6,5,0.2>, -y)", {0.6, 0.325, 0.2}, 3e-3},
      // On its mesh, where the surface slopes at 50 degrees to the ray.
      {"trace(O37, <0.5,5,0.2>, -y, N)", {0.5, 1.371362, 0.2}, 5e-3},
      {"N", {0.712406, 0.641306, 0.284963}, 2e-2},
      {"trace(O1, <1,2,-10>, z, N)", {1, 2, 1}, 1e-12},
      {"N", {0, 0, -1}, 1e-12},
      {"trace(O5, <0,0,-10>, <0.1,0.2,1>, N)", {0, 0, 0}, 0},
      {"N", {0, 0, 0}, 0},
      {"trace(O6, <0.9,0.9,-5>, z, N)", {0.9, 0.9, -1}, 1e-9},
      {"N", {0, 0, -1}, 1e-9},
      {"trace(O4, <0,0,0>, y)", {0, 0, 0}, 0},
      {"trace(O15, <0.3,5,0.2>, -y, N)", {0.3, 0, 0.2}, 1e-9},
      {"N", {0, 1, 0}, 1e-9},
      {"trace(O17, <-5,1,0.3>, x, N)", {-0.7190, 1, 0.3}, 2e-3},
      {"N", {-0.8635, -0.4986, 0.0756}, 2e-3},
      {"trace(O13, <2.5,2.5,10>, -z, N)", {2.5, 2.5, 3}, 1e-9},
      {"N", {0, 0, 1}, 1e-9},
      {"trace(O20, <-1.2,5,0>, -y)", {-1.2, 1.03220, 0}, 2e-3},
      {"trace(O21, <0.6,5,0>, -y)", {0.6, 1.22844, 0}, 2e-3},
      {"trace(O22, <0.7,5,1.1>, -y, N)", {0.7, 0.333323, 1.1}, 2e-6},
      {"N", {-0.241733, 0.966991, 0.080583}, 2e-6},
      {"trace(O23, <0.3,5,0.6>, -y)", {0.3, 0.608102, 0.6}, 2e-6},
      {"trace(O23, <0.9,5,0.1>, -y)", {0.9, 0.709239, 0.1}, 2e-6},
      // The near side is cut away: the ray meets the far side from within.
      {"trace(O24, <-5,0,0>, x)", {1, 0, 0}, 0.01},
      {"trace(O25, <-5,0.3,0>, x)", {2.97737, 0.3, 0}, 0.01},
      {"trace(O27, <5,0.2,0.1>, -x)", {0.9434, 0.2, 0.1}, 0.01},
      // The container's top closes the ball it cuts.
      {"trace(O31, <0.2,5,0.1>, -y, N)", {0.2, 0.5, 0.1}, 1e-6},
      {"N", {0, 1, 0}, 1e-3},
      {"trace(O33, <0.2,5,0.1>, -y)", {0.2, 0.434846, 0.1}, 3e-3},
      {"trace(O34, <5,0.1,0.1>, -x)", {1.044784, 0.1, 0.1}, 3e-3},
      {"trace(O36, <1.5,1.5,-5>, z)", {1.5, 1.5, 0.375}, 1e-3},
  };
  std::vector<std::string> vectors;
  for (const auto& c : cases) {
    // Each value is taken when its line is read: N as the trace before set it.
    vectors.push_back("<0,0,0> + " + std::string(c.call));
  }
  std::string messages;
  const auto got =
      Evaluate(std::string(kObjects) + "#declare N = <9, 9, 9>;\n", vectors, &messages);
  ASSERT_EQ(got.size(), vectors.size()) << messages;
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got[i][k], cases[i].expected[k], cases[i].tolerance + 1e-12)
          << cases[i].call << " [" << k << "]";
    }
  }
}

// trace() on the shapes with a closed form meets their true surface, with
// its exact normal, as POV-Ray's trace() (values from POV-Ray 3.7): macros
// that walk along a surface by trace() go where POV-Ray's go.
TEST(Shapes, TraceMeetsTheTrueSurface) {
  const char kDeclarations[] =
      "#declare O2 = cylinder { 0, <1,1,0>, 0.5 }\n"
      "#declare O3 = cone { <0,0,0>, 1, <0,0,2>, 0.5 rotate 30*x }\n"
      "#declare O5 = box { <-1,-2,-3>, <1,2,3> rotate <10,20,30> }\n"
      "#declare O12 = disc { <1,0,0>, <0,1,1>, 2, 0.5 }\n"
      "#declare O40 = union { cylinder { 0, 2*y, 0.2 } plane { y, -0.02 }\n"
      "  sphere { <1,0,0>, 0.3 scale <1,2,1> } }\n"
      "#declare N = <9, 9, 9>;\n";
  const struct {
    const char* trace;
    std::array<double, 3> point, normal;
  } cases[] = {
      {"O2, <0.5,0.5,-5>, z", {0.5, 0.5, -0.5}, {0, 0, -1}},
      {"O2, <0.3,5,0.1>, -y", {0.3, 0.992820323, 0.1}, {-0.692820323, 0.692820323, 0.2}},
      {"O3, <0.1,5,0.5>, -y", {0.1, 0.859255285, 0.5}, {0.097096419, 0.714681688, 0.692677682}},
      {"O3, <0.1,-5,0.2>, y", {0.1, -1.060123808, 0.2}, {0.117709562, -0.955228661, -0.271445508}},
      {"O5, <0.2,0.1,-10>, z", {0.2, 0.1, -2.310553481}, {0.813797681, 0.469846310, -0.342020143}},
      {"O12, <1.5,5,0.3>, -y", {1.5, -0.3, 0.3}, {0, 0.707106781, 0.707106781}},
      {"O12, <1.1,5,0.1>, -y", {0, 0, 0}, {0, 0, 0}},  // through the hole
      {"O40, <0.5,3,0.1>, <-0.1,-1,0.05>", {0.198, -0.02, 0.251}, {0, 1, 0}},
      {"O40, <1.1,3,0.1>, -y", {1.1, 0.529150262, 0.1}, {0.516397779, 0.683130051, 0.516397779}},
      {"O40, <-3,0.5,0.05>, x", {-0.193649167, 0.5, 0.05}, {-0.968245837, 0, 0.25}},
  };
  std::vector<std::string> vectors;
  for (const auto& c : cases) {
    vectors.push_back("<0,0,0> + trace(" + std::string(c.trace) + ", N)");
    vectors.push_back("<0,0,0> + N");
  }
  std::string messages;
  const auto got = Evaluate(kDeclarations, vectors, &messages);
  ASSERT_EQ(got.size(), vectors.size()) << messages;
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got[2 * i][k], cases[i].point[k], 1e-8) << cases[i].trace << " point " << k;
      EXPECT_NEAR(got[2 * i + 1][k], cases[i].normal[k], 1e-8) << cases[i].trace << " normal " << k;
    }
  }
}

// meshmaker.inc's Parametric macro builds its mesh2 in the scene language;
// the mesh it builds is POV-Ray's (its box, and trace() on its smooth
// triangles; values from POV-Ray 3.7).
TEST(Shapes, MeshmakerParametricBuildsPovraysMesh) {
  const std::string declarations =
      "#include \"meshmaker.inc\"\n"
      "#declare F1 = function(u,v) { (1 + 0.3*cos(v))*cos(u) }\n"
      "#declare F2 = function(u,v) { 0.3*sin(v) }\n"
      "#declare F3 = function(u,v) { (1 + 0.3*cos(v))*sin(u) }\n"
      "#declare S = object { Parametric(F1, F2, F3, <0, 0>, <2*pi, 2*pi>, 24, 12, \"\") }\n"
      "#declare N = <9, 9, 9>;\n";
  const struct {
    const char* vector;
    std::array<double, 3> expected;
  } cases[] = {
      {"min_extent(S)", {-1.3, -0.3, -1.3}},
      {"max_extent(S)", {1.3, 0.3, 1.3}},
      {"trace(S, <0.9, 5, 0.2>, -y, N)", {0.9, 0.280260334, 0.2}},
      {"N", {0.245562188, -0.967145186, 0.065798190}},
      {"trace(S, <-5, 0.1, 0.3>, <1, 0.02, 0.01>, N)", {-1.183614987, 0.176327700, 0.338163850}},
      {"N", {0.766356919, -0.603505321, -0.220178111}},
  };
  std::vector<std::string> vectors;
  for (const auto& c : cases) vectors.push_back("<0,0,0> + " + std::string(c.vector));
  std::string messages;
  const auto got = Evaluate(declarations, vectors, &messages);
  ASSERT_EQ(got.size(), vectors.size()) << messages;
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (int k = 0; k < 3; ++k) {
      // POV-Ray keeps a box in single precision.
      EXPECT_NEAR(got[i][k], cases[i].expected[k], 1e-6) << cases[i].vector << " [" << k << "]";
    }
  }
}

// shapes.inc's IsectN (trace() and its answers passed back through the
// macro's parameters) finds where POV-Ray's finds: exactly on the shapes
// with a closed form, within the tolerance on the others' meshes.
TEST(Shapes, IsectNFindsWhatPovrayFinds) {
  const std::string declarations =
      "#include \"shapes.inc\"\n"
      "#declare A = sphere { <0.2,0,0.1>, 1 scale <1,0.5,1> }\n"
      "#declare B = union { box { -1, 1 rotate <20,30,0> } cylinder { 0, 3*y, 0.3 } }\n"
      "#declare C = blob { threshold 0.6 sphere { 0, 1, 1 } sphere { <0.8,0.2,0>, 0.7, 1.2 } }\n"
      "#declare D = torus { 1, 0.3 rotate 20*x }\n"
      "#macro Hit(O, P, Dir)\n"
      "  #declare Pt = <7,7,7>; #declare Nm = <7,7,7>;\n"
      "  #declare Found = IsectN(P, Dir, O, Pt, Nm);\n"
      "#end\n";
  const struct {
    const char* call;
    bool found;
    std::array<double, 3> point, normal;
    double tolerance;  // on a mesh: within the tessellation's
  } cases[] = {
      {"A, <0.3,5,0.2>, -y",
       true,
       {0.3, 0.494974747, 0.2},
       {0.050379272, 0.997458700, 0.050379272},
       1e-8},
      {"B, <0.1,5,0.1>, -y", true, {0.1, 3, 0.1}, {0, 1, 0}, 1e-8},
      {"B, <0.5,5,0.6>, -y",
       true,
       {0.5, 0.784060732, 0.6},
       {0.171010072, 0.939692621, 0.296198133},
       1e-8},
      {"C, <0.4,5,0.1>, -y",
       true,
       {0.4, 0.500311005, 0.1},
       {-0.326815570, 0.911911689, 0.248210908},
       2e-2},
      {"D, <1,5,0.1>, -y", true, {1, 0.282856308, 0.1}, {0, 0.939692633, 0.342020110}, 2e-2},
      {"A, <3,5,0.2>, -y", false, {7, 7, 7}, {7, 7, 7}, 0},
  };
  for (const auto& c : cases) {
    std::string messages;
    const auto got =
        Evaluate(declarations + "Hit(" + c.call + ")\n", {"<Found, 0, 0>", "Pt", "Nm"}, &messages);
    ASSERT_EQ(got.size(), 3u) << c.call << messages;
    EXPECT_EQ(got[0][0], c.found ? 1 : 0) << c.call;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got[1][k], c.point[k], c.tolerance / 10 + 1e-12) << c.call << " point " << k;
      EXPECT_NEAR(got[2][k], c.normal[k], c.tolerance + 1e-12) << c.call << " normal " << k;
    }
  }
}

// Text as POV-Ray sets it: em units, the first letter's left side at 0,
// kerning, and the offset added after each letter (POV-Ray's boxes, which
// it pads by about 1e-5).
TEST(Shapes, TextIsSetAsPovraySetsIt) {
  const char kFonts[] = "/usr/share/povray-3.7/include/timrom.ttf";
  if (access(kFonts, R_OK) != 0) GTEST_SKIP() << "POV-Ray's fonts are not installed";
  const struct {
    const char* text;
    std::array<double, 3> min, max;
  } cases[] = {
      {"\"A\" 1, 0", {0, 0, 0}, {0.736, 0.696, 1}},
      {"\"AB\" 1, 0", {0, 0, 0}, {1.365, 0.696, 1}},
      {"\"AB\" 0.5, <0.1, 0.2, 0>", {0, 0, 0}, {1.465, 0.880, 0.5}},
      {"\"g\" 1, 0", {0, -0.212, 0}, {0.454, 0.469, 1}},
      {"\"AV\" 1, 0", {0, -0.016, 0}, {1.278, 0.696, 1}},
      {"internal 2 \"A\" 1, 0", {0, 0, 0}, {0.646, 0.728, 1}},
  };
  std::string declarations;
  std::vector<std::string> vectors;
  for (size_t i = 0; i < std::size(cases); ++i) {
    // (Appended piece by piece: GCC 12 warns wrongly on literal + string.)
    std::string name(1, 'T');
    name += std::to_string(i);
    const bool internal = std::string_view(cases[i].text).rfind("internal", 0) == 0;
    declarations.append("#declare ").append(name).append(" = text { ");
    if (!internal) declarations.append("ttf \"timrom.ttf\" ");
    declarations.append(cases[i].text).append(" }\n");
    vectors.push_back(std::string("min_extent(").append(name).append(")"));
    vectors.push_back(std::string("max_extent(").append(name).append(")"));
  }
  std::string messages;
  const auto got = Evaluate(declarations, vectors, &messages);
  ASSERT_EQ(got.size(), vectors.size()) << messages;
  for (size_t i = 0; i < std::size(cases); ++i) {
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(got[2 * i][k], cases[i].min[k], 3e-5) << cases[i].text << " min " << k;
      EXPECT_NEAR(got[2 * i + 1][k], cases[i].max[k], 3e-5) << cases[i].text << " max " << k;
    }
  }
}

// A shape without a name is named by its kind; a declared one by its
// name; each placement is a mesh of its own.
TEST(Shapes, NamesAndPlacements) {
  const Reading r = ReadPovrayText(
      "#declare Ball = sphere { 0, 1 }\n"
      "sphere { 0, 1 } sphere { x, 1 } box { 0, 1 }\n"
      "object { Ball translate 3*x } object { Ball translate -3*x }\n"
      "union { cylinder { 0, y, 0.5 } cone { 0, 1, y, 0 } translate 5*z }\n",
      Placing());
  ASSERT_TRUE(r.scene);
  EXPECT_EQ(ObjectNames(*r.scene), (std::vector<std::string>{"Sphere", "Sphere_2", "Box", "Ball",
                                                             "Ball_2", "Cylinder", "Cone"}))
      << Joined(r.host_messages);
  MMesh_P* ball = FindMesh(*r.scene, "Ball_2");
  ASSERT_NE(ball, nullptr);
  double low = HUGE_VAL, high = -HUGE_VAL;
  for (int64_t i = 0; i < ball->Get_Vertex_Count(); ++i) {
    low = std::min(low, ball->Get_Vertex(i).x);
    high = std::max(high, ball->Get_Vertex(i).x);
  }
  EXPECT_NEAR((low + high) / 2, -3, 1e-9) << "the second copy is where it is put";
}

// The faces a boolean makes keep the texture of the operand they lie on.
TEST(Shapes, BooleanFacesKeepTheirOperandsTextures) {
  const Reading r = ReadPovrayText(
      "#declare Red = texture { pigment { rgb <1,0,0> } }\n"
      "#declare Blue = texture { pigment { rgb <0,0,1> } }\n"
      "difference { box { -1, 1 texture { Red } } sphere { <1,1,1>, 1 texture { Blue } } }\n",
      Placing());
  ASSERT_TRUE(r.scene);
  ASSERT_TRUE(r.host_messages.empty()) << Joined(r.host_messages);
  MMesh_P* mesh = FindMesh(*r.scene, "Difference");
  ASSERT_NE(mesh, nullptr) << ::testing::PrintToString(ObjectNames(*r.scene));
  const std::vector<std::string> materials = MeshMaterialNames(*mesh);
  ASSERT_EQ(materials, (std::vector<std::string>{"Red", "Blue"}));
  // The bite is an eighth of the sphere: its faces lie at distance 1 from
  // (1,1,1); the box's faces on its planes.
  int64_t red = 0, blue = 0;
  const FaceStream& faces = mesh->Faces();
  for (int64_t f = 0; f < mesh->Get_Face_Count(); ++f) {
    (mesh->Get_Face_MatId(f) == 0 ? red : blue)++;
  }
  (void)faces;
  EXPECT_GT(red, 10);
  EXPECT_GT(blue, 10);
}

// Bad parameters are POV-Ray's errors at the shape; the rest of the file
// comes in.
TEST(Shapes, BadParametersSayWhereAndTheRestComesIn) {
  const struct {
    const char* shape;
    const char* message;
  } cases[] = {
      {"cylinder { <1,2,3>, <1,2,3>, 1 }", "degenerate cylinder"},
      {"cone { 0, 1, 0, 0.5 }", "degenerate cone"},
      {"plane { 0, 1 }", "degenerate plane normal"},
      {"prism { 0, 1, 2, <0,0>, <1,0> }", "Prism with linear splines must have at least three"},
      {"prism { cubic_spline 0, 1, 4, <0,0>, <1,0>, <1,1>, <0,0> }",
       "Prism with cubic splines must have at least six"},
      {"lathe { bezier_spline 5, <0,0>, <1,0>, <1,1>, <0,1>, <0,2> }",
       "Lathe with Bezier splines must have four points per segment"},
      {"sor { 4, <0,0>, <1,1>, <1,0.5>, <1,3> }", "incorrect point in surface of revolution"},
      {"sor { 3, <0,0>, <1,1>, <1,2> }", "at least four points"},
      {"polygon { 2, <0,0>, <1,1> }", "at least three points"},
      {"sphere_sweep { b_spline 3, <0,0,0>, 1, <1,0,0>, 1, <2,0,0>, 1 }", "Too few modeling"},
      {"sphere_sweep { 2, <0,0,0>, 1, <1,0,0>, 1 }", "Invalid type of interpolation"},
      {"cubic { <1, 2, 3> }", "expected 20 coefficients for order 3, found 3"},
      {"isosurface { threshold 1 }", "expected function { } in isosurface"},
      {"blob { threshold 0.5 }", "a blob needs at least one component"},
      {"blob { sphere { 0, 1, 1 foo } }", "expected a modifier or '}' in the blob's component"},
      {"isosurface { function { x } contained_by { cone { 0, 1, y, 0 } } }",
       "expected box or sphere in contained_by"},
      {"poly { 1, <1, 2, 3, 4> }", "Order of poly is out of range."},
      {"polynomial { 2, xyz(3,0,0):1 }", "Coefficient of polynom is out of range."},
      {"height_field { png \"no_such.png\" }", "cannot find the image file \"no_such.png\""},
      {"height_field { tiff \"x.tif\" }", "height fields of tiff images are not read"},
      {"height_field { function 1, 5 { x } }", "expected a function height field of 2 x 2"},
      {"sphere { 0 }", "expected"},
      {"text { ttf \"no_such_font.ttf\" \"A\" 1, 0 }", "cannot find the font file"},
      {"text { \"timrom.ttf\" \"A\" 1, 0 }", "expected ttf and a font file, or internal"},
      {"ovus { 0, 1 }", "an ovus's radii must be positive"},
      {"lemon { 0, 1, 0, 1, 2 }", "degenerate lemon"},
      {"lemon { 0, -1, y, 1, 2 }", "a lemon's end radii must not be negative"},
      {"parametric { function { u } function { v } <0,0>, <1,1> }",
       "expected three functions { } in parametric"},
  };
  for (const auto& c : cases) {
    const std::string text = std::string("box { 0, 1 }\n") + c.shape + "\nsphere { 3*x, 1 }\n";
    const Reading r = ReadPovrayText(text, Placing());
    ASSERT_TRUE(r.scene) << text;
    EXPECT_EQ(ObjectNames(*r.scene), (std::vector<std::string>{"Box", "Sphere"})) << text;
    ASSERT_FALSE(r.host_messages.empty()) << text;
    EXPECT_NE(r.host_messages[0].find(":2:"), std::string::npos) << text << r.host_messages[0];
    EXPECT_NE(r.host_messages[0].find(c.message), std::string::npos) << text << r.host_messages[0];
  }
}

// An isosurface whose function misbehaves is still made as far as it can
// be, with a warning at the shape; the rest of the file comes in.
TEST(Shapes, MisbehavingIsosurfacesWarnAtTheShape) {
  const struct {
    const char* isosurface;
    const char* message;
    bool made;
  } cases[] = {
      {"function { x*x+y*y+z*z - 100 }",
       ":2:1: warning: the isosurface's function stays below its threshold", true},
      {"function { x*x+y*y+z*z + 1 }",
       ":2:1: warning: the isosurface's function stays above its threshold", false},
      {"function { 50*(x*x+y*y+z*z) - 0.5 } max_gradient 1",
       ":2:1: warning: the isosurface's function is steeper than its max_gradient (10", true},
      {"function { 1/x + y }", ":2:1: warning: the isosurface's function is not a number at <0,",
       true},
      // A rod in a long thin container: cells of its length miss it.
      {"function { sqrt(x*x + z*z) - 0.02 } "
       "contained_by { box { <-0.05, 0, -0.05>, <0.05, 100, 0.05> } }",
       ":2:1: warning: the isosurface is thinner than the cells it is meshed in (2.78", false},
  };
  for (const auto& c : cases) {
    std::string text = std::string("box { 0, 1 }\nisosurface { ") + c.isosurface;
    if (text.find("contained_by") == std::string::npos) text += " contained_by { box { -1, 1 } }";
    text += " }\nsphere { 3*x, 1 }\n";
    const Reading r = ReadPovrayText(text, Placing());
    ASSERT_TRUE(r.scene) << text;
    const std::vector<std::string> names = ObjectNames(*r.scene);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Isosurface"), c.made ? 1 : 0)
        << text << ::testing::PrintToString(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Sphere"), 1) << text;
    const std::string messages = Joined(r.host_messages);
    EXPECT_NE(messages.find(c.message), std::string::npos) << text << messages;
    EXPECT_EQ(messages.find("error"), std::string::npos) << text << messages;
  }
}

TEST(Shapes, SettingsTurnThemOffAndBoundTheTriangles) {
  // Isosurfaces of a pigment's function not computed here (leopard) are not made.
  const std::string scene =
      "#declare P = function { pigment { leopard } }\n"
      "sphere { 0, 1 } isosurface { function { P(x,y,z).gray - 0.5 } }\n"
      "isosurface { function { P(x,y,z).gray - 0.4 } }\n";
  PovrayReadOptions off = Placing();
  off.shapes.on = false;
  const Reading none = ReadPovrayText(scene, off);
  ASSERT_TRUE(none.scene);
  EXPECT_TRUE(ObjectNames(*none.scene).empty());
  EXPECT_TRUE(none.host_messages.empty()) << Joined(none.host_messages);

  const Reading on = ReadPovrayText(scene, Placing());
  ASSERT_TRUE(on.scene);
  EXPECT_EQ(ObjectNames(*on.scene), std::vector<std::string>{"Sphere"});
  ASSERT_EQ(on.host_messages.size(), 1u) << "once per kind: " << Joined(on.host_messages);
  EXPECT_NE(on.host_messages[0].find(":2:17: warning: isosurface passed over"), std::string::npos)
      << on.host_messages[0];
  EXPECT_NE(on.log.find("2 isosurface objects passed over"), std::string::npos) << on.log;

  PovrayReadOptions few = Placing();
  few.shapes.max_triangles = 2000;
  const Reading coarse = ReadPovrayText("#for (i, 0, 9) sphere { i*x, 0.4 } #end\n", few);
  ASSERT_TRUE(coarse.scene);
  int64_t triangles = 0;
  for (const std::string& name : ObjectNames(*coarse.scene)) {
    triangles += FindMesh(*coarse.scene, name.c_str())->Get_Face_Count();
  }
  EXPECT_LE(triangles, 2000);
  EXPECT_GT(triangles, 500);
  ASSERT_EQ(coarse.host_messages.size(), 1u) << Joined(coarse.host_messages);
  EXPECT_NE(coarse.host_messages[0].find("more than max_triangles (2000)"), std::string::npos);
}

// An object of a kind not imported is said where it is placed: a
// declaration never placed (an include's library) is no loss.
TEST(Shapes, PassedOverIsSaidWhereItIsPlaced) {
  const struct {
    const char* scene;
    const char* warning;  // "" for none
    const char* count;
  } cases[] = {
      {"#declare B = isosurface { function { P(x,y,z).gray } }\nsphere { 0, 1 }\n", "", ""},
      {"#declare B = isosurface { function { P(x,y,z).gray } }\nobject { B }\n"
       "object { B translate x }\n",
       ":2:14: warning: isosurface passed over", "2 isosurface objects passed over"},
      {"#declare U = union { sphere { 0, 1 } isosurface { function { P(x,y,z).gray } } }\n"
       "object { U }\n",
       ":2:38: warning: isosurface passed over", "1 isosurface objects passed over"},
      {"difference { box { -1, 1 } isosurface { function { P(x,y,z).gray } } }\n",
       ":2:28: warning: isosurface passed over", "1 isosurface objects passed over"},
  };
  for (const auto& c : cases) {
    const Reading r = ReadPovrayText(
        "#declare P = function { pigment { leopard } }\n" + std::string(c.scene), Placing());
    ASSERT_TRUE(r.scene) << c.scene;
    const std::string messages = Joined(r.host_messages);
    if (*c.warning == '\0') {
      EXPECT_EQ(messages, "") << c.scene;
      EXPECT_EQ(r.log.find("passed over"), std::string::npos) << c.scene << r.log;
    } else {
      EXPECT_EQ(r.host_messages.size(), 1u) << c.scene << messages;
      EXPECT_NE(messages.find(c.warning), std::string::npos) << c.scene << messages;
      EXPECT_NE(r.log.find(c.count), std::string::npos) << c.scene << r.log;
    }
  }
}

// Regions by the even-odd rule: the triangles cover exactly the area.
TEST(Shapes, EvenOddTriangulation) {
  using shapes::Point2;
  const struct {
    const char* name;
    std::vector<std::vector<Point2>> loops;
    double area;
  } cases[] = {
      {"square", {{{0, 0}, {2, 0}, {2, 2}, {0, 2}}}, 4},
      {"clockwise square", {{{0, 0}, {0, 2}, {2, 2}, {2, 0}}}, 4},
      {"square with a hole",
       {{{0, 0}, {3, 0}, {3, 3}, {0, 3}}, {{1, 1}, {2, 1}, {2, 2}, {1, 2}}},
       8},
      {"island in the hole",
       {{{0, 0}, {5, 0}, {5, 5}, {0, 5}},
        {{1, 1}, {4, 1}, {4, 4}, {1, 4}},
        {{2, 2}, {3, 2}, {3, 3}, {2, 3}}},
       17},
      {"two holes",
       {{{0, 0}, {6, 0}, {6, 3}, {0, 3}},
        {{1, 1}, {2, 1}, {2, 2}, {1, 2}},
        {{4, 1}, {5, 1}, {5, 2}, {4, 2}}},
       16},
      {"non-convex", {{{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}}}, 10},
      {"closed by its first point", {{{0, 0}, {1, 0}, {0, 1}, {0, 0}}}, 0.5},
  };
  for (const auto& c : cases) {
    std::vector<Point2> all;
    for (const auto& loop : c.loops) all.insert(all.end(), loop.begin(), loop.end());
    double area = 0;
    for (const auto& t : shapes::TriangulateEvenOdd(c.loops)) {
      const Point2 &a = all[t[0]], &b = all[t[1]], &d = all[t[2]];
      const double twice = (b.x - a.x) * (d.y - a.y) - (b.y - a.y) * (d.x - a.x);
      EXPECT_GT(twice, 0) << c.name << ": a triangle turned the wrong way";
      area += twice / 2;
    }
    EXPECT_NEAR(area, c.area, 1e-9) << c.name;
  }
}

}  // namespace

namespace {

// A blob's density from its buckets is the plain sum over its components,
// whatever their sizes and however they share the buckets.
// POV-Ray 3.7.0 has no lemon to judge ours by: its mesh is checked against
// the lemon's definition, worked out here on its own: every vertex on the
// arc of the inner radius through the two rims (its centre across the
// axis) or on an end disc, and the volume that of the arc turned about the
// axis. The arc's radius below the least is raised to it, with a warning.
TEST(Shapes, LemonMeshIsTheArcTurnedAboutItsAxis) {
  const struct {
    const char* lemon;
    double base_radius, cap_radius, inner;  // along z from 0 to 2
    bool warns;
  } cases[] = {
      {"lemon { <0,0,0>, 0.5, <0,0,2>, 0.3, 1.5 }", 0.5, 0.3, 1.5, false},
      {"lemon { <0,0,0>, 0, <0,0,2>, 0, 3 }", 0, 0, 3, false},
      {"lemon { <0,0,0>, 0.8, <0,0,2>, 0.8, 0.2 }", 0.8, 0.8, std::sqrt(0.64 + 1), true},
  };
  for (const auto& c : cases) {
    const Reading r = ReadPovrayText(std::string(c.lemon) + "\n", Placing());
    ASSERT_TRUE(r.scene) << c.lemon;
    EXPECT_EQ(!r.host_messages.empty(), c.warns) << c.lemon << Joined(r.host_messages);
    MMesh_P* mesh = FindMesh(*r.scene, "Lemon");
    ASSERT_NE(mesh, nullptr) << c.lemon;
    // The arc's centre (cr, ch) in (distance from the axis, height).
    const double a = c.base_radius, b = c.cap_radius, h = 2, radius = c.inner;
    const double half_chord = std::hypot(b - a, h) / 2;
    const double across = std::sqrt(radius * radius - half_chord * half_chord);
    const double cr = (a + b) / 2 - across * h / (2 * half_chord);
    const double ch = h / 2 + across * (b - a) / (2 * half_chord);
    ASSERT_LE(cr, 1e-9) << c.lemon << ": the centre is across the axis";
    const double size = cr + radius;
    for (int64_t i = 0; i < mesh->Get_Vertex_Count(); ++i) {
      const MVector3& v = mesh->Get_Vertex(i);
      const double rho = std::hypot(v.x, v.y);
      const bool on_end = (std::fabs(v.z) < 1e-9 && rho <= a + 1e-9) ||
                          (std::fabs(v.z - h) < 1e-9 && rho <= b + 1e-9);
      const double off = std::fabs(std::hypot(rho - cr, v.z - ch) - radius);
      EXPECT_TRUE(on_end || off < 0.01 * size)
          << c.lemon << ": vertex " << v.x << " " << v.y << " " << v.z << " off by " << off;
    }
    double volume = 0;
    for (int64_t f = 0; f < mesh->Get_Face_Count(); ++f) {
      ASSERT_EQ(mesh->Faces().CornerCount(f), 3);
      const int32_t* corner = mesh->Faces().Corners(f);
      const MVector3& p = mesh->Get_Vertex(corner[0]);
      const MVector3& q = mesh->Get_Vertex(corner[1]);
      const MVector3& w = mesh->Get_Vertex(corner[2]);
      volume += (p.x * (q.y * w.z - q.z * w.y) - p.y * (q.x * w.z - q.z * w.x) +
                 p.z * (q.x * w.y - q.y * w.x)) /
                6;
    }
    double expected = 0;
    const int kSlices = 20000;
    for (int k = 0; k < kSlices; ++k) {
      const double z = h * (k + 0.5) / kSlices;
      const double rho = cr + std::sqrt(radius * radius - (z - ch) * (z - ch));
      expected += M_PI * rho * rho * h / kSlices;
    }
    EXPECT_NEAR(std::fabs(volume), expected, 0.01 * expected) << c.lemon;
  }
}

TEST(Shapes, BlobDensityIsTheSumOfItsComponents) {
  shapes::Blob blob;
  blob.threshold = 0.6;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 60; ++i) {
    shapes::BlobComponent c;
    c.cylinder = i % 3 == 0;
    c.a = {3 * unit(random), 3 * unit(random), 3 * unit(random)};
    c.b = {c.a.x + unit(random), c.a.y + unit(random), c.a.z + unit(random)};
    c.radius = 0.2 + std::fabs(unit(random)) * (i % 7 == 0 ? 3 : 0.8);
    c.strength = unit(random) * 2;
    blob.components.push_back(c);
  }
  const shapes::BlobField field(blob);
  for (int n = 0; n < 20000; ++n) {
    const sdl::Vec3 p{4 * unit(random), 4 * unit(random), 4 * unit(random)};
    double sum = 0;
    for (const shapes::BlobComponent& c : blob.components) {
      sdl::Vec3 d{p.x - c.a.x, p.y - c.a.y, p.z - c.a.z};
      if (c.cylinder) {
        const sdl::Vec3 axis{c.b.x - c.a.x, c.b.y - c.a.y, c.b.z - c.a.z};
        const double t = std::clamp((d.x * axis.x + d.y * axis.y + d.z * axis.z) /
                                        (axis.x * axis.x + axis.y * axis.y + axis.z * axis.z),
                                    0.0, 1.0);
        d = {d.x - t * axis.x, d.y - t * axis.y, d.z - t * axis.z};
      }
      const double f = 1 - (d.x * d.x + d.y * d.y + d.z * d.z) / (c.radius * c.radius);
      if (f > 0) sum += c.strength * f * f;
    }
    ASSERT_NEAR(field.Density(p), sum, 1e-12) << p.x << " " << p.y << " " << p.z;
  }
}

}  // namespace
