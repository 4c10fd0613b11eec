#include "plugin/host/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <string>

#include "korvan/file.h"

int64_t m_filesize(FILE* file) {
  if (file == nullptr) return -1;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) return 0;
  return static_cast<int64_t>(info.st_size);
}

bool ReadWholeFile(const std::string& path, std::string* text) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char block[8192];
  ssize_t n;
  while ((n = read(fd, block, sizeof block)) != 0) {
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      close(fd);
      errno = error;
      return false;
    }
    text->append(block, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

namespace {

// The file a path leads to through its symbolic links (40 at most, as the
// system follows them); the path itself when it is no link.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n < 0) return path;
    target[n] = '\0';
    if (target[0] == '/') {
      path = target;
    } else {
      const size_t slash = path.rfind('/');
      path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + target;
    }
  }
  return path;
}

bool WriteAll(int fd, const char* data, size_t size) {
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// A name beside `path` that no other writer (thread or process) uses.
std::string TempName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp" + std::to_string(getpid()) + "." + std::to_string(counter++);
}

}  // namespace

MWriteResult m_write_file(const char* path, const char* data, size_t size, int mode) {
  if (path == nullptr || (data == nullptr && size > 0)) return kWriteFailed;
  const std::string target = FollowLinks(path);
  struct stat existing;
  const bool exists = stat(target.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return kWriteFailed;

  const std::string temp = TempName(target);
  // open() applies the umask itself; a replaced file's mode is copied below.
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd >= 0) {
    bool ok = WriteAll(fd, data, size);
    if (ok && exists) ok = fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), target.c_str()) == 0) return kWriteReplaced;
    unlink(temp.c_str());
    return kWriteFailed;
  }
  if (errno != EACCES && errno != EPERM && errno != EROFS) return kWriteFailed;
  // Nothing can be made in the folder: the file itself may still be writable.
  const int in_place = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (in_place < 0) return kWriteFailed;
  bool ok = WriteAll(in_place, data, size) && fsync(in_place) == 0;
  ok = close(in_place) == 0 && ok;
  return ok ? kWriteInPlace : kWriteFailed;
}
