// Reads each scene of examples/ and compares the reader's whole log and the
// resulting scene with the expected texts in tests/golden/. Run with
// TARVO_UPDATE_GOLDEN=1 to write the files anew (then review the diff).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "korvan/scene_json.h"
#include "tests/test_support.h"

namespace {

const std::string kSource = TARVO_SOURCE_DIR;

void CompareWithGolden(const std::string& actual, const std::string& golden_name) {
  const std::string path = kSource + "/tests/golden/" + golden_name;
  if (std::getenv("TARVO_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  EXPECT_EQ(actual, ReadWholeFile(path)) << "golden file: " << path;
}

class Golden : public testing::TestWithParam<const char*> {};

TEST_P(Golden, LogAndScene) {
  const std::string name = GetParam();
  Reading r = ReadScenePath(kSource + "/examples/" + name);
  CompareWithGolden(r.log, name + ".log");
  CompareWithGolden(SceneToJson(*r.scene), name + ".json");
}

INSTANTIATE_TEST_SUITE_P(Examples, Golden,
                         testing::Values("triangles.pov", "mesh_blocks.pov", "cube.pov", "quad.inc",
                                         "broken.pov"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '.') c = '_';
                           }
                           return name;
                         });

}  // namespace
