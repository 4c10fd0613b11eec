#include "reader/tokenizer.h"

#include <cstring>
#include <initializer_list>

#include "reader/numbers.h"

char g_TokenBuffer[kMaxTokenLength + 1];
int g_TokenLength = 0;
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
    of[static_cast<unsigned char>(' ')] = of[static_cast<unsigned char>('\t')] = kBlank;
    of[static_cast<unsigned char>('\n')] = of[static_cast<unsigned char>('\r')] = kLineEnd;
    of[0] = kLineEnd;
    of[static_cast<unsigned char>('/')] = kSlash;
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
  // The run inside the buffer first, without a call per byte.
  const unsigned char* p = in.Cursor();
  const unsigned char* const limit = in.Limit();
  while (p < limit && (*p == ' ' || *p == '\t' || *p == '\0')) ++p;
  in.Skip(static_cast<size_t>(p - in.Cursor()));
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

// Appends the run of printable characters at the read position that lies
// in the buffer (all of it is read; what exceeds the token's room is
// dropped). Answers false when there is no such run.
inline bool TakePrintableRun(InputStream& in, int* length) {
  const unsigned char* const start = in.Cursor();
  const unsigned char* const limit = in.Limit();
  const unsigned char* p = start;
  while (p < limit && kClass.of[*p] == kPrintable) ++p;
  if (p == start) return false;
  const int run = static_cast<int>(p - start);
  const int room = kMaxTokenLength - *length;
  std::memcpy(g_TokenBuffer + *length, start, static_cast<size_t>(run < room ? run : room));
  *length += run < room ? run : room;
  g_LineHasChars = true;
  in.Skip(static_cast<size_t>(run));
  return true;
}

// Fast path: the common token, read straight from the buffer. It passes
// over blanks and line ends and takes a delimiter, or a run of printable
// characters that a delimiter, a blank run or a line end closes, exactly
// as the character loop would; whatever it cannot finish inside the buffer
// (a run or pair cut by the buffer's end, a comment, a NUL, another
// character) it leaves untouched for the loop. Answers the token or null.
const char* FastToken(InputStream& in) {
  const unsigned char* p = in.Cursor();
  const unsigned char* const limit = in.Limit();
  // Blanks and line ends before the token.
  while (p < limit) {
    const unsigned char c = *p;
    if (c == ' ' || c == '\t') {
      const unsigned char* q = p + 1;
      while (q < limit && (*q == ' ' || *q == '\t' || *q == '\0')) ++q;
      if (q == limit) break;  // the run may go on in the next block
      g_LineHasChars = true;
      p = q;
    } else if (c == '\n' || c == '\r') {
      if (p + 1 == limit) break;  // its pair partner is not buffered
      ++g_LineNumber;
      g_LineHasChars = false;
      const unsigned char partner = c == '\n' ? '\r' : '\n';
      p += p[1] == partner ? 2 : 1;
    } else {
      break;
    }
  }
  in.Skip(static_cast<size_t>(p - in.Cursor()));
  if (p == limit) return nullptr;
  if (kClass.of[*p] == kDelimiter) {
    g_LineHasChars = true;
    g_TokenBuffer[0] = static_cast<char>(*p);
    g_TokenBuffer[1] = '\0';
    g_TokenLength = 1;
    in.Skip(1);
    return g_TokenBuffer;
  }
  if (kClass.of[*p] != kPrintable) return nullptr;
  const unsigned char* end = p + 1;
  while (end < limit && kClass.of[*end] == kPrintable) ++end;
  if (end == limit || end - p > kMaxTokenLength) return nullptr;
  const unsigned char* next = end;  // after what closes the token
  const unsigned char c = *end;
  bool line_end = false;
  if (kClass.of[c] == kDelimiter) {
    // left unread: it is the next token
  } else if (c == ' ' || c == '\t') {
    ++next;
    while (next < limit && (*next == ' ' || *next == '\t' || *next == '\0')) ++next;
    if (next == limit) return nullptr;
  } else if (c == '\n' || c == '\r') {
    if (end + 1 == limit) return nullptr;
    const unsigned char partner = c == '\n' ? '\r' : '\n';
    next += end[1] == partner ? 2 : 1;
    line_end = true;
  } else {
    return nullptr;  // a slash, a NUL or a dropped character: the loop's work
  }
  const int length = static_cast<int>(end - p);
  for (int i = 0; i < length; ++i) g_TokenBuffer[i] = static_cast<char>(p[i]);
  g_TokenBuffer[length] = '\0';
  g_TokenLength = length;
  if (line_end) {
    ++g_LineNumber;
    g_LineHasChars = false;
  } else {
    g_LineHasChars = true;
  }
  in.Skip(static_cast<size_t>(next - in.Cursor()));
  return g_TokenBuffer;
}

