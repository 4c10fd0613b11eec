// Test entry: settings go to the run's own folder, never the user's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/test_files.h"

int main(int argc, char** argv) {
  setenv("KORVAN_CONFIG_HOME", (TestDir() + "config").c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::filesystem::remove_all(TestDir());
  return result;
}
