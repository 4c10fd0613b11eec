// InputStream: the reader's buffered byte input over a file opened "rb". It
// reads large blocks and offers an inline Get and a one-character Unget with
// the observable behaviour of a C stream: Tell() is the position ftell would
// give, Eof() is the end-of-file indicator (set by the read that finds the
// end, cleared by Unget). Owns the FILE and its block buffer; one thread.
#pragma once

#include <cstdint>
#include <cstdio>

struct stat;

// Opens `path` for reading when it is a regular file, without waiting on
// anything else (a folder, a FIFO, a device): the descriptor with `info`
// filled, or -1 with `error` the errno (0: not a regular file).
int OpenRegularFd(const char* path, struct stat* info, int* error);
// The same as a stream; null when it cannot be opened.
FILE* OpenRegularFile(const char* path);

class InputStream {
 public:
  static constexpr int kEof = -1;
  static constexpr size_t kBlockSize = size_t{1} << 20;

  InputStream() = default;
  InputStream(const InputStream&) = delete;
  InputStream& operator=(const InputStream&) = delete;
  ~InputStream() { Close(); }

  // Opens a regular file for reading in blocks of `block_size` bytes (small
  // ones serve tests of the block boundaries); false when it cannot be
  // opened, names a directory, or no buffer can be had.
  bool Open(const char* path, size_t block_size = kBlockSize);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  FILE* file() const { return file_; }

  int Get() {
    if (pos_ < end_) return *pos_++;
    return Refill();
  }
  // Puts `c` back so that the next Get returns it; at most one character
  // after each Get. kEof is ignored, as ungetc ignores EOF.
  void Unget(int c) {
    if (c == kEof) return;
    *--pos_ = static_cast<unsigned char>(c);
    eof_ = false;
  }
  bool Eof() const { return eof_; }
  // The bytes buffered after the read position, [Cursor(), Limit()), for
  // scanning runs without a call per byte; Skip(n) consumes n of them.
  const unsigned char* Cursor() const { return pos_; }
  const unsigned char* Limit() const { return end_; }
  void Skip(size_t n) { pos_ += n; }
  int64_t Tell() const { return base_ + (pos_ - data()); }

 private:
  unsigned char* data() const { return storage_ + 1; }
  int Refill();

  FILE* file_ = nullptr;
  size_t block_size_ = kBlockSize;
  // storage_[0] keeps the last byte of the previous block so that Unget
  // works at a block boundary; the block itself starts at storage_ + 1.
  unsigned char* storage_ = nullptr;
  unsigned char* pos_ = nullptr;
  unsigned char* end_ = nullptr;
  int64_t base_ = 0;  // file position of data()[0]
  bool eof_ = false;
};
