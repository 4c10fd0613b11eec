#include "korvan/gui/gui_main.h"

#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>

#include "korvan/gui/main_frame.h"
#include "plugin/host/display.h"

namespace {

class KorvanApp : public wxApp {
 public:
  KorvanApp(std::string scene, std::string plugin_dir, MDisplayCheck* display)
      : scene_(std::move(scene)), plugin_dir_(std::move(plugin_dir)), display_(display) {}

  bool OnInit() override {
    display_->Release();  // the toolkit has its own connection now
    auto* frame = new MainFrame(plugin_dir_);
    frame->Show();
    SetTopWindow(frame);
    if (!scene_.empty()) frame->CallAfter([frame, scene = scene_] { frame->OpenScene(scene); });
    return true;
  }

 private:
  std::string scene_, plugin_dir_;
  MDisplayCheck* display_;  // RunGui's, which outlives the application
};

}  // namespace

int RunGui(const std::string& scene, const std::string& plugin_dir) {
  MDisplayCheck display;
  if (!display.Check()) {
    std::fprintf(stderr, "korvan: gui needs a display, and %s\n", display.problem().c_str());
    return 1;
  }
  wxApp::SetInstance(new KorvanApp(scene, plugin_dir, &display));
  int argc = 1;
  char name[] = "korvan";
  char* argv[] = {name, nullptr};
  return wxEntry(argc, argv);
}
