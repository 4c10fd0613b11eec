// korvan: starts the host's command line, korvan-bin in the same folder,
// with glibc's heap tuned for scenes of millions of small blocks. glibc
// reads its tunables only when a program starts, so they are set here, in
// a program that costs nothing to start, rather than by the host running
// itself again after loading its many libraries.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The export library copies a scene face by face, and on these machines
// the first touch of each fresh 4 KiB page costs more than the work on it:
// back the heap with transparent huge pages, keep blocks of up to 32 MiB in
// the heap and freed memory there, so that growing and short-lived arrays
// reuse pages already touched instead of mapping fresh ones each time.
constexpr char kHeapTunables[] =
    "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432:"
    "glibc.malloc.trim_threshold=1073741824";

// Adds the heap tunables to the environment, unless KORVAN_SMALL_PAGES is
// set or the user chose the heap's pages already.
void TuneHeap() {
  if (std::getenv("KORVAN_SMALL_PAGES") != nullptr) return;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables == nullptr || *tunables == '\0') {
    setenv("GLIBC_TUNABLES", kHeapTunables, 1);
    return;
  }
  if (std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr) return;
  char value[4096];
  const int n = std::snprintf(value, sizeof value, "%s:%s", tunables, kHeapTunables);
  if (n > 0 && static_cast<size_t>(n) < sizeof value) setenv("GLIBC_TUNABLES", value, 1);
}

// The path of korvan-bin, next to this program; false when it has none.
bool HostProgram(char* path, size_t size) {
  constexpr char kName[] = "korvan-bin";
  const ssize_t n = readlink("/proc/self/exe", path, size - 1);
  if (n <= 0) return false;
  path[n] = '\0';
  const char* slash = std::strrchr(path, '/');
  const size_t folder = slash != nullptr ? static_cast<size_t>(slash - path) + 1 : 0;
  if (folder + sizeof kName > size) return false;
  std::memcpy(path + folder, kName, sizeof kName);
  return true;
}

}  // namespace

int main(int /*argc*/, char** argv) {
  TuneHeap();
  char path[PATH_MAX];
  if (!HostProgram(path, sizeof path)) {
    std::fprintf(stderr, "korvan: cannot tell which folder it was started from\n");
    return 127;
  }
  execv(path, argv);
  std::fprintf(stderr, "korvan: cannot run %s: %s\n", path, std::strerror(errno));
  return 127;
}
