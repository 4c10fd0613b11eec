// Lexer: POV-Ray's scene language cut into tokens, over one source text held
// in memory. A Position is a plain value (source, offset, line), so that loops
// and macro calls can jump back to where they began. The sources belong to
// the SourceSet of the reading and outlive every lexer and token over them.
// One thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sdl {

// One file's text, whole: mapped from the file, or held in memory.
struct Source {
  Source() = default;
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  ~Source();

  std::string path;
  std::string_view text;  // into `owned` or the mapping

  std::string owned;
  void* mapping = nullptr;
  // The file's identity, to find a file included from itself (0 in memory).
  uint64_t device = 0, inode = 0;
  size_t mapping_size = 0;
};

// Owns every source opened during one reading; sources never move. A file
// loaded again (by the same path, unchanged in size) is the source loaded
// before.
class SourceSet {
 public:
  // Loads `path`; null (and `error` set) when it cannot be read.
  const Source* Load(const std::string& path, std::string* error);
  const Source* Adopt(std::string path, std::string text);

 private:
  std::vector<std::unique_ptr<Source>> sources_;
  std::map<std::pair<uint64_t, uint64_t>, const Source*> by_file_;  // device, inode
};

struct Position {
  const Source* source = nullptr;
  size_t offset = 0;
  int64_t line = 1;
  size_t line_start = 0;  // offset of the line's first character
};

// Where reading a source begins: after a UTF-8 byte-order mark, if any.
Position StartOf(const Source* source);

enum class TokenKind : uint8_t {
  kEnd,     // the end of the source
  kNumber,  // `number` holds its value
  kWord,    // identifier or keyword
  kString,  // `text` is the contents as written; Unescape gives the value
  kPunct,   // one or two characters: { } ( ) [ ] < > , ; . + - * / ! ? : = & | <= >= !=
  kHash,    // '#', which begins a directive
  kBad,     // a character that starts no token; `text` holds it
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string_view text;  // into the source (kString: between the quotes, escapes kept)
  double number = 0;
  Position where;  // where the token begins

  bool Is(char c) const { return kind == TokenKind::kPunct && text.size() == 1 && text[0] == c; }
  bool IsPunct(std::string_view p) const { return kind == TokenKind::kPunct && text == p; }
  bool IsWord(std::string_view w) const { return kind == TokenKind::kWord && text == w; }
  int64_t Column() const { return static_cast<int64_t>(where.offset - where.line_start) + 1; }
};

// A string token's value, with its escapes (\n, \t, \", \\) replaced.
std::string Unescape(std::string_view text);

class Lexer {
 public:
  explicit Lexer(Position start) : pos_(start), segment_start_(start.offset) {}

  Token Next();
  const Position& position() const { return pos_; }
  // Reading goes on at `position`: the bytes scanned since the last jump
  // are added to the count, which then follows from the new position.
  void Seek(const Position& position) {
    if (pos_.offset > segment_start_) scanned_before_ += pos_.offset - segment_start_;
    pos_ = position;
    segment_start_ = position.offset;
  }
  // Messages of the last Next() about an unterminated comment or string, or "".
  const std::string& problem() const { return problem_; }
  const Position& problem_at() const { return problem_at_; }
  // Bytes scanned in all, rescans after a Seek included. Between jumps the
  // lexer only moves forward, so the count costs nothing while it reads.
  uint64_t scanned() const {
    return scanned_before_ + (pos_.offset > segment_start_ ? pos_.offset - segment_start_ : 0);
  }

  // The fast path for lists of literal numbers: reads "<n, n, ...>" with
  // `count` plain decimal numbers (commas optional, a sign only at the start
  // of a component), when nothing else stands between them and the next
  // item. False, with the position unchanged, for anything else; the caller
  // then reads the vector as an expression.
  bool FastVector(double* out, int count);
  // The same for "<i, j, k>" of plain whole numbers (face indices).
  bool FastIndices(int32_t out[3]);
  // The same for one plain number standing alone (a face's texture index).
  bool FastNumber(double* out);
  // Consumes a ',' if one comes next (after blanks and comments).
  void SkipComma();
  // The next character after blanks and comments, not consumed; '\0' at the end.
  char PeekChar();

 private:
  void SkipSpaceAndComments();
  void NewLine(size_t at) {
    ++pos_.line;
    pos_.line_start = at + 1;
  }
  const char* data() const { return pos_.source->text.data(); }
  size_t size() const { return pos_.source->text.size(); }

  Position pos_;
  size_t segment_start_ = 0;     // where reading went on after the last jump
  uint64_t scanned_before_ = 0;  // bytes scanned before it
  std::string problem_;
  Position problem_at_;
};

}  // namespace sdl
