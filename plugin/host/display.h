// Whether windows can be shown: the one check of the display, for the host's
// window and the plug-in's alike. The toolkit is not asked: on a display
// that cannot be opened it prints assertions and warnings of its own before
// it fails. One thread; a check owns its X connection until Release().
#pragma once

#include <string>

#include "plugin/host/api.h"

// Whether the environment names a display at all (WAYLAND_DISPLAY or
// DISPLAY): nothing is opened.
KORVAN_API bool MDisplayNamed();

class KORVAN_API MDisplayCheck {
 public:
  MDisplayCheck() = default;
  MDisplayCheck(const MDisplayCheck&) = delete;
  MDisplayCheck& operator=(const MDisplayCheck&) = delete;
  ~MDisplayCheck() { Release(); }

  // Whether the named display answers. A Wayland display is taken as it is
  // named; an X display is opened and kept open until Release(), because an
  // X server resets when its last client leaves, and a toolkit connecting
  // during that reset fails (Xvfb showed it): release once the toolkit has
  // its own connection.
  bool Check();
  // Why Check() answered false, as the end of a sentence ("there is none
  // (DISPLAY is not set)", "the display :87 cannot be opened").
  const std::string& problem() const { return problem_; }
  void Release();

 private:
  void* connection_ = nullptr;  // Xlib's Display*, opened through libX11 at run time
  std::string problem_;
};
