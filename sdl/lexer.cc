#include "sdl/lexer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "reader/input_stream.h"
#include "reader/numbers.h"

namespace sdl {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// A line ends at LF, at CR LF (counted at the LF) and at a CR alone.
bool LineEndAt(const char* d, size_t i, size_t n) {
  return d[i] == '\n' || (d[i] == '\r' && (i + 1 >= n || d[i + 1] != '\n'));
}
bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

// Whether `c` after a vector or number would make it part of a larger
// expression (an operator; NUL too, as it ends no item): the fast item
// readers leave such items to the expression reader. "<=" is checked apart.
struct ExpressionContinuations {
  bool of[256] = {};
  constexpr ExpressionContinuations() {
    for (unsigned char c : {'+', '-', '*', '/', '.', '?', ':', '&', '|', '=', '!', '>', '\0'}) {
      of[c] = true;
    }
  }
};
constexpr ExpressionContinuations kContinuations;
bool ContinuesExpression(char c) { return kContinuations.of[static_cast<unsigned char>(c)]; }
bool IsWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c); }

}  // namespace

Source::~Source() {
  if (mapping != nullptr) munmap(mapping, mapping_size);
}

const Source* SourceSet::Load(const std::string& path, std::string* error) {
  struct stat info;
  int failure = 0;
  const int fd = OpenRegularFd(path.c_str(), &info, &failure);
  if (fd < 0) {
    *error = failure != 0 ? std::strerror(failure) : "not a regular file";
    return nullptr;
  }
  // A file read before in this reading (an include in a loop or a macro)
  // is the same text: the one copy is shared, so that including it again
  // costs neither memory nor a mapping.
  const auto key =
      std::make_pair(static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino));
  if (auto known = by_file_.find(key);
      known != by_file_.end() && known->second->text.size() == static_cast<size_t>(info.st_size) &&
      known->second->path == path) {
    close(fd);
    return known->second;
  }
  auto source = std::make_unique<Source>();
  source->path = path;
  source->device = key.first;
  source->inode = key.second;
  const size_t size = static_cast<size_t>(info.st_size);
  // Mapped, the text is read straight from the page cache: no copy, and no
  // zeroed buffer of the file's size first. Pages are read ahead only for
  // files of a size that scenes have; a larger one is read as it is used.
  constexpr size_t kPopulateAtMost = size_t{1} << 30;
  const int populate = size <= kPopulateAtMost ? MAP_POPULATE : 0;
  void* mapping =
      size > 0 ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE | populate, fd, 0) : MAP_FAILED;
  if (mapping != MAP_FAILED) {
    madvise(mapping, size, MADV_SEQUENTIAL);
    source->mapping = mapping;
    source->mapping_size = size;
    source->text = std::string_view(static_cast<const char*>(mapping), size);
  } else {
    // Not mappable (an empty file, a special file system): read it.
    // Such a file may claim no size and never end: read up to a bound.
    constexpr size_t kReadAtMost = size_t{1} << 30;
    char buffer[1 << 16];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      source->owned.append(buffer, static_cast<size_t>(n));
      if (source->owned.size() > kReadAtMost) {
        *error = "larger than a scene file can be";
        close(fd);
        return nullptr;
      }
    }
    source->text = source->owned;
  }
  close(fd);
  sources_.push_back(std::move(source));
  by_file_[key] = sources_.back().get();
  return sources_.back().get();
}

const Source* SourceSet::Adopt(std::string path, std::string text) {
  auto source = std::make_unique<Source>();
  source->path = std::move(path);
  source->owned = std::move(text);
  source->text = source->owned;
  sources_.push_back(std::move(source));
  return sources_.back().get();
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      default:
        out += text[i];
        break;  // \\ \" \' and anything else: the character
    }
  }
  return out;
}

