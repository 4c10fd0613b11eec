// Any byte sequence is a valid input: the reading ends with an outcome line,
// writes nothing outside its buffers (the sanitizer build checks that) and
// the scene frees everything it was given.
#include <gtest/gtest.h>

#include <string>

#include "korvan/memory_stats.h"
#include "korvan/scene_json.h"
#include "tests/test_support.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

bool HasOutcome(const std::string& log) {
  return log.find("lines parsed\n") != std::string::npos ||
         log.find("###Error in line ") != std::string::npos;
}

// Reads `text`, walks the scene, and checks the outcome line and the memory.
void ReadSurvives(const std::string& text, const std::string& label) {
  const int64_t before = korvan_live_blocks();
  {
    Reading r = ReadSceneText(text);
    EXPECT_TRUE(HasOutcome(r.log)) << label;
    SceneToJson(*r.scene);  // every stored index and value is read back
  }
  EXPECT_EQ(korvan_live_blocks(), before) << label;
}

TEST(HostileInput, Table) {
  struct Case {
    std::string label, text;
  };
  std::string nested = "mesh2 { ";
  for (int i = 0; i < 1000000; ++i) nested += "{";
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xff);
  const Case cases[] = {
      {"NUL bytes", std::string("triangle\0{\0<0,0,0>,<1,0,0>,<0,1,0>}\0\0", 36)},
      {"binary", binary},
      {"10 MB token", std::string(10 << 20, '7') + " triangle"},
      {"1 MB number", "triangle { <" + std::string(1 << 20, '9') + ",0,0>,<1,0,0>,<0,1,0> }"},
      {"1,000,000 nested braces in mesh2", nested},
      {"1,000,000 nested braces at top", std::string(1000000, '{') + std::string(1000000, '}')},
      {"lying counts", "mesh2 { vertex_vectors { 2147483647, <1,2,3> } }"},
      {"negative count", "mesh2 { face_indices { -2147483648, } }"},
      {"huge indices",
       "mesh2 { vertex_vectors { 1, <0,0,0> } face_indices { 2, <-1,2147483647,-2147483648>, "
       "99999999999999, <5,5,5>, -7 } normal_indices { 2, <-9,9,9>, <1,1,1> } "
       "uv_indices { 2, <-1,-1,-1>, <0,0,0> } }"},
      {"truncated mesh2", "mesh2 { face_indices { 2, <0,1,2>, "},
      {"truncated face texture", "mesh2 { face_indices { 1, <0,1,2>, "},
      {"texture_list of 2e9 in a small file", "mesh2 { texture_list { 2000000000, } }"},
      {"unbalanced", "} } } mesh { } } } triangle } {"},
      {"only a slash", "/"},
      {"CR only", "\r\r\r"},
  };
  for (const auto& c : cases) ReadSurvives(c.text, c.label);
}

TEST(HostileInput, EveryTruncationOfAnExample) {
  const std::string cube = ReadWholeFile(kSource + "/examples/cube.pov");
  ASSERT_FALSE(cube.empty());
  for (size_t n = 0; n <= cube.size(); n += 7) {
    ReadSurvives(cube.substr(0, n), "cube.pov cut at " + std::to_string(n));
  }
}

}  // namespace
