#include "korvan/gui/gui_main.h"

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

#include "korvan/gui/main_frame.h"

namespace {

class KorvanApp : public wxApp {
 public:
  KorvanApp(std::string scene, std::string plugin_dir)
      : scene_(std::move(scene)), plugin_dir_(std::move(plugin_dir)) {}

  bool OnInit() override {
    auto* frame = new MainFrame(plugin_dir_);
    frame->Show();
    SetTopWindow(frame);
    if (!scene_.empty()) frame->CallAfter([frame, scene = scene_] { frame->OpenScene(scene); });
    return true;
  }

 private:
  std::string scene_, plugin_dir_;
};

}  // namespace

int RunGui(const std::string& scene, const std::string& plugin_dir) {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x == nullptr || *x == '\0') && (wayland == nullptr || *wayland == '\0')) {
    std::fprintf(stderr, "korvan: gui needs a display (DISPLAY is not set)\n");
    return 1;
  }
  wxApp::SetInstance(new KorvanApp(scene, plugin_dir));
  int argc = 1;
  char name[] = "korvan";
  char* argv[] = {name, nullptr};
  return wxEntry(argc, argv);
}
