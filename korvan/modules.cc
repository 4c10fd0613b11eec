#include "korvan/modules.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

#include "korvan/plugin_loader.h"

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = '\0';
  std::string folder(path);
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? "." : folder.substr(0, slash);
}

namespace {

// The entry `symbol` of module `name` in the first module folder that has
// it (beside the program, else the installed lib/korvan); null with `error`.
void* ModuleEntry(const char* name, const char* symbol, std::string* error) {
  std::string path;
  for (const std::string& folder : ModuleFolders()) {
    path = folder + "/" + name;
    if (access(path.c_str(), F_OK) == 0) break;
  }
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    *error = dlerror();
    return nullptr;
  }
  void* entry = dlsym(module, symbol);
  if (entry == nullptr) *error = path + " has no " + symbol;
  return entry;
}

}  // namespace

const ExportModule* OpenExportModule(std::string* error) {
  static std::string failure;
  static const ExportModule* module = [] {
    using Entry = const ExportModule* (*)();
    auto entry =
        reinterpret_cast<Entry>(ModuleEntry("libkorvan_export.so", kExportModuleEntry, &failure));
    return entry != nullptr ? entry() : nullptr;
  }();
  if (module == nullptr && error != nullptr) *error = failure;
  return module;
}

int RunGuiModule(const std::string& scene, const std::string& plugin_dir) {
  std::string error;
  using Entry = int (*)(const char*, const char*);
  auto entry = reinterpret_cast<Entry>(ModuleEntry("libkorvan_gui.so", kGuiModuleEntry, &error));
  if (entry == nullptr) {
    std::fprintf(stderr, "korvan: the window cannot be opened: %s\n", error.c_str());
    return 1;
  }
  return entry(scene.c_str(), plugin_dir.c_str());
}
