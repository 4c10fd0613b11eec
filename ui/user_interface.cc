// The importer's windows as plain calls: the console form of the progress
// here, everything else from the companion module, opened on first use.
#include "ui/user_interface.h"

#include <dlfcn.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "plugin/host/display.h"
#include "ui/console_progress.h"

namespace {

locale_t CLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

}  // namespace

// The plug-in reads and writes numbers in the C locale whatever the host's
// toolkit has set; the caller's locale comes back on every way out.
ResourceContextGuard::ResourceContextGuard() : saved_(uselocale(CLocale())) {}
ResourceContextGuard::~ResourceContextGuard() { uselocale(saved_); }

namespace {

const WindowsModule* g_windows = nullptr;  // set once; static, never freed
bool g_tried = false;

// The companion module beside this library, opened once.
const WindowsModule* Windows() {
  if (g_windows != nullptr || g_tried) return g_windows;
  g_tried = true;
  Dl_info self;
  if (dladdr(reinterpret_cast<void*>(&Windows), &self) == 0 || self.dli_fname == nullptr) {
    std::fprintf(stderr, "tarvo_in: cannot tell where the plug-in lies; no windows\n");
    return nullptr;
  }
  std::string path = self.dli_fname;
  const size_t slash = path.rfind('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
         "libtarvo_in_ui.so";
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  using Entry = const WindowsModule* (*)();
  auto entry =
      module != nullptr ? reinterpret_cast<Entry>(dlsym(module, kWindowsModuleEntry)) : nullptr;
  if (entry == nullptr) {
    std::fprintf(stderr, "tarvo_in: the windows cannot be loaded: %s\n",
                 module == nullptr ? dlerror() : "no entry in the module");
    return nullptr;
  }
  g_windows = entry();
  return g_windows;
}

// Whether the process has the toolkit loaded already (a toolkit host): only
// then is the module asked, so a console host never loads the toolkit.
bool ToolkitInProcess() {
  void* wx = dlopen("libwx_baseu-3.2.so.0", RTLD_LAZY | RTLD_NOLOAD);
  if (wx == nullptr) return false;
  dlclose(wx);
  return true;
}

}  // namespace

void UseWindowsModule(const WindowsModule* module) {
  g_windows = module;
  g_tried = true;
}

bool ChooseSceneFile(const char* initial, const char* filter, char* chosen, size_t capacity) {
  const WindowsModule* windows = Windows();
  return windows != nullptr && windows->choose_scene_file(initial, filter, chosen, capacity);
}

int RunConfigDialog(ConfigValues* values) {
  const WindowsModule* windows = Windows();
  return windows != nullptr ? windows->run_config_dialog(values) : 0;
}

void RunHelpDialog() {
  if (const WindowsModule* windows = Windows()) windows->run_help_dialog();
}

ProgressWindow* OpenProgressWindow(const char* file_name) {
  // The progress shows where the user is looking: in a window beside the
  // host's when the host runs the toolkit, on the terminal of a command-line
  // host (starting the toolkit there would cost more than many an import),
  // and in a window of the plug-in's own when such a host has no terminal.
  const bool toolkit_host =
      ToolkitInProcess() && Windows() != nullptr && Windows()->host_runs_toolkit();
  if (!toolkit_host && isatty(fileno(stderr))) return new ConsoleProgress(stderr, file_name);
  if (!toolkit_host && !MDisplayNamed()) return nullptr;  // no window can show: none is loaded
  const WindowsModule* windows = Windows();
  return windows != nullptr ? windows->open_progress_window(file_name) : nullptr;
}

void CloseProgressWindow(ProgressWindow* window) {
  if (window == nullptr) return;
  if (g_windows != nullptr && g_windows->close_progress_window(window)) return;
  delete window;  // the console form
}
