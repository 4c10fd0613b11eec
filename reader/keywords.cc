#include "reader/keywords.h"

#include <cstring>

const Keyword kKeywordTable[] = {
    {kOpenBrace, "{"},
    {kCloseBrace, "}"},
    {kOpenParen, "("},
    {kCloseParen, ")"},
    {kOpenAngle, "<"},
    {kCloseAngle, ">"},
    {kOpenBracket, "["},
    {kCloseBracket, "]"},
    {kSemicolon, ";"},
    {kComma, ","},
    {kEquals, "="},
    {kVertexVectors, "vertex_vectors"},
    {kNormalVectors, "normal_vectors"},
    {kUvVectors, "uv_vectors"},
    {kTextureList, "texture_list"},
    {kFaceIndices, "face_indices"},
    {kNormalIndices, "normal_indices"},
    {kUvIndices, "uv_indices"},
    {kUvMapping, "uv_mapping"},
    {kMesh, "mesh"},
    {kMesh2, "mesh2"},
    {kTriangle, "triangle"},
    {kSmoothTriangle, "smooth_triangle"},
    {kPolygon, "polygon"},
    {kWord, ""},
    {kNoToken, nullptr},
};

namespace {

// Codes of the one-character entries, by character; kWord elsewhere.
struct SingleCharCodes {
  int code[256];
  constexpr SingleCharCodes() : code() {
    for (int& c : code) c = kWord;
    code['{'] = kOpenBrace;
    code['}'] = kCloseBrace;
    code['('] = kOpenParen;
    code[')'] = kCloseParen;
    code['<'] = kOpenAngle;
    code['>'] = kCloseAngle;
    code['['] = kOpenBracket;
    code[']'] = kCloseBracket;
    code[';'] = kSemicolon;
    code[','] = kComma;
    code['='] = kEquals;
  }
};
constexpr SingleCharCodes kSingle;

// First characters of the word entries.
bool MayBeWordKeyword(char first) {
  switch (first) {
    case 'f':
    case 'm':
    case 'n':
    case 'p':
    case 's':
    case 't':
    case 'u':
    case 'v':
      return true;
    default:
      return false;
  }
}

}  // namespace

int LookupKeyword(const char* token) {
  if (token == nullptr) return kNoToken;
  // The texts of the table are unique, so the first match is the only one;
  // one-character tokens and words that cannot be keywords skip the walk.
  if (token[0] == '\0') return kWord;
  if (token[1] == '\0') return kSingle.code[static_cast<unsigned char>(token[0])];
  if (!MayBeWordKeyword(token[0])) return kWord;
  for (const Keyword* k = kKeywordTable; k->code != kNoToken; ++k) {
    if (std::strcmp(k->text, token) == 0) return k->code;
  }
  return kWord;
}
