// glibc's heap tuned for the export, which copies a scene face by face
// through millions of small blocks. glibc reads its tunables only when a
// program starts, so the commands that export through Assimp or open the
// window run the program again with them set; the others (--version, an
// import without output or to JSON) start once, without the cost.
#pragma once

#include <string>
#include <vector>

// Whether the command `args` (without the program name) writes through
// Assimp or opens the window.
bool WantsTunedHeap(const std::vector<std::string>& args);

// Runs this program again with the heap tunables in the environment, unless
// they are there already, KORVAN_SMALL_PAGES is set, or the user chose the
// heap's pages. Returns only when it did not (or could not) run it again.
void RestartWithTunedHeap(char** argv);
