// The keyword table: the integer code of every token the readers act on or
// recognise. Codes are fixed; a token that is no entry's exact text (byte for
// byte, so "Mesh" is not "mesh") has kWord, and the null token kNoToken.
#pragma once

enum KeywordCode : int {
  kNoToken = -1,
  kOpenBrace = 0,
  kCloseBrace = 1,
  kOpenParen = 2,
  kCloseParen = 3,
  kOpenAngle = 4,
  kCloseAngle = 5,
  kOpenBracket = 6,
  kCloseBracket = 7,
  kSemicolon = 8,
  kComma = 9,
  kEquals = 14,
  kVertexVectors = 50,
  kNormalVectors = 51,
  kUvVectors = 52,
  kTextureList = 53,
  kFaceIndices = 54,
  kNormalIndices = 55,
  kUvIndices = 56,
  kUvMapping = 57,
  kMesh = 100,
  kMesh2 = 101,
  kTriangle = 102,
  kSmoothTriangle = 103,
  kPolygon = 104,
  kWord = 105,  // numbers, names, every other word
};

struct Keyword {
  int code;
  const char* text;
};

// The table in its fixed order, closed by the entry {kNoToken, nullptr}.
extern const Keyword kKeywordTable[];

// The code of `token`: kNoToken for null, else the first entry whose text is
// the token, else kWord.
int LookupKeyword(const char* token);
