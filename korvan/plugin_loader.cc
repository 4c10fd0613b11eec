#include "korvan/plugin_loader.h"

#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <set>

#include "korvan/modules.h"
#include "korvan/text.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Appends `folder` unless it is empty or names a folder already listed.
void AddFolder(const std::string& folder, std::vector<std::string>* folders,
               std::set<std::string>* seen) {
  if (folder.empty()) return;
  char real[PATH_MAX];
  const std::string key = realpath(folder.c_str(), real) != nullptr ? real : folder;
  if (seen->insert(key).second) folders->push_back(folder);
}

bool SameFolder(const std::string& a, const std::string& b) {
  char real_a[PATH_MAX], real_b[PATH_MAX];
  if (realpath(a.c_str(), real_a) == nullptr || realpath(b.c_str(), real_b) == nullptr) {
    return a == b;
  }
  return std::string(real_a) == real_b;
}

}  // namespace

std::string LibraryFolder() {
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &self) == 0 || self.dli_fname == nullptr) {
    return ProgramFolder();
  }
  // The loader names the library by the run path it was found through
  // ("bin/../lib/libkorvan.so.1"): the plain path reads better in messages.
  char real[PATH_MAX];
  const std::string path = realpath(self.dli_fname, real) != nullptr ? real : self.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> PluginFolders(const char* dir) {
  if (dir != nullptr && *dir != '\0') return {dir};
  std::vector<std::string> folders;
  std::set<std::string> seen;
  if (const char* path = std::getenv("KORVAN_PLUGIN_PATH"); path != nullptr) {
    for (const std::string& folder : Split(path, ':')) AddFolder(folder, &folders, &seen);
  }
  // The program's folder holds plug-ins only in the build tree's layout,
  // with the library beside the program; installed, it is bin/, where
  // other programs' files lie (/usr/bin/ld.so).
  const std::string library = LibraryFolder();
  if (SameFolder(ProgramFolder(), library)) AddFolder(library, &folders, &seen);
  AddFolder(library + "/" KORVAN_PLUGIN_SUBDIR, &folders, &seen);
  return folders;
}

std::vector<std::string> ModuleFolders() {
  std::vector<std::string> folders;
  std::set<std::string> seen;
  AddFolder(ProgramFolder(), &folders, &seen);
  AddFolder(LibraryFolder() + "/" KORVAN_MODULE_SUBDIR, &folders, &seen);
  return folders;
}

bool LoadPlugin(const std::string& path, LoadedPlugin* plugin, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    *error = path + ": not a loadable library (" + (why != nullptr ? why : "unknown") + ")";
    return false;
  }
  auto name = reinterpret_cast<LibNameFunc>(dlsym(handle, "LibName"));
  auto count = reinterpret_cast<LibNumberClassesFunc>(dlsym(handle, "LibNumberClasses"));
  auto describe = reinterpret_cast<LibClassDescriptionFunc>(dlsym(handle, "LibClassDescription"));
  auto version = reinterpret_cast<LibVersionFunc>(dlsym(handle, "LibVersion"));
  std::string problem;
  if (name == nullptr || count == nullptr || describe == nullptr || version == nullptr) {
    problem =
        "not a korvan plug-in (LibName, LibNumberClasses, LibClassDescription or "
        "LibVersion missing)";
  } else if (version() != kKorvanPluginVersion) {
    problem = "interface version " + std::to_string(version()) + ", expected " +
              std::to_string(kKorvanPluginVersion);
  } else {
    plugin->path = path;
    plugin->name = name() != nullptr ? name() : "";
    plugin->version = version();
    plugin->classes.clear();
    const int n = count();
    for (int i = 0; i < n && problem.empty(); ++i) {
      ClassDescriptorBase* descriptor = describe(i);
      if (descriptor == nullptr) {
        problem = "class " + std::to_string(i) + " of " + std::to_string(n) + " has no descriptor";
      } else {
        plugin->classes.push_back(descriptor);
      }
    }
  }
  if (!problem.empty()) {
    *error = path + ": " + problem;
    dlclose(handle);
    return false;
  }
  return true;  // the library stays loaded: its descriptors are in use
}

PluginSet LoadPlugins(const std::vector<std::string>& folders) {
  PluginSet set;
  std::set<std::string> loaded;  // file names: an earlier folder's copy wins
  for (const std::string& folder : folders) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) continue;
    std::vector<std::string> files;
    while (dirent* entry = readdir(dir)) {
      const std::string file = entry->d_name;
      if (EndsWith(file, ".so") && file.rfind("lib", 0) != 0) files.push_back(file);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
      if (!loaded.insert(file).second) continue;
      LoadedPlugin plugin;
      std::string error;
      if (LoadPlugin(folder + "/" + file, &plugin, &error)) {
        set.plugins.push_back(plugin);
      } else {
        set.errors.push_back(error);
      }
    }
  }
  return set;
}

std::vector<std::string> FilterPatterns(const char* filter) {
  std::vector<std::string> patterns;
  if (filter == nullptr) return patterns;
  const std::vector<std::string> items = Split(filter, '|');
  for (size_t i = 1; i < items.size(); i += 2) {  // description, patterns, ...
    for (const std::string& pattern : Split(items[i], ';')) {
      if (!pattern.empty() && pattern != "*.*" && pattern != "*") patterns.push_back(pattern);
    }
  }
  return patterns;
}

bool MatchesPatterns(const std::string& file, const std::vector<std::string>& patterns) {
  const std::string lower = Lower(file);
  for (const std::string& pattern : patterns) {
    if (pattern.rfind("*", 0) == 0 && EndsWith(lower, Lower(pattern.substr(1)))) return true;
  }
  return false;
}
