#include "sdl/budget.h"

#include <pthread.h>

namespace sdl {

namespace {

// Room kept below the deepest nesting check: a message, a log line and the
// sanitizers' own frames all fit in it.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVO_STACK_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TARVO_STACK_SANITIZED)
constexpr uintptr_t kStackReserve = 192 * 1024;
#else
constexpr uintptr_t kStackReserve = 96 * 1024;
#endif

}  // namespace

void Budget::Exceeded(const char* what, const char* setting, int64_t bound, const Position& at) {
  throw FatalError{"the reading stops: more than " + std::to_string(bound) + " " + what +
                       " (the bound " + setting + " of the settings)",
                   at};
}

void Budget::CheckStop(const Position& at) const {
  if (stop_ != nullptr && stop_(stop_context_)) {
    throw FatalError{"the reading stops: the import was cancelled or ran out of its time", at};
  }
}

uintptr_t StackFloor() {
  pthread_attr_t attributes;
  void* low = nullptr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  const bool known = pthread_attr_getstack(&attributes, &low, &size) == 0;
  pthread_attr_destroy(&attributes);
  if (!known) return 0;
  const uintptr_t reserve = size > kStackReserve * 2 ? kStackReserve : size / 2;
  return reinterpret_cast<uintptr_t>(low) + reserve;
}

}  // namespace sdl
