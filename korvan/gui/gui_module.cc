// The entry of libkorvan_gui.so: the host's window as a module.
#include "korvan/gui/gui_main.h"

extern "C" __attribute__((visibility("default"))) int korvan_run_gui(const char* scene,
                                                                     const char* plugin_dir) {
  return RunGui(scene != nullptr ? scene : "", plugin_dir != nullptr ? plugin_dir : "");
}
