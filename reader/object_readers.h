// The readers of the four object kinds and the token helpers they share.
// Each reader is called after its keyword has been read and answers true
// (read) or false (grammar failure: the reading ends). They add straight to
// the host mesh they are given; what they added before a failure stays.
#pragma once

#include "plugin/host/objects.h"
#include "reader/keywords.h"
#include "reader/numbers.h"
#include "reader/reader_state.h"
#include "reader/tokenizer.h"

// The code of the next token.
inline int NextCode() { return LookupKeyword(NextToken(g_InFile)); }
// Reads the next token and tells whether it has `code`.
inline bool Expect(int code) { return NextCode() == code; }
// The next token as strtod and atoi read it (0 at the end of the input).
inline double NextDouble() {
  const char* token = NextToken(g_InFile);
  return token != nullptr ? TokenToDouble(token, static_cast<size_t>(g_TokenLength)) : 0.0;
}
inline int NextInt() { return TokenToInt(NextToken(g_InFile)); }

// "<" x "," y "," z ">" without a log line; the number tokens are
// converted whatever they are.
bool ReadTriple(double* x, double* y, double* z);
// ReadTriple, logged as "<%f,%f,%f>\n".
bool ReadVector(MVector3& v);
// Reads tokens until the brace depth, counted from `depth` (at least 1),
// falls to 0 or the input ends. Never fails.
void SkipBraces(int depth);

bool ReadTriangle(MMesh_P* mesh);
bool ReadSmoothTriangle(MMesh_P* mesh);
bool ReadMeshBlock(ReaderState& state);
bool ReadMesh2Block(ReaderState& state);

// After the reading: statistics, removal of meshes without faces, normal
// and uv checks, and a material for every mesh that has none.
void PostProcess(ReaderState& state);
