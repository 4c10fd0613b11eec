// The reader on any bytes: read the input as a scene file into a fresh
// scene (post-processing included), read every stored value and index back
// through the host's accessors, destroy the scene, and check that every
// block the reading took from the host allocator came back.
#include <cstdlib>

#include "fuzz/fuzz_file.h"
#include "fuzz/scene_checks.h"
#include "plugin/host/options.h"
#include "reader/reader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KORVAN_CONFIG_HOME", "/tmp/tarvo-fuzz-config", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzFile(data, size);
  static Import_FileOption* options = [] {
    // Overridden keys are never stored: no settings file per input.
    auto* o = new Import_FileOption("fuzz", "fuzz.log");
    return o;
  }();
  options->Set_Filename(path.c_str());
  CheckReading(path, [&](MScene* scene) { ReadSceneFile(scene, options); });
  return 0;
}
