// durability_writer store|options PLUGIN OPTIONS_FILE: writes the settings
// store (KORVAN_CONFIG_HOME) or the options file over and over, alternating
// two versions, until it is killed. The durability test kills it at random
// moments and then checks that the file is one whole version.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "korvan/settings_store.h"
#include "plugin/host/plugin_api.h"

// A version's scene file name: long, so that writing it takes a while.
std::string Version(char which) { return std::string(1, which) + std::string(1000000, which); }

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const bool store_mode = std::strcmp(argv[1], "store") == 0;
  void* plugin = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) return 1;
  auto describe = reinterpret_cast<LibClassDescriptionFunc>(dlsym(plugin, "LibClassDescription"));
  ImporterBase* importer = describe(0)->Create();
  bool announced = false;
  for (char which = 'A';; which = which == 'A' ? 'B' : 'A') {
    if (which == 'B' && !announced) {
      // A first whole version is on disk: from now on a kill may come.
      std::puts("ready");
      std::fflush(stdout);
      announced = true;
    }
    if (store_mode) {
      SettingsStore store;
      store.Set("tarvo_in", "file_name", Version(which));
      store.Save();
    } else {
      // The importer's options take this value; the store is not written.
      SettingsStore::SetOverride("*", "file_name", Version(which));
      importer->SaveOptions(argv[3]);
    }
  }
}
