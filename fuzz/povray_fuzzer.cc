// The POV-Ray-syntax reader on any bytes, with small bounds so that every
// input ends quickly: read the input into a fresh scene, walk what it
// built, destroy the scene, and check that every block the reading took
// from the host allocator came back.
#include <cstdlib>

#include "fuzz/fuzz_file.h"
#include "fuzz/scene_checks.h"
#include "sdl/povray_reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KORVAN_CONFIG_HOME", "/tmp/tarvo-fuzz-config", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzFile(data, size);
  PovrayReadOptions options;
  options.limits.loop_iterations = 2000;
  options.limits.macro_calls = 2000;
  options.limits.nesting = 40;
  options.limits.array_elements = 20000;
  options.limits.tokens = 200000;
  options.limits.bytes = 4000000;
  options.limits.value_bytes = 20000000;
  CheckReading(path, [&](MScene* scene) { ReadPovrayScene(scene, path.c_str(), options); });
  return 0;
}
