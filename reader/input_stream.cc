#include "reader/input_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "plugin/host/memory.h"

int OpenRegularFd(const char* path, struct stat* info, int* error) {
  // Non-blocking, so that opening a FIFO (or a device that waits) returns
  // at once; such a file is refused. Reads of a regular file never block.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    *error = 0;
    return -1;
  }
  return fd;
}

FILE* OpenRegularFile(const char* path) {
  struct stat info;
  int error = 0;
  const int fd = OpenRegularFd(path, &info, &error);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

bool InputStream::Open(const char* path, size_t block_size) {
  Close();
  if (path == nullptr || block_size == 0) return false;
  FILE* file = OpenRegularFile(path);
  if (file == nullptr) return false;
  struct stat info;
  if (fstat(fileno(file), &info) != 0) {
    std::fclose(file);
    return false;
  }
  // A small file needs no large block (it may grow while read: then the
  // block just refills more often).
  const auto size = static_cast<uint64_t>(info.st_size);
  if (S_ISREG(info.st_mode) && size + 1 < block_size) {
    block_size = size < 4096 ? 4096 : static_cast<size_t>(size + 1);
  }
  storage_ = static_cast<unsigned char*>(my_malloc(block_size + 1));
  if (storage_ == nullptr) {
    std::fclose(file);
    return false;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);  // blocks go straight into storage_
  file_ = file;
  block_size_ = block_size;
  storage_[0] = 0;
  pos_ = end_ = data();
  base_ = 0;
  eof_ = false;
  return true;
}

void InputStream::Close() {
  if (file_ != nullptr) std::fclose(file_);
  my_free(storage_);
  file_ = nullptr;
  storage_ = pos_ = end_ = nullptr;
  base_ = 0;
  eof_ = false;
}

int InputStream::Refill() {
  if (file_ == nullptr) {
    eof_ = true;
    return kEof;
  }
  const int64_t consumed = end_ - data();
  const unsigned char last = consumed > 0 ? end_[-1] : storage_[0];
  const size_t n = std::fread(data(), 1, block_size_, file_);
  if (n == 0) {
    eof_ = true;  // a read error ends the input like its end
    return kEof;
  }
  storage_[0] = last;
  base_ += consumed;
  pos_ = data();
  end_ = data() + n;
  return *pos_++;
}
