#include "plugin/host/file.h"

#include <sys/stat.h>

int64_t m_filesize(FILE* file) {
  if (file == nullptr) return -1;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  return static_cast<int64_t>(info.st_size);
}
