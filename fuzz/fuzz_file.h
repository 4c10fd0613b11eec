// Fuzz inputs as files: the reader and the options loader take paths, so
// each input goes into one memory-backed file (memfd), named by its
// /proc/self/fd path. One per process, rewritten for every input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& FuzzFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("tarvo-fuzz", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
    std::abort();
  }
  return path;
}
