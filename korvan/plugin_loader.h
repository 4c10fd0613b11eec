// Finding and loading plug-in libraries: every "*.so" in the plug-in
// folders whose name does not start with "lib" (those are libraries, not
// plug-ins) is opened with dlopen, checked for the four exports and the
// interface version, and its class descriptors enumerated. A library that
// fails any check is reported in one line and closed; the others load; a
// file name already loaded from an earlier folder is passed over.
// Loaded libraries stay open for the life of the process. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/host/api.h"
#include "plugin/host/plugin_api.h"

struct LoadedPlugin {
  std::string path;
  std::string name;  // LibName()
  uint32_t version = 0;
  std::vector<ClassDescriptorBase*> classes;  // owned by the library
};

struct PluginSet {
  std::vector<LoadedPlugin> plugins;
  std::vector<std::string> errors;  // one line per library that failed
};

// The plug-in folders: `dir` when given, else the entries of
// KORVAN_PLUGIN_PATH (":"-separated), then the folder of the program when
// the host library lies in it too (the build tree's layout), then the
// installed plug-in folder beside the host library (lib/korvan/plugins),
// each once.
KORVAN_API std::vector<std::string> PluginFolders(const char* dir);
// The folder of the host library itself (no trailing slash).
KORVAN_API std::string LibraryFolder();
// The folders where the host's modules may lie: beside the program, then
// the installed module folder beside the host library (lib/korvan).
KORVAN_API std::vector<std::string> ModuleFolders();
KORVAN_API PluginSet LoadPlugins(const std::vector<std::string>& folders);
// Loads one library; false with `error` set when it is not a usable plug-in.
KORVAN_API bool LoadPlugin(const std::string& path, LoadedPlugin* plugin, std::string* error);

// The patterns of a "|"-pair filter ("desc|*.a;*.b|...||"), "*.*" left out.
KORVAN_API std::vector<std::string> FilterPatterns(const char* filter);
// Whether `file` matches one of the "*.ext" patterns (case-insensitive).
KORVAN_API bool MatchesPatterns(const std::string& file, const std::vector<std::string>& patterns);
