#include "plugin/host/display.h"

#include <dlfcn.h>

#include <cstdlib>

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Xlib, opened when a display is to be checked: the host library itself
// stays free of it, so that commands without windows start at once.
struct Xlib {
  void* (*open_display)(const char*) = nullptr;
  int (*close_display)(void*) = nullptr;
};

const Xlib* LoadXlib() {
  static const Xlib* xlib = [] {
    void* library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr) return static_cast<Xlib*>(nullptr);
    auto* loaded = new Xlib;  // for the life of the process, as the library
    loaded->open_display = reinterpret_cast<void* (*)(const char*)>(dlsym(library, "XOpenDisplay"));
    loaded->close_display = reinterpret_cast<int (*)(void*)>(dlsym(library, "XCloseDisplay"));
    if (loaded->open_display == nullptr || loaded->close_display == nullptr) {
      delete loaded;
      return static_cast<Xlib*>(nullptr);
    }
    return loaded;
  }();
  return xlib;
}

}  // namespace

bool MDisplayNamed() { return Set("WAYLAND_DISPLAY") || Set("DISPLAY"); }

bool MDisplayCheck::Check() {
  Release();
  problem_.clear();
  if (Set("WAYLAND_DISPLAY")) return true;
  if (!Set("DISPLAY")) {
    problem_ = "there is none (DISPLAY is not set)";
    return false;
  }
  const Xlib* xlib = LoadXlib();
  if (xlib == nullptr) {
    problem_ = "the X library (libX11.so.6) cannot be loaded";
    return false;
  }
  connection_ = xlib->open_display(nullptr);
  if (connection_ == nullptr) {
    problem_ = std::string("the display ") + std::getenv("DISPLAY") + " cannot be opened";
    return false;
  }
  return true;
}

void MDisplayCheck::Release() {
  if (connection_ == nullptr) return;
  LoadXlib()->close_display(connection_);
  connection_ = nullptr;
}
