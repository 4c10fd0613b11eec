#include "tests/test_files.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

const std::string& TestDir() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/tarvo-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made) + "/";
  }();
  return dir;
}

std::string WriteTestFile(const std::string& name, const std::string& contents) {
  const std::string path = TestDir() + name;
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