// Blanks and comments; block comments nest, as POV-Ray's do.
void Lexer::SkipSpaceAndComments() {
  const char* d = data();
  const size_t n = size();
  size_t i = pos_.offset;
  for (;;) {
    while (i < n && IsSpace(d[i])) {
      if (LineEndAt(d, i, n)) NewLine(i);
      ++i;
    }
    if (i + 1 < n && d[i] == '/' && d[i + 1] == '/') {
      while (i < n && !IsLineBreak(d[i])) ++i;
      continue;
    }
    if (i + 1 < n && d[i] == '/' && d[i + 1] == '*') {
      Position start = pos_;
      start.offset = i;
      int depth = 1;
      i += 2;
      while (i < n && depth > 0) {
        if (LineEndAt(d, i, n)) NewLine(i);
        if (i + 1 < n && d[i] == '/' && d[i + 1] == '*') {
          ++depth;
          i += 2;
        } else if (i + 1 < n && d[i] == '*' && d[i + 1] == '/') {
          --depth;
          i += 2;
        } else {
          ++i;
        }
      }
      if (depth > 0) {
        problem_ = "a comment that begins here is never closed";
        problem_at_ = start;
      }
      continue;
    }
    break;
  }
  pos_.offset = i;
}

Token Lexer::Next() {
  problem_.clear();
  SkipSpaceAndComments();
  Token token;
  const char* d = data();
  const size_t n = size();
  size_t i = pos_.offset;
  token.where = pos_;
  if (i >= n) {
    token.kind = TokenKind::kEnd;
    return token;
  }
  const char c = d[i];
  if (IsDigit(c) || (c == '.' && i + 1 < n && IsDigit(d[i + 1]))) {
    double value = 0;
    auto result = DecimalFromChars(d + i, d + n, value);
    size_t end = static_cast<size_t>(result.ptr - d);
    if (result.ec == std::errc::result_out_of_range) {
      // Out of range leaves the value alone: take strtod's answer (inf or 0).
      value = std::strtod(std::string(d + i, end - i).c_str(), nullptr);
    }
    if (end == i) end = i + 1;  // cannot happen for a digit; guards the loop
    token.kind = TokenKind::kNumber;
    token.number = value;
    token.text = std::string_view(d + i, end - i);
    pos_.offset = end;
    return token;
  }
  if (IsWordStart(c)) {
    size_t end = i + 1;
    while (end < n && IsWordChar(d[end])) ++end;
    token.kind = TokenKind::kWord;
    token.text = std::string_view(d + i, end - i);
    pos_.offset = end;
    return token;
  }
  if (c == '"') {
    size_t end = i + 1;
    while (end < n && d[end] != '"' && !IsLineBreak(d[end])) {
      if (d[end] == '\\' && end + 1 < n && !IsLineBreak(d[end + 1])) ++end;
      ++end;
    }
    token.kind = TokenKind::kString;
    token.text = std::string_view(d + i + 1, end - i - 1);
    if (end >= n || d[end] != '"') {
      problem_ = "a string that begins here is not closed on its line";
      problem_at_ = token.where;
      pos_.offset = end;
    } else {
      pos_.offset = end + 1;
    }
    return token;
  }
  if (c == '#') {
    token.kind = TokenKind::kHash;
    token.text = std::string_view(d + i, 1);
    pos_.offset = i + 1;
    return token;
  }
  static constexpr char kSingles[] = "{}()[]<>,;.+-*/!?:=&|%";
  if (std::strchr(kSingles, c) != nullptr && c != '\0') {
    size_t length = 1;
    if ((c == '<' || c == '>' || c == '!') && i + 1 < n && d[i + 1] == '=') length = 2;
    token.kind = TokenKind::kPunct;
    token.text = std::string_view(d + i, length);
    pos_.offset = i + length;
    return token;
  }
  token.kind = TokenKind::kBad;
  token.text = std::string_view(d + i, 1);
  pos_.offset = i + 1;
  return token;
}

