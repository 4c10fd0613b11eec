// Host-side statistics of the host allocator, for tests and tools: the
// number of blocks handed out by my_malloc / my_strdup / the mesh arrays and
// not yet freed. Thread-safe.
#pragma once

#include <cstdint>

#include "plugin/host/api.h"

KORVAN_API int64_t korvan_live_blocks();
