// The built-in functions of functions.inc (internal(N)) as POV-Ray 3.7.0.10
// computes them: every expected value below was printed by POV-Ray's
// #debug, str(f(...), 0, 12), for the same call.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/test_support.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// The first vertex of the scene's mesh, whose x holds the value, or the
// reader's messages when there is none.
struct Outcome {
  double value = NAN;
  std::string messages;
};

Outcome FirstX(const std::string& text) {
  const Reading r = ReadPovrayText(
      text +
      "mesh2 { vertex_vectors { 3, <V,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } "
      "}\n");
  Outcome out;
  out.messages = Joined(r.host_messages);
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  if (mesh != nullptr) out.value = mesh->Get_Vertex(0).x;
  return out;
}

struct Case {
  const char* name;  // functions.inc's name
  int number;        // its internal(N)
  const char* args;
  double expected;  // POV-Ray's #debug
};

const Case kCases[] = {
    {"f_rounded_box", 60, "1, 2, 3, 0.1, 1, 1, 1", 2.272761103541},
    {"f_sphere", 61, "1, 2, 3, 1", 2.741657386774},
    {"f_torus", 70, "1, 0.5, 0, 1, 0.25", 0.250000000000},
    {"f_bicorn", 4, "-1.46, -1.16, -0.32, 1.09, 0.38", -4.655422438400},
    {"f_bicorn", 4, "-1.16, -0.8, 0.77, 0.39, 1.16", -0.770202267900},
    {"f_bicorn", 4, "0.49, -1.09, 0.11, 0.78, 0.74", -2.567595591600},
    {"f_bifolia", 5, "1.49, -1.22, -1.44, 1.42, 0.72", -10.000000000000},
    {"f_bifolia", 5, "-0.9, -0.51, -0.41, 1.44, 0.47", -2.545329326400},
    {"f_bifolia", 5, "-0.85, 0.25, 0.14, 1.44, 1.29", -0.587597630400},
    {"f_boy_surface", 8, "-0.21, -0.45, 0.51, 0.0149, 0.24", -0.015076778459},
    {"f_boy_surface", 8, "0.35, 0.56, 0.23, 0.0048, 1.24", -0.573312204221},
    {"f_boy_surface", 8, "0.34, -0.46, 0.21, 0.0048, 0.25", -0.046330037958},
    {"f_crossed_trough", 11, "-0.49, -0.5, -0.31, 1.04", 0.543996554400},
    {"f_crossed_trough", 11, "1.01, 1.38, 1.43, 1.49", 1.051943710100},
    {"f_crossed_trough", 11, "0.87, -0.58, -0.97, 1.01", 1.305088882100},
    {"f_cubic_saddle", 12, "0.14, 0.52, -1.22, 0.45", -0.486961200000},
    {"f_cubic_saddle", 12, "1.26, 0.3, 0.59, 0.32", -0.442680320000},
    {"f_cubic_saddle", 12, "-0.3, 1.23, 0.45, 1.49", 3.483421830000},
    {"f_cushion", 13, "-0.91, -0.14, 0.9, 0.78", 0.000912373800},
    {"f_cushion", 13, "0.87, 0.19, -1.15, 0.33", -2.112454492500},
    {"f_cushion", 13, "1.45, -1.14, -0.92, 0.64", -8.864283398400},
    {"f_devils_curve", 14, "0.64, 1.06, -0.07, 0.85", 0.813639303500},
    {"f_devils_curve", 14, "0.87, -0.67, -0.38, 1", -0.450571480000},
    {"f_devils_curve", 14, "0.41, -1.39, -1.16, 0.38", 0.387301213600},
    {"f_ellipsoid", 17, "0.68, 0.58, 1.42, 1.2, 0.53, 1.2", 1.914149095551},
    {"f_ellipsoid", 17, "1.46, -0.45, -1.47, 0.69, 0.57, 0.43", 1.216633642474},
    {"f_ellipsoid", 17, "-1.36, -1.13, 1.1, 0.26, 1, 0.47", 1.291983730548},
    {"f_folium_surface", 20, "-0.92, 0.96, -0.6, 0.44, 0.79, 1.1", 2.414688460800},
    {"f_folium_surface", 20, "0.07, 1.08, -0.3, 0.88, 1.13, 0.8", 0.825487027200},
    {"f_folium_surface", 20, "0.65, -0.1, -1.1, 0.36, 1.22, 1.17", -0.289873800000},
    {"f_glob", 22, "1.33, 0.57, 0.24, 0.42", 1.370373227853},
    {"f_glob", 22, "1.06, -1.14, -0.23, 0.38", -0.019816517856},
    {"f_glob", 22, "-0.36, -0.58, -0.22, 1.12", -0.424956256256},
    {"f_heart", 23, "0.12, -0.77, 0.84, 1.16", 0.367958482014},
    {"f_heart", 23, "0.98, -1.4, 0.34, 1.36", -10.000000000000},
    {"f_heart", 23, "-0.72, -0.89, 0.94, 0.67", -2.895211214001},
    {"f_hunt_surface", 30, "-0.3, 0.95, -0.35, 0.00092", 2.996312623930},
    {"f_hunt_surface", 30, "-0.86, -0.46, 0.59, 0.00136", 4.301863541244},
    {"f_hunt_surface", 30, "0.81, -1.3, -0.75, 0.00202", 2.185063470543},
    {"f_hyperbolic_torus", 31, "-0.06, -0, 1.31, 0.56, 0.44, 0.24", -2.134446860000},
    {"f_hyperbolic_torus", 31, "-0.05, -0.61, -0.08, 0.21, 0.2, 0.69", -0.001099226100},
    {"f_hyperbolic_torus", 31, "0.77, -0.6, 1.24, 0.95, 0.72, 1.21", -4.086001376000},
    {"f_kampyle_of_eudoxus", 33, "-0.8, 0.32, 1.04, 0.9, 0.62, 0.32", -1.050524098560},
    {"f_kampyle_of_eudoxus", 33, "0.22, -0.94, -0.38, 0.91, 1.42, 1.08", -1.036581909709},
    {"f_kampyle_of_eudoxus", 33, "0.06, 1.08, -0.57, 0.7, 1.08, 0.92", -1.046390168678},
    {"f_klein_bottle", 35, "-0.84, -0.27, 0.97, 0.52", 9.091878301072},
    {"f_klein_bottle", 35, "0.62, -1.36, 1.36, 1.09", -10.000000000000},
    {"f_klein_bottle", 35, "-0.53, 1.45, 0.89, 0.28", 6.728498218715},
    {"f_kummer_surface_v1", 36, "-0.76, -0.02, 1.49, 0.38", -0.828748494200},
    {"f_kummer_surface_v1", 36, "-1.36, -0.56, -1.37, 0.73", 0.465831914300},
    {"f_kummer_surface_v1", 36, "0.12, -0.18, -1.08, 0.23", -0.251503160000},
    {"f_kummer_surface_v2", 37, "0.91, -0.18, -0.06, 0.82, 1.09, 1.37, 1.28", -0.559455544216},
    {"f_kummer_surface_v2", 37, "0.68, -0.48, -0.99, 0.32, 1.32, 0.27, 0.94", -0.944501867136},
    {"f_kummer_surface_v2", 37, "1.23, -0.53, -0.33, 0.74, 1.43, 1.09, 1.29", -3.740072738038},
    {"f_lemniscate_of_gerono", 38, "-1.38, 0.69, -0.15, 0.72", -1.599076339200},
    {"f_lemniscate_of_gerono", 38, "0.95, 0.71, 1.23, 1.16", -2.237647250000},
    {"f_lemniscate_of_gerono", 38, "1.23, -0.22, 0.17, 1.22", -1.040985020200},
    {"f_mitre", 41, "-0.14, -1.09, 0.26, 1.33", -0.537028317700},
    {"f_mitre", 41, "1.11, -1.12, -0.36, 0.5", -6.687438420000},
    {"f_mitre", 41, "-0.48, 1.38, -0.24, 0.61", -2.350054670400},
    {"f_nodal_cubic", 42, "-0.68, -0.18, 0.51, 0.65", -0.440452350000},
    {"f_nodal_cubic", 42, "-0.94, -0.82, -0.72, 1.38", 6.164482080000},
    {"f_nodal_cubic", 42, "-0.99, 0.76, -1.18, 1.22", -5.095627680000},
    {"f_odd", 43, "-0.7, 0.84, -0.2, 0.3", -0.186697008000},
    {"f_odd", 43, "-1.22, 0.9, 0.13, 0.83", -2.317251444300},
    {"f_odd", 43, "-0.44, 0.57, -0.05, 0.28", 0.059243310000},
    {"f_ovals_of_cassini", 44, "0.3, -0.56, 1.04, 0.91, 1.21, 0.36, 1.12", -6.049307066348},
    {"f_ovals_of_cassini", 44, "0.33, 1.05, 1.15, 0.92, 0.97, 1.2, 0.54", -9.114403880432},
    {"f_ovals_of_cassini", 44, "0.13, 0.86, 0.28, 0.91, 1.31, 1.47, 0.54", -3.875132226238},
    {"f_paraboloid", 45, "-1.28, 0.34, -1.05, 1.46", -3.505314000000},
    {"f_paraboloid", 45, "-0.08, 0.1, 0.95, 1.33", -1.075837000000},
    {"f_paraboloid", 45, "-1.07, -0.14, -0.96, 0.8", -1.765200000000},
    {"f_parabolic_torus", 46, "-1.1, 1.13, -0.43, 0.71, 1.37, 1.27", -2.266200159100},
    {"f_parabolic_torus", 46, "-0.49, -0, 0.49, 0.44, 0.38, 1.31", -1.318957134000},
    {"f_parabolic_torus", 46, "-1.01, 0.62, 0.71, 0.97, 0.65, 1.32", -1.014388373700},
    {"f_ph", 47, "0.86, -1.29, 1.19", 2.291666597579},
    {"f_ph", 47, "0.41, -0.63, -0.99", 2.102299745436},
    {"f_ph", 47, "-1.21, 0.93, 1.04", 1.043059999746},
    {"f_pillow", 48, "-0.46, -0.96, -1.28, 0.74", 0.597088003200},
    {"f_pillow", 48, "-0.61, -1.34, -0.61, 1.27", 1.220846148600},
    {"f_pillow", 48, "-1.3, -0.29, 0.04, 0.41", 0.445864901700},
    {"f_piriform", 49, "-1.39, -1.28, -1.07, 1.47", 10.000000000000},
    {"f_piriform", 49, "1.09, 0.62, 1.2, 0.62", 1.203390618200},
    {"f_piriform", 49, "-0.75, 1.11, 0.32, 1.4", 2.901893750000},
    {"f_quartic_paraboloid", 54, "-0.42, -0.26, 0.65, 1.35", -0.633991333500},
    {"f_quartic_paraboloid", 54, "-1, -0.71, -1.46, 0.93", -5.815958260800},
    {"f_quartic_paraboloid", 54, "1.27, 0.2, -1.05, 1.1", -3.978647926000},
    {"f_quartic_saddle", 55, "0.45, -1.18, 1.24, 1.06", 1.211799960600},
    {"f_quartic_saddle", 55, "-0.03, -0.47, -1.02, 0.81", 0.496069393500},
    {"f_quartic_saddle", 55, "-0.4, -0.8, 0.44, 1.06", -0.835406182400},
    {"f_quartic_cylinder", 56, "1.36, 1.41, -0.1, 1.13, 0.69, 0.76", -5.080683806800},
    {"f_quartic_cylinder", 56, "0.2, 1.44, -1.37, 0.8, 0.64, 1.25", -5.064032072000},
    {"f_quartic_cylinder", 56, "1.35, -0.08, -1.26, 0.97, 0.96, 1.09", -2.889059145300},
    {"f_r", 57, "0.83, -0.11, 0.15", 0.850588031893},
    {"f_r", 57, "0.8, -1.42, -0.78", 1.806875756658},
    {"f_r", 57, "0.56, 1.43, 1.33", 2.031600354400},
    {"f_rounded_box", 60, "-0.65, 1.42, -0.66, 0.79, 0.41, 0.98, 0.71", 0.976747425781},
    {"f_rounded_box", 60, "0.56, 1.37, -1.12, 1.05, 0.98, 0.56, 0.25", 1.696433051639},
    {"f_rounded_box", 60, "1.32, 0.59, 0.38, 0.33, 1.37, 0.72, 0.8", 0.014092010682},
    {"f_sphere", 61, "0.17, -0.16, 1.36, 0.81", 0.569891300067},
    {"f_sphere", 61, "0.53, 0.82, 1.3, 0.42", 1.205822868581},
    {"f_sphere", 61, "-0.48, 1.35, 0.32, 0.68", 0.788094002440},
    {"f_steiners_roman", 65, "1.14, -1.14, -0.74, 0.29", -1.181455963200},
    {"f_steiners_roman", 65, "0.51, -0.04, -0.59, 0.77", -0.079733446100},
    {"f_steiners_roman", 65, "-0.74, 0.63, 0.78, 0.7", -0.299838168000},
    {"f_strophoid", 66, "1.11, -1.37, 0.2, 0.4, 0.35, 0.93, 0.31", 0.207165209040},
    {"f_strophoid", 66, "-1.28, -1.1, -0.37, 1.28, 0.58, 0.36, 1.2", -4.941341696000},
    {"f_strophoid", 66, "0.95, 1.49, -1.35, 0.41, 0.76, 1.49, 0.9", -0.382510012500},
    {"f_superellipsoid", 68, "1.15, -0.83, -0.09, 1.09, 0.49", -0.460118767018},
    {"f_superellipsoid", 68, "0.07, 0.97, 0.95, 1.11, 1.28", -0.499736479002},
    {"f_superellipsoid", 68, "1.49, 0.32, -0.75, 0.49, 0.27", -0.491922580373},
    {"f_th", 69, "1.26, 0.21, 0.31", 1.329555964011},
    {"f_th", 69, "1.12, 0.57, -0.32", 1.849095985800},
    {"f_th", 69, "0.26, -1.25, -0.74", 2.803714465350},
    {"f_torus", 70, "-0.47, 0.88, 0.48, 0.99, 0.71", 0.225766241462},
    {"f_torus", 70, "-0.44, -0.35, -1.35, 0.67, 1.38", -0.552448458064},
    {"f_torus", 70, "0.95, -0.75, -0, 1.17, 0.46", 0.321600921187},
    {"f_torus2", 71, "-0.43, 0.26, -0.94, 1.38, 0.22, 1.35", -0.276251712000},
    {"f_torus2", 71, "0.51, -0.31, -0.63, 1.33, 1.13, 0.47", 0.110191018700},
    {"f_torus2", 71, "-0.55, -1.22, 0.39, 0.75, 0.61, 1.12", -0.336343387500},
    {"f_torus_gumdrop", 72, "-0.74, -1.07, 0.89, 1.35", -2.088800244000},
    {"f_torus_gumdrop", 72, "0.92, 0.18, 0.65, 1.32", -1.600860360000},
    {"f_torus_gumdrop", 72, "-1.38, -0.6, -0.43, 1.15", -1.552097500000},
    {"f_umbrella", 73, "-0.49, 0.79, -0.73, 1.43", 0.258674130000},
    {"f_umbrella", 73, "-0.19, 0.27, 0.39, 1.27", 0.006308090000},
    {"f_umbrella", 73, "0.19, -0.87, -0.18, 0.93", -0.059787840000},
    {"f_witch_of_agnesi", 74, "-1.28, 0.99, -0.58, 1.4, 0.68", -2.727552800000},
    {"f_witch_of_agnesi", 74, "1.35, 0.67, -0.32, 1.11, 0.2", -1.358288130000},
    {"f_witch_of_agnesi", 74, "-1.25, 0.25, -0.58, 0.73, 1.12", 0.266650750000},
};

