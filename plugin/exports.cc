// The library's four exports; everything else stays hidden.
#include <cstdint>

#include "plugin/descriptor.h"

#define TARVO_EXPORT extern "C" __attribute__((visibility("default")))

TARVO_EXPORT const char* LibName() noexcept { return "Tarvo Import Lib"; }

TARVO_EXPORT int LibNumberClasses() noexcept { return 1; }

TARVO_EXPORT ClassDescriptorBase* LibClassDescription(int index) noexcept {
  return index == 0 ? TheDescriptor() : nullptr;
}

TARVO_EXPORT uint32_t LibVersion() noexcept { return kKorvanPluginVersion; }
