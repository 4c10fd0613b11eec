// korvan: the host's command line. It loads the import plug-ins from the
// plug-in folder and uses them only through their exports and the
// importer's virtual operations, as the host application does.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "korvan/cli.h"

namespace {

// Scenes of millions of faces mean millions of small blocks (the export
// library copies the scene face by face), and on these machines the first
// touch of each fresh 4 KiB page costs more than the work on it. glibc
// backs its heap with transparent huge pages only when asked through
// GLIBC_TUNABLES, which it reads at start: so ask, once, by running again.
// The same tunables keep blocks of up to 32 MiB in the heap and freed
// memory there, so that the export's growing and short-lived arrays reuse
// pages already touched instead of mapping fresh ones each time.
void UseHugePagesForTheHeap(char** argv) {
  // Only the commands that build scenes need it; the others start once.
  const char* command = nullptr;
  for (char** arg = argv + 1; *arg != nullptr && command == nullptr; ++arg) {
    if (std::strcmp(*arg, "--plugin-dir") == 0 && arg[1] != nullptr) {
      ++arg;
    } else if ((*arg)[0] != '-') {
      command = *arg;
    }
  }
  if (command == nullptr ||
      (std::strcmp(command, "import") != 0 && std::strcmp(command, "gui") != 0)) {
    return;
  }
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (std::getenv("KORVAN_SMALL_PAGES") != nullptr ||
      (tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb") != nullptr)) {
    return;
  }
  std::string value =
      "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432:"
      "glibc.malloc.trim_threshold=1073741824";
  if (tunables != nullptr && *tunables != '\0') value = std::string(tunables) + ":" + value;
  setenv("GLIBC_TUNABLES", value.c_str(), 1);
  execv("/proc/self/exe", argv);  // returns only when it failed: go on as we are
}

}  // namespace

int main(int argc, char** argv) {
  UseHugePagesForTheHeap(argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunKorvan(args);
}
