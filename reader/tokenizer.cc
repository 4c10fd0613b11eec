#include "reader/tokenizer.h"

#include <initializer_list>

char g_TokenBuffer[kMaxTokenLength + 1];
int64_t g_LineNumber = 1;
int g_TokenPushedBack = 0;
InputStream g_InFile;

namespace {

// Whether a character other than LF, CR or NUL has been read since the line
// counter last went up: the end of the input counts such a line once.
bool g_LineHasChars = false;

enum CharClass : unsigned char { kOther, kBlank, kLineEnd, kSlash, kDelimiter, kPrintable };

struct CharClasses {
  unsigned char of[256];
  constexpr CharClasses() : of() {
    for (int c = 0; c < 256; ++c) of[c] = (c >= 33 && c <= 126) ? kPrintable : kOther;
    of[' '] = of['\t'] = kBlank;
    of['\n'] = of['\r'] = of['\0'] = kLineEnd;
    of['/'] = kSlash;
    for (unsigned char c : {'{', '}', '(', ')', '<', '>', '[', ']', ';', ',', '='}) {
      of[c] = kDelimiter;
    }
  }
};
constexpr CharClasses kClass;

inline bool IsLineEnd(int c) { return c == '\n' || c == '\r' || c == '\0'; }

inline void EndOfInput() {
  if (g_LineHasChars) ++g_LineNumber;
  g_LineHasChars = false;
}

// After the line-end character `c`: counts the line and consumes the second
// half of a CR LF or LF CR pair.
void LineEnd(InputStream& in, int c) {
  ++g_LineNumber;
  g_LineHasChars = false;
  int next = in.Get();
  if (next == InputStream::kEof) {
    EndOfInput();
  } else if (!((c == '\r' && next == '\n') || (c == '\n' && next == '\r'))) {
    in.Unget(next);
  }
}

// After a blank: passes over further spaces, tabs and NULs.
void SkipBlanks(InputStream& in) {
  for (;;) {
    int c = in.Get();
    if (c == ' ' || c == '\t') {
      g_LineHasChars = true;
    } else if (c == '\0') {
      // a NUL inside a run of blanks is a blank, not a line end
    } else if (c == InputStream::kEof) {
      EndOfInput();
      return;
    } else {
      g_LineHasChars = true;
      in.Unget(c);
      return;
    }
  }
}

// After "//": up to the line end, which is put back to be counted next.
void SkipLineComment(InputStream& in) {
  for (;;) {
    int c = in.Get();
    if (c == InputStream::kEof) {
      EndOfInput();
      return;
    }
    if (IsLineEnd(c)) {
      in.Unget(c);
      return;
    }
    g_LineHasChars = true;
  }
}

// After "/*": up to "*/" or the end of the input, counting line ends.
void SkipBlockComment(InputStream& in) {
  for (;;) {
    int c = in.Get();
    if (c == InputStream::kEof) {
      EndOfInput();
      return;
    }
    if (IsLineEnd(c)) {
      LineEnd(in, c);
      continue;
    }
    g_LineHasChars = true;
    if (c != '*') continue;
    int next = in.Get();
    if (next == InputStream::kEof) {
      EndOfInput();
      return;
    }
    if (next == '/') return;
    in.Unget(next);  // "**/" closes too
  }
}

// After a "/": a comment (true: the token ends) or a dropped character.
bool Slash(InputStream& in) {
  g_LineHasChars = true;
  int next = in.Get();
  if (next == InputStream::kEof) {
    EndOfInput();
    return true;
  }
  if (next == '/') {
    SkipLineComment(in);
    return true;
  }
  if (next == '*') {
    SkipBlockComment(in);
    return true;
  }
  in.Unget(next);
  return false;
}

}  // namespace

void ResetTokenizer() {
  g_LineNumber = 1;
  g_LineHasChars = false;
  g_TokenPushedBack = 0;
  g_TokenBuffer[0] = '\0';
}

const char* NextToken(InputStream& in) {
  if (g_TokenPushedBack) {
    g_TokenPushedBack = 0;
    return g_TokenBuffer;
  }
  int length = 0;
  for (;;) {
    if (in.Eof()) {
      g_TokenBuffer[0] = '\0';  // a later push-back hands out the empty token
      return nullptr;
    }
    bool ended = false;
    while (!ended && !in.Eof()) {
      const int c = in.Get();
      if (c == InputStream::kEof) {
        EndOfInput();
        break;
      }
      switch (kClass.of[c]) {
        case kPrintable:
          g_LineHasChars = true;
          if (length < kMaxTokenLength) g_TokenBuffer[length++] = static_cast<char>(c);
          break;
        case kBlank:
          g_LineHasChars = true;
          SkipBlanks(in);
          ended = true;
          break;
        case kLineEnd:
          LineEnd(in, c);
          ended = true;
          break;
        case kSlash:
          ended = Slash(in);
          break;
        case kDelimiter:
          g_LineHasChars = true;
          if (length > 0) {
            in.Unget(c);
          } else {
            g_TokenBuffer[length++] = static_cast<char>(c);
          }
          ended = true;
          break;
        default:  // not printable: dropped, the token goes on
          g_LineHasChars = true;
          break;
      }
    }
    if (length > 0) {
      g_TokenBuffer[length] = '\0';
      return g_TokenBuffer;
    }
  }
}
