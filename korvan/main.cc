// korvan-bin: the host's command line, started by the korvan launcher
// (korvan/launcher.cc). It loads the import plug-ins from its folder and
// uses them only through their exports and the importer's virtual
// operations, as the host application does.
#include <string>
#include <vector>

#include "korvan/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunKorvan(args);
}
