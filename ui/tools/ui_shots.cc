// ui_shots DIR: shows the plug-in's three windows as an import shows them
// and saves a picture of each into DIR (progress.png, configure.png,
// help.png). Run by scripts/screenshots under Xvfb.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/config_dialog.h"
#include "ui/help_dialog.h"
#include "ui/progress_callbacks.h"
#include "ui/progress_window_wx.h"
#include "ui/toolkit.h"
#include "ui/user_interface.h"
#include "ui/windows.h"

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    RunPendingMessages();
    usleep(25000);
  }
}

// The window with its frame, as the X server shows it (ImageMagick's
// import reads the screen).
bool Save(wxWindow* window, const std::string& path) {
  window->Raise();
  Settle();
  const wxRect rect = window->GetRect();
  const std::string command = "import -window root -crop " + std::to_string(rect.width) + "x" +
                              std::to_string(rect.height) + "+" + std::to_string(rect.x) + "+" +
                              std::to_string(rect.y) + " +repage '" + path + "'";
  const bool saved = std::system(command.c_str()) == 0;
  std::printf("%s %s\n", saved ? "wrote" : "cannot write", path.c_str());
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  UseWindowsModule(WxWindows());  // linked in: no companion module
  if (argc != 2 || !EnsureToolkit()) {
    std::fprintf(stderr, "usage: ui_shots DIR (needs a display)\n");
    return 1;
  }
  const std::string dir = argv[1];
  bool ok = true;

  ProgressWindow* progress = OpenProgressWindow("/home/ana/scenes/terrain_grid.pov");
  g_progressWindow = progress;
  Bar1Progress(0, 22000000);
  Bar1Message(const_cast<char*>("Parsing ..."));
  for (long position = 0; position <= 9460000; position += 220000) Bar1Progress(position, 22000000);
  ok = Save(static_cast<CProgressWindow*>(progress), dir + "/progress.png") && ok;
  g_progressWindow = nullptr;
  CloseProgressWindow(progress);

  auto* config = new CConfigDialog(nullptr);
  config->m_verbose = 1;
  std::snprintf(config->m_logFileName, sizeof config->m_logFileName, "tarvoin.log");
  config->InitControls();
  config->Show();
  ok = Save(config, dir + "/configure.png") && ok;
  config->Destroy();

  auto* help = new CHelpDialog(nullptr);
  help->Show();
  ok = Save(help, dir + "/help.png") && ok;
  help->Destroy();
  Settle();
  return ok ? 0 : 1;
}
