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
    {"f_sphere", 61, "-0.14, 0.18, 1.27, 0.81", 0.480310040262},
    {"f_sphere", 61, "0.02, 0.26, -0.95, 0.87", 0.115139584018},
    {"f_rounded_box", 60, "0.39, 0.88, -1.22, 0.59, 0.32, 1.25, 1.1", 0.404031192638},
    {"f_rounded_box", 60, "-1.37, 1.45, 1.39, 1.05, 1, 0.4, 0.22", 2.319687412895},
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