bool Lexer::FastVector(double* out, int count) {
  const char* d = data();
  const size_t n = size();
  Position saved = pos_;
  auto skip_blanks = [&](size_t& i) {
    while (i < n && IsSpace(d[i])) {
      if (LineEndAt(d, i, n)) NewLine(i);
      ++i;
    }
  };
  auto fail = [&] {
    pos_ = saved;
    return false;
  };
  size_t i = pos_.offset;
  skip_blanks(i);
  if (i >= n || d[i] != '<') return fail();
  ++i;
  for (int k = 0; k < count; ++k) {
    skip_blanks(i);
    if (k > 0 && i < n && d[i] == ',') {
      ++i;
      skip_blanks(i);
    } else if (k > 0 && i < n && !IsDigit(d[i]) && d[i] != '.') {
      return fail();  // a sign after a blank is a binary operator
    }
    bool negative = false;
    if (i < n && (d[i] == '-' || d[i] == '+')) {
      negative = d[i] == '-';
      ++i;
    }
    if (i >= n || !(IsDigit(d[i]) || d[i] == '.')) return fail();
    double value = 0;
    auto result = DecimalFromChars(d + i, d + n, value);
    if (result.ec != std::errc() || result.ptr == d + i) return fail();
    i = static_cast<size_t>(result.ptr - d);
    if (i < n && !IsSpace(d[i]) && d[i] != ',' && d[i] != '>') return fail();
    out[k] = negative ? -value : value;
  }
  skip_blanks(i);
  if (i >= n || d[i] != '>') return fail();
  ++i;
  // What follows must end the item: another operator would make the vector
  // part of a larger expression.
  size_t j = i;
  Position after = pos_;
  skip_blanks(j);
  if (j < n && ContinuesExpression(d[j])) {
    pos_ = saved;
    return false;
  }
  if (j < n && d[j] == '<' && j + 1 < n && d[j + 1] == '=') return fail();
  pos_ = after;
  pos_.offset = i;
  // The blanks after the vector are read again by the next Next(); the line
  // counter must not count them twice, so keep the state as of `i`.
  return true;
}

bool Lexer::FastIndices(int32_t out[3]) {
  const char* d = data();
  const size_t n = size();
  const Position saved = pos_;
  auto fail = [&] {
    pos_ = saved;
    return false;
  };
  size_t i = pos_.offset;
  auto skip_blanks = [&] {
    while (i < n && IsSpace(d[i])) {
      if (LineEndAt(d, i, n)) NewLine(i);
      ++i;
    }
  };
  skip_blanks();
  if (i >= n || d[i] != '<') return fail();
  ++i;
  for (int k = 0; k < 3; ++k) {
    skip_blanks();
    if (k > 0 && i < n && d[i] == ',') {
      ++i;
      skip_blanks();
    }
    if (i >= n || !IsDigit(d[i])) return fail();
    // Up to nine digits cannot overflow; longer numbers go to from_chars.
    const size_t first = i;
    int32_t value = 0;
    while (i < n && IsDigit(d[i]) && i - first < 9) value = value * 10 + (d[i++] - '0');
    if (i < n && IsDigit(d[i])) {
      auto result = std::from_chars(d + first, d + n, value);
      if (result.ec != std::errc()) return fail();
      i = static_cast<size_t>(result.ptr - d);
    }
    out[k] = value;
    // A fraction, an exponent or an operator: the expression reader's.
    if (i < n && !IsSpace(d[i]) && d[i] != ',' && d[i] != '>') return fail();
  }
  skip_blanks();
  if (i >= n || d[i] != '>') return fail();
  ++i;
  size_t j = i;
  while (j < n && (d[j] == ' ' || d[j] == '\t')) ++j;
  if (j < n && ContinuesExpression(d[j])) return fail();
  if (j + 1 < n && d[j] == '<' && d[j + 1] == '=') return fail();
  pos_.offset = i;
  return true;
}

bool Lexer::FastNumber(double* out) {
  const char* d = data();
  const size_t n = size();
  const Position saved = pos_;
  SkipSpaceAndComments();
  size_t i = pos_.offset;
  if (i >= n || !(IsDigit(d[i]) || d[i] == '.')) {
    pos_ = saved;
    return false;
  }
  double value = 0;
  auto result = DecimalFromChars(d + i, d + n, value);
  const size_t end = static_cast<size_t>(result.ptr - d);
  // Only a number that ends the item: a separator, a blank or the next face.
  if (result.ec != std::errc() || end == i ||
      (end < n && !IsSpace(d[end]) && d[end] != ',' && d[end] != '<' && d[end] != '}')) {
    pos_ = saved;
    return false;
  }
  size_t j = end;
  while (j < n && (d[j] == ' ' || d[j] == '\t')) ++j;
  if (j < n && ContinuesExpression(d[j])) {
    pos_ = saved;
    return false;
  }
  pos_.offset = end;
  *out = value;
  return true;
}

void Lexer::SkipComma() {
  SkipSpaceAndComments();
  if (pos_.offset < size() && data()[pos_.offset] == ',') ++pos_.offset;
}

char Lexer::PeekChar() {
  SkipSpaceAndComments();
  return pos_.offset < size() ? data()[pos_.offset] : '\0';
}

}  // namespace sdl
