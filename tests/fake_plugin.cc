// Libraries that look like plug-ins and are not usable ones, one per
// FAKE_* definition, for the host's loading tests.
#include <cstdint>

#define EXPORT extern "C" __attribute__((visibility("default")))

#if defined(FAKE_NO_EXPORTS)
EXPORT int SomethingElse() { return 1; }
#else
EXPORT const char* LibName() { return "Fake"; }
EXPORT int LibNumberClasses() { return 1; }
EXPORT void* LibClassDescription(int) { return nullptr; }  // FAKE_NULL_DESCRIPTOR
#if defined(FAKE_BAD_VERSION)
EXPORT uint32_t LibVersion() { return 1234; }
#else
EXPORT uint32_t LibVersion() { return 2056; }
#endif
#endif
