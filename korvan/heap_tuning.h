// glibc's heap tuned for the export, whose converter and writers (ours,
// Assimp's, TinyGLTF's) build large short-lived arrays. glb of the 300²
// grid, whole process, medians of 21 interleaved runs: 167 ms with these
// tunables, 275 ms without, 247 ms with only the two that mallopt can set
// from inside the program (mmap and trim thresholds), 194 ms with only the
// heap on huge pages. That last one has no mallopt and glibc reads it only
// when a program starts, so the commands that export (other than to JSON)
// or open the window run the program again with the tunables set; the
// others (--version, an import without output or to JSON) start once.
#pragma once

#include <string>
#include <vector>

// Whether the command `args` (without the program name) exports to a
// format other than JSON or opens the window.
bool WantsTunedHeap(const std::vector<std::string>& args);

// Runs this program again with the heap tunables in the environment, unless
// they are there already, KORVAN_SMALL_PAGES is set, or the user chose the
// heap's pages. Returns only when it did not (or could not) run it again.
void RestartWithTunedHeap(char** argv);
