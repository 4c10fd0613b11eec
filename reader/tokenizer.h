// The tokenizer: splits the scene file's characters into short text tokens
// at blanks, line ends, comments and the one-character delimiters, counts
// lines, and lets a reader hand the last token back once. Its state is
// process-wide: one reading at a time, on one thread.
#pragma once

#include <cstdint>

#include "reader/input_stream.h"

// Longest token kept; the characters of a longer one past this are dropped.
constexpr int kMaxTokenLength = 4096;

// The current token, zero-terminated; valid until the next NextToken.
extern char g_TokenBuffer[kMaxTokenLength + 1];
// Its length (0 after the end of the input).
extern int g_TokenLength;
// Line counter: 1 before the first token, raised at every line end and once
// more when the input ends inside a line. 64-bit so that no file overflows it.
extern int64_t g_LineNumber;
// Set by UngetToken; the next NextToken hands the buffer out again.
extern int g_TokenPushedBack;
// The open scene file of the reading under way.
extern InputStream g_InFile;

// Line counter 1, nothing read on the current line, no token pushed back.
void ResetTokenizer();

// The next token of `in`, or null when the input is exhausted. A token read
// from the input is never empty.
const char* NextToken(InputStream& in);

// Fast paths for the items that fill mesh lists: "<" n "," ... ">" (`count`
// numbers: 3, or 2 for uv) lying whole in the buffer, its numbers plain (digits, sign, point,
// exponent) and only blanks between its tokens. They read the item as the
// token calls would (line ends before it counted, ">" left as the current
// token) and answer true with its numbers as TokenToDouble or TokenToInt
// reads them; otherwise they read nothing and answer false, for the token
// calls to do it.
bool FastVector(InputStream& in, int count, double* out);
bool FastIndexTriple(InputStream& in, int out[3]);

// The next NextToken returns the current token again (one level only).
inline void UngetToken() { g_TokenPushedBack = 1; }
