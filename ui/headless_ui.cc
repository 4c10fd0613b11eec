// The user interface where the toolkit is not built in: no window can be
// shown, so every modal operation reports that once and is cancelled.
#include <cstdio>

#include "ui/user_interface.h"

namespace {
void NoDisplay(const char* what) {
  std::fprintf(stderr, "tarvo_in: %s needs a display; this build has no user interface\n", what);
}
}  // namespace

ResourceContextGuard::ResourceContextGuard() = default;
ResourceContextGuard::~ResourceContextGuard() = default;

bool ChooseSceneFile(const char*, const char*, char*, size_t) {
  NoDisplay("the open-file dialog");
  return false;
}

int RunConfigDialog(char*, int*) {
  NoDisplay("the configuration dialog");
  return 0;
}

void RunHelpDialog() { NoDisplay("the help dialog"); }

ProgressWindow* OpenProgressWindow(const char*) { return nullptr; }

void CloseProgressWindow(ProgressWindow* window) { delete window; }
