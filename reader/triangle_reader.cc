// triangle and smooth_triangle objects, the vector literal and the brace
// skip that every reader shares.
#include "reader/numbers.h"
#include "reader/object_readers.h"

bool ReadTriple(double* x, double* y, double* z) {
  double v[3];
  if (FastVector(g_InFile, 3, v)) {
    *x = v[0];
    *y = v[1];
    *z = v[2];
    return true;
  }
  if (!Expect(kOpenAngle)) return false;
  *x = NextDouble();
  if (!Expect(kComma)) return false;
  *y = NextDouble();
  if (!Expect(kComma)) return false;
  *z = NextDouble();
  return Expect(kCloseAngle);
}

bool ReadVector(MVector3& v) {
  double x, y, z;
  if (!ReadTriple(&x, &y, &z)) return false;
  Log().write("<%f,%f,%f>\n", x, y, z);
  v = MVector3(x, y, z);
  return true;
}

void SkipBraces(int depth) {
  while (!g_InFile.Eof()) {
    CheckProgress();
    const int code = NextCode();
    if (code == kOpenBrace) {
      ++depth;
    } else if (code == kCloseBrace) {
      --depth;
    }
    if (depth == 0) return;
  }
}

namespace {

// Reads `n` vectors separated by commas.
bool ReadVectorList(MVector3* v, int n) {
  for (int i = 0; i < n; ++i) {
    if (i > 0 && !Expect(kComma)) return false;
    if (!ReadVector(v[i])) return false;
  }
  return true;
}

}  // namespace

bool ReadTriangle(MMesh_P* mesh) {
  if (!Expect(kOpenBrace)) return false;
  MVector3 corner[3];
  if (!ReadVectorList(corner, 3)) return false;
  mesh->Add_Tri(corner[0], corner[1], corner[2], 0, -1.0);
  if (mesh->NormalsUsed() == 0) mesh->UseNormals();
  const MVector3 n = Normal(corner[0], corner[1], corner[2]);
  mesh->Add_NTri(n, n, n, 0, -1.0);
  SkipBraces(1);  // textures, transformations, modifiers
  return true;
}

bool ReadSmoothTriangle(MMesh_P* mesh) {
  if (!Expect(kOpenBrace)) return false;
  MVector3 v[6];  // position and normal of each corner in turn
  if (!ReadVectorList(v, 6)) return false;
  mesh->Add_Tri(v[0], v[2], v[4], 0, -1.0);
  if (mesh->NormalsUsed() == 0) mesh->UseNormals();
  mesh->Add_NTri(v[1], v[3], v[5], 0, -1.0);
  SkipBraces(1);
  return true;
}
