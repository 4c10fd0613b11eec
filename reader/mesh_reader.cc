// mesh blocks: a brace block of triangle and smooth_triangle objects that
// becomes one mesh with one material of its own.
#include "reader/object_readers.h"

bool ReadMeshBlock(ReaderState& state) {
  MMesh_P* mesh = BeginMesh(state);
  if (mesh == nullptr) return false;
  MaterialStep(state, mesh);
  Log().write("\nmesh2:\n");  // the mesh block shares the mesh2 heading
  if (!Expect(kOpenBrace)) return false;
  int depth = 1;
  while (!g_InFile.Eof()) {
    CheckProgress();
    switch (NextCode()) {
      case kOpenBrace:
        ++depth;
        break;
      case kCloseBrace:
        --depth;
        break;
      case kTriangle:
        if (!ReadTriangle(mesh)) return false;
        break;
      case kSmoothTriangle:
        if (!ReadSmoothTriangle(mesh)) return false;
        break;
      default:
        break;  // other objects, blocks and words are passed over
    }
    if (depth == 0) return true;
  }
  return true;  // the input ended inside the block
}
