// mesh2 blocks: the seven list sections become one mesh's vertices,
// normals, uv, faces with material ids, normal and uv faces, and one
// material per declared texture. Every other token is passed over.
#include <algorithm>

#include "reader/numbers.h"
#include "reader/object_readers.h"

namespace {

using AddVector = void (MMesh_P::*)(const MVector3&, double);
using AddPolygon = void (MMesh_P::*)(const MIPolygon&);

// The "," between two items; none after the last one.
inline bool ItemSeparator(int i, int count) { return i >= count - 1 || Expect(kComma); }

// "<" x "," y "," z ">" items (no log line per item).
bool ReadVectorItems(MMesh_P* mesh, int count, AddVector add) {
  for (int i = 0; i < count; ++i) {
    double x, y, z;
    if (!ReadTriple(&x, &y, &z) || !ItemSeparator(i, count)) return false;
    (mesh->*add)(MVector3(x, y, z), -1.0);
  }
  return true;
}

// "<" u "," v ">" items, handed over as (u, v, 0).
bool ReadUVItems(MMesh_P* mesh, int count) {
  for (int i = 0; i < count; ++i) {
    double uv[2];
    if (!FastVector(g_InFile, 2, uv)) {
      if (!Expect(kOpenAngle)) return false;
      uv[0] = NextDouble();
      if (!Expect(kComma)) return false;
      uv[1] = NextDouble();
      if (!Expect(kCloseAngle)) return false;
    }
    if (!ItemSeparator(i, count)) return false;
    mesh->Add_UVVertex(MVector3(uv[0], uv[1], 0.0), -1.0);
  }
  return true;
}

// "<" a "," b "," c ">" into `poly`.
bool ReadIndexTriple(MIPolygon& poly) {
  int fast[3];
  if (FastIndexTriple(g_InFile, fast)) {
    poly.Add(fast[0]);
    poly.Add(fast[1]);
    poly.Add(fast[2]);
    return true;
  }
  if (!Expect(kOpenAngle)) return false;
  const int a = NextInt();
  if (!Expect(kComma)) return false;
  const int b = NextInt();
  if (!Expect(kComma)) return false;
  const int c = NextInt();
  if (!Expect(kCloseAngle)) return false;
  poly.Add(a);
  poly.Add(b);
  poly.Add(c);
  return true;
}

bool ReadIndexItems(MMesh_P* mesh, int count, AddPolygon add) {
  for (int i = 0; i < count; ++i) {
    MIPolygon poly(0);
    if (!ReadIndexTriple(poly) || !ItemSeparator(i, count)) return false;
    (mesh->*add)(poly);
  }
  return true;
}

// The optional texture index after a face's triple: `t`, or false when a
// face that is not the last lacks its separator.
bool ReadTextureIndex(bool last, int* t) {
  *t = 0;
  if (last) {
    if (NextCode() == kComma) {
      *t = NextInt();  // whatever token follows, even the section's "}"
    } else {
      UngetToken();  // normally the section's "}"
    }
    return true;
  }
  if (!Expect(kComma)) return false;
  const int code = NextCode();
  UngetToken();
  if (code != kWord) return true;  // normally the "<" of the next face
  *t = NextInt();
  return Expect(kComma);
}

bool ReadFaceItems(MMesh_P* mesh, int count) {
  for (int i = 0; i < count; ++i) {
    MIPolygon poly(0);
    int t;
    if (!ReadIndexTriple(poly) || !ReadTextureIndex(i == count - 1, &t)) return false;
    poly.Set_MatId(t);
    mesh->Add_Face(poly);
  }
  return true;
}

// One material per declared texture; the definitions themselves are passed
// over by the section's brace skip. A texture takes more than one byte, so
// a count beyond the file's size cannot be true and is cut to it.
void ReadTextureList(ReaderState& state, MMesh_P* mesh, int count) {
  const int64_t runs = std::min<int64_t>(count, g_FileSize);
  for (int64_t i = 0; i < runs; ++i) MaterialStep(state, mesh);
}

struct Section {
  int code;
  const char* title;
  const char* count_line;  // null: no count line
};

constexpr Section kSections[] = {
    {kVertexVectors, "vertex_vectors:\n", "-->%d vertices\n"},
    {kNormalVectors, "normal_vectors:\n", "-->%d nvertices\n"},
    {kUvVectors, "uv_vectors:\n", nullptr},
    {kTextureList, "texture_list:\n", "-->%d texture(s)\n"},
    {kFaceIndices, "face_indices:\n", "-->%d faces\n"},
    {kNormalIndices, "normal_indices:\n", "-->%d normal faces\n"},
    {kUvIndices, "uv_indices:\n", "-->%d uv faces\n"},
};

const Section& SectionOf(int code) { return kSections[code - kVertexVectors]; }

bool ReadItems(ReaderState& state, MMesh_P* mesh, int code, int count) {
  switch (code) {
    case kVertexVectors:
      return ReadVectorItems(mesh, count, &MMesh_P::Add_Vertex);
    case kNormalVectors:
      return ReadVectorItems(mesh, count, &MMesh_P::Add_NVertex);
    case kUvVectors:
      return ReadUVItems(mesh, count);
    case kTextureList:
      ReadTextureList(state, mesh, count);
      return true;
    case kFaceIndices:
      return ReadFaceItems(mesh, count);
    case kNormalIndices:
      return ReadIndexItems(mesh, count, &MMesh_P::Add_NFace);
    case kUvIndices:
      return ReadIndexItems(mesh, count, &MMesh_P::Add_UVFace);
    default:
      return true;
  }
}

// "{" count "," items ... "}" after a section keyword.
bool ReadSection(ReaderState& state, MMesh_P* mesh, int code) {
  if ((code == kNormalVectors || code == kNormalIndices) && mesh->NormalsUsed() == 0) {
    mesh->UseNormals();
  }
  if ((code == kUvVectors || code == kUvIndices) && mesh->UVUsed() == 0) mesh->UseUV();
  const Section& section = SectionOf(code);
  Log().write("%s", section.title);
  if (!Expect(kOpenBrace)) return false;
  const int count = NextInt();  // the count the file declares
  if (section.count_line != nullptr) Log().write(section.count_line, count);
  if (!Expect(kComma)) return false;
  if (!ReadItems(state, mesh, code, count)) return false;
  SkipBraces(1);
  return true;
}

bool IsSection(int code) { return code >= kVertexVectors && code <= kUvIndices; }

}  // namespace

bool ReadMesh2Block(ReaderState& state) {
  MMesh_P* mesh = BeginMesh(state);
  if (mesh == nullptr) return false;
  Log().write("\nmesh2:\n");
  if (!Expect(kOpenBrace)) return false;
  int depth = 1;
  while (!g_InFile.Eof()) {
    CheckProgress();
    const int code = NextCode();
    if (code == kOpenBrace) {
      ++depth;
    } else if (code == kCloseBrace) {
      --depth;
    } else if (IsSection(code)) {
      if (!ReadSection(state, mesh, code)) return false;
    }
    if (depth == 0) return true;
  }
  return true;  // the input ended inside the block
}
