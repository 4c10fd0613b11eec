// korvan: the host's command line. It loads the import plug-ins from the
// plug-in folder and uses them only through their exports and the
// importer's virtual operations, as the host application does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "korvan/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunKorvan(args);
}
