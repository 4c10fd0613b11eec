#include "korvan/heap_tuning.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// On these machines the first touch of each fresh 4 KiB page costs more than
// the export's work on it: back the heap with transparent huge pages, keep
// blocks of up to 32 MiB in the heap and freed memory there, so that growing
// and short-lived arrays reuse pages already touched. The export of the 300²
// grid took twice as long without (bench/README.md).
constexpr char kHeapTunables[] =
    "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432:"
    "glibc.malloc.trim_threshold=1073741824";

bool EndsWithJson(const std::string& path) {
  return path.size() >= 5 && path.compare(path.size() - 5, 5, ".json") == 0;
}

}  // namespace

bool WantsTunedHeap(const std::vector<std::string>& args) {
  bool output = false, json = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "gui") return true;
    if (a == "formats") return false;
    if ((a == "-o" || a == "--output") && i + 1 < args.size()) {
      output = true;
      const std::string& path = args[i + 1];
      // A folder gets glb unless --format says otherwise.
      json = json && EndsWithJson(path);
    } else if (a == "--format" && i + 1 < args.size()) {
      json = args[i + 1] == "json";
    }
  }
  return output && !json;
}

void RestartWithTunedHeap(char** argv) {
  if (std::getenv("KORVAN_SMALL_PAGES") != nullptr) return;
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr) return;
  if (tunables == nullptr || *tunables == '\0') {
    setenv("GLIBC_TUNABLES", kHeapTunables, 1);
  } else {
    char value[4096];
    const int n = std::snprintf(value, sizeof value, "%s:%s", tunables, kHeapTunables);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof value) return;
    setenv("GLIBC_TUNABLES", value, 1);
  }
  execv("/proc/self/exe", argv);
  // Not run again: go on with the heap as it is.
}