// Scans "<" a "," b ... ">" (`count` numbers) from the read position
// without consuming; calls `number(i, begin, end)` for each number's text,
// which answers false to refuse it. On success answers the end of the item
// and the line ends passed before it.
template <class Number>
const unsigned char* ScanItem(const InputStream& in, int count, int64_t* lines, Number number) {
  if (g_TokenPushedBack) return nullptr;
  const unsigned char* p = in.Cursor();
  const unsigned char* const limit = in.Limit();
  *lines = 0;
  // Blanks and line ends before the item, as FastToken passes them.
  while (p < limit && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) {
    if (*p == '\n' || *p == '\r') {
      if (p + 1 == limit) return nullptr;
      const unsigned char partner = *p == '\n' ? '\r' : '\n';
      p += p[1] == partner ? 2 : 1;
      ++*lines;
    } else {
      ++p;
    }
  }
  auto blanks = [&] {
    while (p < limit && (*p == ' ' || *p == '\t')) ++p;
  };
  if (p == limit || *p != '<') return nullptr;
  ++p;
  for (int i = 0; i < count; ++i) {
    blanks();
    const unsigned char* begin = p;
    while (p < limit && kClass.of[*p] == kPrintable) ++p;
    if (p == begin || p == limit || p - begin > kMaxTokenLength || !number(i, begin, p)) {
      return nullptr;
    }
    blanks();
    if (p == limit || *p != (i < count - 1 ? ',' : '>')) return nullptr;
    ++p;
  }
  return p;
}

// A plain floating-point number, as TokenToDouble reads it: an optional
// '-', a digit or a point, and all of the text a decimal number in range
// (so no "inf" or "nan", which the token calls read through strtod).
bool PlainDouble(const unsigned char* begin, const unsigned char* end, double* out) {
  const unsigned char* lead = *begin == '-' ? begin + 1 : begin;
  if (lead == end || !((*lead >= '0' && *lead <= '9') || *lead == '.')) return false;
  const char* first = reinterpret_cast<const char*>(begin);
  const char* last = reinterpret_cast<const char*>(end);
  auto [ptr, ec] = DecimalFromChars(first, last, *out);
  return ec == std::errc() && ptr == last;
}

// A plain integer, as TokenToInt reads it: an optional sign and 1 to 18
// digits, all of the text; the value's low 32 bits.
bool PlainInt(const unsigned char* begin, const unsigned char* end, int* out) {
  const bool negative = *begin == '-';
  const unsigned char* p = negative || *begin == '+' ? begin + 1 : begin;
  if (p == end || end - p > 18) return false;
  int64_t value = 0;
  for (; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    value = value * 10 + (*p - '0');
  }
  *out = static_cast<int>(negative ? -value : value);
  return true;
}

// Commits a scanned item: its lines counted, ">" the current token.
void TakeItem(InputStream& in, const unsigned char* end, int64_t lines) {
  g_LineNumber += lines;
  g_LineHasChars = true;
  g_TokenBuffer[0] = '>';
  g_TokenBuffer[1] = '\0';
  g_TokenLength = 1;
  in.Skip(static_cast<size_t>(end - in.Cursor()));
}

}  // namespace

bool FastVector(InputStream& in, int count, double* out) {
  int64_t lines = 0;
  const unsigned char* end = ScanItem(
      in, count, &lines, [out](int i, const unsigned char* begin, const unsigned char* finish) {
        return PlainDouble(begin, finish, &out[i]);
      });
  if (end == nullptr) return false;
  TakeItem(in, end, lines);
  return true;
}

bool FastIndexTriple(InputStream& in, int out[3]) {
  int64_t lines = 0;
  const unsigned char* end = ScanItem(
      in, 3, &lines, [out](int i, const unsigned char* begin, const unsigned char* finish) {
        return PlainInt(begin, finish, &out[i]);
      });
  if (end == nullptr) return false;
  TakeItem(in, end, lines);
  return true;
}

void ResetTokenizer() {
  g_LineNumber = 1;
  g_LineHasChars = false;
  g_TokenPushedBack = 0;
  g_TokenBuffer[0] = '\0';
  g_TokenLength = 0;
}

const char* NextToken(InputStream& in) {
  if (g_TokenPushedBack) {
    g_TokenPushedBack = 0;
    return g_TokenBuffer;
  }
  if (const char* token = FastToken(in)) return token;
  int length = 0;
  for (;;) {
    if (in.Eof()) {
      g_TokenBuffer[0] = '\0';  // a later push-back hands out the empty token
      g_TokenLength = 0;
      return nullptr;
    }
    bool ended = false;
    while (!ended && !in.Eof()) {
      if (TakePrintableRun(in, &length)) continue;
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
      g_TokenLength = length;
      return g_TokenBuffer;
    }
  }
}
