// The windows the importer shows, as plain calls. Each modal one needs a
// display: without one it does nothing but print one line on stderr and
// answers as if cancelled. Strings in and out are the caller's. UI thread.
#pragma once

#include <locale.h>

#include <cstddef>

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
struct ConfigValues;
// The configuration dialog on `values`; they change only when it ends with
// OK, which answers 1.
int RunConfigDialog(ConfigValues* values);
void RunHelpDialog();
// The progress window of one import, shown at once; null when none can be
// shown. Closed (and deleted) by CloseProgressWindow.
ProgressWindow* OpenProgressWindow(const char* file_name);
void CloseProgressWindow(ProgressWindow* window);
