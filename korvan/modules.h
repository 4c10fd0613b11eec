// The host's parts that need large libraries, opened only when a command
// needs them: the export through TinyGLTF and Assimp (libkorvan_export.so) and the
// window (libkorvan_gui.so), both found beside the program. `korvan --version` or an
// import without output loads neither. A module opened stays loaded for the
// life of the process; what it hands out is owned by it. One thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "korvan/export.h"
#include "plugin/host/api.h"

// The export module's functions (see korvan/export.h).
struct ExportModule {
  std::vector<ExportFormat> (*formats)();
  const ExportFormat* (*find_by_id)(const std::string& id);
  const ExportFormat* (*find_for_extension)(const std::string& extension);
  bool (*export_scene)(MScene& scene, const std::string& path, const ExportFormat& format,
                       const ExportOptions& options, ExportReport* report,
                       const std::function<void()>& scene_read);
};

// The export module, opened on first use; null with `error` set when it
// cannot be loaded.
KORVAN_API const ExportModule* OpenExportModule(std::string* error);

// Runs the host's window (`korvan gui`) from its module; the exit status.
KORVAN_API int RunGuiModule(const std::string& scene, const std::string& plugin_dir);

// The folder of the running program (no trailing slash).
KORVAN_API std::string ProgramFolder();

// The names of what the modules export.
constexpr char kExportModuleEntry[] = "korvan_export_module";
constexpr char kGuiModuleEntry[] = "korvan_run_gui";
