// The windows the importer shows, as plain calls. The windows themselves
// live in a companion module (libtarvo_in_ui.so beside the plug-in, on
// wxWidgets), opened the first time one is to be shown, so that an import
// on a terminal never loads the toolkit. Each modal window needs a display:
// without one it does nothing but print one line on stderr and answers as
// if cancelled. Strings in and out are the caller's. UI thread.
#pragma once

#include <locale.h>

#include <cstddef>
#include <string>

#include "ui/progress_window.h"

// Selects the plug-in's own resources and toolkit state for its lifetime
// and restores the caller's on every way out.
class ResourceContextGuard {
 public:
  ResourceContextGuard();
  ~ResourceContextGuard();
  ResourceContextGuard(const ResourceContextGuard&) = delete;
  ResourceContextGuard& operator=(const ResourceContextGuard&) = delete;

 private:
  locale_t saved_;
};

// Modal choice of one existing file, starting from `initial`, offering the
// "|"-pair `filter`. True with the full path in `chosen` on OK.
bool ChooseSceneFile(const char* initial, const char* filter, char* chosen, size_t capacity);
// What the configuration dialog edits (the log name in 260 bytes).
struct ConfigValues {
  char log_name[260] = {};
  int verbose = 0;
  int povray_syntax = 0;
  int place_objects = 1;
  int shapes = 1;            // POV-Ray's other shapes and CSG as meshes
  double tolerance = 0.005;  // their chord error, relative to each radius
  std::string library_path;
};

// The configuration dialog on `values`; they change only when it ends with
// OK, which answers 1.
int RunConfigDialog(ConfigValues* values);
void RunHelpDialog();
// The progress window of one import, shown at once; null when none can be
// shown. Closed (and deleted) by CloseProgressWindow.
ProgressWindow* OpenProgressWindow(const char* file_name);
void CloseProgressWindow(ProgressWindow* window);

// The windows' implementation, as the companion module hands it over.
struct WindowsModule {
  bool (*choose_scene_file)(const char* initial, const char* filter, char* chosen, size_t capacity);
  int (*run_config_dialog)(ConfigValues* values);
  void (*run_help_dialog)();
  // Whether the host runs the toolkit (a toolkit host such as korvan gui).
  bool (*host_runs_toolkit)();
  // A progress window of the toolkit, shown at once; null when none can be.
  ProgressWindow* (*open_progress_window)(const char* file_name);
  // Closes and deletes `window` when it is one of the module's; false otherwise.
  bool (*close_progress_window)(ProgressWindow* window);
};

// Uses `module` instead of opening the companion module: for programs that
// link the windows in (tests, tools). Not owned.
void UseWindowsModule(const WindowsModule* module);

// The name the companion module's table is found under.
constexpr char kWindowsModuleEntry[] = "tarvo_windows_module";
