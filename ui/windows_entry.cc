// The entry of libtarvo_in_ui.so, the plug-in's companion module with its
// windows: the one symbol it exports.
#include "ui/windows.h"

extern "C" __attribute__((visibility("default"))) const WindowsModule* tarvo_windows_module() {
  return WxWindows();
}
