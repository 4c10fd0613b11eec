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
    code[static_cast<unsigned char>('{')] = kOpenBrace;
    code[static_cast<unsigned char>('}')] = kCloseBrace;
    code[static_cast<unsigned char>('(')] = kOpenParen;
    code[static_cast<unsigned char>(')')] = kCloseParen;
    code[static_cast<unsigned char>('<')] = kOpenAngle;
    code[static_cast<unsigned char>('>')] = kCloseAngle;
    code[static_cast<unsigned char>('[')] = kOpenBracket;
    code[static_cast<unsigned char>(']')] = kCloseBracket;
    code[static_cast<unsigned char>(';')] = kSemicolon;
    code[static_cast<unsigned char>(',')] = kComma;
    code[static_cast<unsigned char>('=')] = kEquals;
  }
};
constexpr SingleCharCodes kSingle;

}  // namespace

int LookupKeyword(const char* token) {
  if (token == nullptr) return kNoToken;
  // The texts of the table are unique, so the first match is the only one:
  // one-character tokens go by a table, words by their first character.
  if (token[0] == '\0') return kWord;
  if (token[1] == '\0') return kSingle.code[static_cast<unsigned char>(token[0])];
  auto is = [token](const char* text) { return std::strcmp(token, text) == 0; };
  switch (token[0]) {
    case 'f':
      return is("face_indices") ? kFaceIndices : kWord;
    case 'm':
      return is("mesh") ? kMesh : is("mesh2") ? kMesh2 : kWord;
    case 'n':
      return is("normal_vectors") ? kNormalVectors : is("normal_indices") ? kNormalIndices : kWord;
    case 'p':
      return is("polygon") ? kPolygon : kWord;
    case 's':
      return is("smooth_triangle") ? kSmoothTriangle : kWord;
    case 't':
      return is("triangle") ? kTriangle : is("texture_list") ? kTextureList : kWord;
    case 'u':
      return is("uv_vectors")   ? kUvVectors
             : is("uv_indices") ? kUvIndices
             : is("uv_mapping") ? kUvMapping
                                : kWord;
    case 'v':
      return is("vertex_vectors") ? kVertexVectors : kWord;
    default:
      return kWord;
  }
}
