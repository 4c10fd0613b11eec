// gen_grid N mesh2|smooth OUT: writes a benchmark grid scene (for timing
// other programs on the same file). Never write into the repository.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/grid_scene.h"

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[2], "mesh2") != 0 && std::strcmp(argv[2], "smooth") != 0)) {
    std::fprintf(stderr, "usage: gen_grid N mesh2|smooth OUT.pov\n");
    return 2;
  }
  const GridForm form =
      std::strcmp(argv[2], "mesh2") == 0 ? GridForm::kMesh2 : GridForm::kSmoothTriangles;
  const long size = WriteGridScene(argv[3], std::atoi(argv[1]), form);
  if (size < 0) {
    std::fprintf(stderr, "gen_grid: cannot write %s\n", argv[3]);
    return 1;
  }
  std::printf("%s: %ld bytes\n", argv[3], size);
  return 0;
}
