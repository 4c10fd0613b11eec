// File helpers of the host.
#pragma once

#include <cstdint>
#include <cstdio>

#include "plugin/host/api.h"

// Length in bytes of the file behind `file`; 0 for a stream that has no
// length (a pipe) and -1 when `file` is null.
KORVAN_API int64_t m_filesize(FILE* file);
