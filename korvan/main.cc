// korvan: the host's command line. It loads the import plug-ins from its
// folder and uses them only through their exports and the importer's
// virtual operations, as the host application does; the export and the
// window come from modules beside it, opened when a command needs them.
#include <string>
#include <vector>

#include "korvan/cli.h"
#include "korvan/heap_tuning.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (WantsTunedHeap(args)) RestartWithTunedHeap(argv);
  return RunKorvan(args);
}
