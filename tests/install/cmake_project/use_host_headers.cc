// A plug-in author's view of the installed headers: every header of the
// host interface compiles on its own, and the C interface links.
#include <cstdio>

#include "korvan/korvan_c.h"
#include "plugin/host/api.h"
#include "plugin/host/array.h"
#include "plugin/host/callbacks.h"
#include "plugin/host/display.h"
#include "plugin/host/file.h"
#include "plugin/host/log_file.h"
#include "plugin/host/memory.h"
#include "plugin/host/mlist.h"
#include "plugin/host/objects.h"
#include "plugin/host/options.h"
#include "plugin/host/plugin_api.h"
#include "plugin/host/polygon.h"
#include "plugin/host/scene.h"
#include "plugin/host/vector.h"

int main() {
  std::printf("plug-in interface %u, C interface %d\n", static_cast<unsigned>(kKorvanPluginVersion),
              korvan_c_version());
  return korvan_c_version() == KORVAN_C_VERSION ? 0 : 1;
}
