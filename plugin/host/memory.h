// The host allocator. Every object, list node and text that crosses the
// plug-in boundary comes from my_malloc / my_strdup and goes back through
// my_free, so either side may free what the other made. Thread-safe.
#pragma once

#include <cstddef>

#include "plugin/host/api.h"

KORVAN_API void* my_malloc(size_t size);
KORVAN_API void my_free(void* block);
// A copy of `text` that my_free releases; null when `text` is null or the
// allocation fails.
KORVAN_API char* my_strdup(const char* text);

// Base for classes whose objects live in host memory: `new` draws from
// my_malloc and yields null (no exception) when the allocator fails.
struct HostAllocated {
  static void* operator new(size_t size) noexcept { return my_malloc(size); }
  static void operator delete(void* block) noexcept { my_free(block); }
};