bool Near(double got, double expected) {
  return std::fabs(got - expected) <= 1e-6 * std::max(1.0, std::fabs(expected));
}

// Each call made directly by the parser, and from the body of another
// function.
TEST(InternalFunctions, GivePovraysValues) {
  for (const Case& c : kCases) {
    const std::string declare = "#declare " + std::string(c.name) + " = function { internal(" +
                                std::to_string(c.number) + ") }\n";
    const std::string call = std::string(c.name) + "(" + c.args + ")";
    const Outcome direct = FirstX(declare + "#declare V = " + call + ";\n");
    EXPECT_TRUE(direct.messages.empty()) << call << "\n" << direct.messages;
    EXPECT_TRUE(Near(direct.value, c.expected))
        << call << " gives " << direct.value << ", POV-Ray " << c.expected;
    const Outcome nested = FirstX(declare + "#declare G = function { 2 * " + call +
                                  " }\n#declare V = G(0, 0, 0) / 2;\n");
    EXPECT_TRUE(Near(nested.value, c.expected))
        << "from a function: " << call << " gives " << nested.value << ", POV-Ray " << c.expected
        << "\n"
        << nested.messages;
  }
}

// The parameters a declaration names give way to the function's own; a
// call with another number of arguments is an error at the call.
TEST(InternalFunctions, WrongArgumentCountIsAnError) {
  const Outcome few = FirstX(
      "#declare f_sphere = function { internal(61) }\n"
      "#declare V = f_sphere(1, 2, 3);\n");
  EXPECT_NE(few.messages.find("2:14"), std::string::npos) << few.messages;
  EXPECT_NE(few.messages.find("takes 4 arguments, found 3"), std::string::npos) << few.messages;
  const Outcome many = FirstX(
      "#declare f_rounded_box = function { internal(60) }\n"
      "#declare F = function { f_rounded_box(x, y, z, 0.1, 1, 1) }\n"
      "#declare V = 0;\n");
  EXPECT_NE(many.messages.find("takes 7 arguments, found 6"), std::string::npos) << many.messages;
}

// Those built on POV-Ray's noise are read, and a call gives 0 with one
// warning.
TEST(InternalFunctions, NoiseOnesGiveZero) {
  const Outcome noise = FirstX(
      "#declare f_noise3d = function { internal(76) }\n"
      "#declare f_ridged_mf = function { internal(59) }\n"
      "#declare V = f_noise3d(0.3, 0.2, 0.1) + f_ridged_mf(1, 2, 3, 0.5, 2, 6, 1, 1, 1);\n");
  EXPECT_EQ(noise.value, 0);
  EXPECT_NE(noise.messages.find("f_noise3d() and the others give 0 here"), std::string::npos)
      << noise.messages;
}

}  // namespace
