// The built-in function table against values POV-Ray's own #debug prints
// for the same calls (povray 3.7.0.10), and against the calls that do not
// fit an entry: each row one call, its value or the start of its message.
#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

namespace {

struct Call {
  const char* expression;
  const char* expected;  // the value's vstr/str text, or a message part
};

// The value of `expression` as the mesh's first vertex x reads it back.
std::string ValueOf(const std::string& expression, std::string* messages) {
  const Reading r = ReadPovrayText(
      "#declare V = " + expression +
      ";\nmesh2 { vertex_vectors { 3, <V, 0, 0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } "
      "}\n");
  for (const std::string& m : r.host_messages) *messages += m + "\n";
  MMesh_P* mesh = r.scene ? FindMesh(*r.scene, "obj_1") : nullptr;
  if (mesh == nullptr || !messages->empty()) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", mesh->Get_Vertex(0).x);
  return text;
}

TEST(Builtins, ValuesAsPovrayGivesThem) {
  const Call calls[] = {
      {"abs(-2.5)", "2.500000"},
      {"pow(2, 10)", "1024.000000"},
      {"mod(-7, 3)", "-1.000000"},
      {"div(-7, 2)", "-3.000000"},
      {"max(1, 5, 3)", "5.000000"},
      {"min(4, -2, 9)", "-2.000000"},
      {"select(-1, 10, 20)", "10.000000"},
      {"select(0, 10, 20, 30)", "20.000000"},
      {"bitwise_xor(12, 10, 1)", "7.000000"},
      {"vlength(<3, 4, 0>)", "5.000000"},
      {"vdot(x, <2, 3, 4>)", "2.000000"},
      {"vcross(x, y).z", "1.000000"},
      {"vrotate(x, <0, 0, 90>).y", "1.000000"},
      {"strlen(concat(\"ab\", \"cde\"))", "5.000000"},
      {"val(substr(\"x12.5y\", 2, 4))", "12.500000"},
      {"asc(chr(65))", "65.000000"},
      {"strcmp(\"a\", \"b\")", "-1.000000"},
      {"strlen(str(3.14159, 0, 2))", "4.000000"},
      {"strlen(vstr(3, <1, 2, 3>, \",\", 0, 1))", "11.000000"},
      {"degrees(pi)", "180.000000"},
      {"int(-2.7)", "-2.000000"},
      {"(sqrt(16) = 4 & 1)", "1.000000"},
  };
  for (const Call& c : calls) {
    std::string messages;
    EXPECT_EQ(ValueOf(c.expression, &messages), c.expected) << c.expression << "\n" << messages;
  }
}

TEST(Builtins, CallsThatDoNotFitSayWhy) {
  const Call calls[] = {
      {"pow(2)", "pow takes 2 arguments, found 1"},
      {"str(1, 2)", "str takes 3 arguments, found 2"},
      {"max()", "max takes at least 1 arguments, found 0"},
      {"sin(\"a\")", "argument 1 of sin must be a float, found a string"},
      {"strlen(3)", "argument 1 of strlen must be a string, found a float"},
      {"dimensions(3)", "argument 1 of dimensions must be an array, found a float"},
      {"concat(\"a\", 1)", "argument 2 of concat must be a string, found a float"},
      {"sqrt(-1)", "the argument of sqrt is outside its domain"},
      {"acos(2)", "the argument of acos is outside its domain"},
      {"mod(1, 0)", "division by zero in mod"},
      {"substr(\"abc\", 3, 5)", "substr reaches outside its string"},
      {"frobnicate(1)", "undefined identifier 'frobnicate'"},
  };
  for (const Call& c : calls) {
    std::string messages;
    ValueOf(c.expression, &messages);
    EXPECT_NE(messages.find(c.expected), std::string::npos) << c.expression << "\n" << messages;
  }
}

}  // namespace
