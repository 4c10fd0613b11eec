// The host's C interface from two threads at once, on any bytes: both
// imports of the same input run (one after the other, as the interface
// serialises them) and must give the same scene, whichever grammar the
// input chooses by its first byte. Small stored bounds keep every input
// quick.
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fuzz/fuzz_file.h"
#include "korvan/korvan_c.h"
#include "korvan/settings_store.h"

namespace {

struct Result {
  int status = -1;
  int meshes = 0;
  int64_t vertices = 0, faces = 0;
  int messages = 0;

  bool operator==(const Result& o) const {
    return status == o.status && meshes == o.meshes && vertices == o.vertices && faces == o.faces &&
           messages == o.messages;
  }
};

Result Import(const std::string& path, const char* grammar) {
  korvan_import_options options;
  korvan_import_options_init(&options);
  options.plugin_dir = TARVO_PLUGIN_DIR;
  options.grammar = grammar;
  korvan_scene* scene = korvan_import(path.c_str(), &options);
  Result result;
  if (scene == nullptr) return result;
  result.status = korvan_scene_status(scene);
  result.meshes = korvan_scene_mesh_count(scene);
  result.messages = korvan_scene_message_count(scene);
  for (int m = 0; m < result.meshes; ++m) {
    korvan_mesh_info info;
    if (!korvan_mesh_get_info(scene, m, &info)) std::abort();
    result.vertices += info.vertices;
    result.faces += info.faces;
  }
  korvan_scene_free(scene);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("KORVAN_CONFIG_HOME", "/tmp/tarvo-fuzz-c-api-config", 1);
  SettingsStore store;
  const char* const bounds[][2] = {
      {"max_loop_iterations", "2000"}, {"max_macro_calls", "2000"},
      {"max_nesting", "40"},           {"max_tokens", "200000"},
      {"max_bytes", "4000000"},        {"max_value_bytes", "20000000"}};
  for (const auto& bound : bounds) store.Set("tarvo_in/Specific Settings", bound[0], bound[1]);
  if (!store.Save()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char* grammar = (data[0] & 1) != 0 ? "povray" : "literal";
  const std::string& path = FuzzFile(data + 1, size - 1);
  Result first, second;
  std::thread other([&] { second = Import(path, grammar); });
  first = Import(path, grammar);
  other.join();
  if (!(first == second)) std::abort();
  return 0;
}
