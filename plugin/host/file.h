// File helpers of the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "plugin/host/api.h"

// Length in bytes of the file behind `file`; 0 for a stream that has no
// length (a pipe) and -1 when `file` is null.
KORVAN_API int64_t m_filesize(FILE* file);

// How m_write_file wrote a file.
enum MWriteResult : int {
  kWriteFailed = 0,
  kWriteReplaced = 1,  // written beside it and renamed over it: a crash leaves
                       // the old contents or the new, never a mix
  kWriteInPlace = 2,   // no file could be made beside it (a folder where only
                       // the file itself is writable): written in place, so a
                       // crash meanwhile can leave it cut short
};

// Makes `data` (`size` bytes) the whole contents of the file `path`. A
// symbolic link stays a link: the file it leads to is written. A new file
// gets `mode` less the process's umask; a replaced file keeps its own
// permissions. Thread-safe (the umask is left alone).
KORVAN_API MWriteResult m_write_file(const char* path, const char* data, size_t size, int mode);
