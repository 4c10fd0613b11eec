// The files a scene reads and writes: #include, and #fopen, #read, #write
// and #fclose. Reading follows the include rules (beside the file, then the
// library path; regular files only, never the system's); writing goes to
// MemoryFiles, which #include, #fopen ... read and file_exists() see first.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The kernel's and devices' files are never scene text, and some are endless
// or huge (/proc/kcore, /dev/zero): judged on the canonical path.
bool IsSystemPath(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return false;
  const std::string canonical = resolved;
  std::free(resolved);
  for (const char* special : {"/proc/", "/sys/", "/dev/"}) {
    if (canonical.rfind(special, 0) == 0) return true;
  }
  return false;
}

// A number as #write writes it (as C's %g).
std::string Written(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

Position StartOf(const Source* source) {
  const size_t bom = source->text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  return Position{source, bom, 1, bom};
}

const Source* Parser::OpenSceneFile(const std::string& name, const Token& at, const char* what) {
  if (const std::string* written = memory_files_.Find(name)) {
    budget_.Allocate(written->size(), at.where);
    return sources_.Adopt(name, *written);
  }
  std::vector<std::string> candidates;
  if (!name.empty() && name[0] == '/') {
    candidates.push_back(name);
  } else {
    candidates.push_back(Folder(at.where.source->path) + name);
    for (const std::string& folder : options_.library_paths) {
      if (!folder.empty()) candidates.push_back(folder + (folder.back() == '/' ? "" : "/") + name);
    }
  }
  for (const std::string& path : candidates) {
    if (access(path.c_str(), R_OK) != 0) continue;
    if (IsSystemPath(path)) {
      Warn(at.where,
           std::string("the ") + what + " \"" + Quote(name) + "\" is a system file; passed over");
      return nullptr;
    }
    std::string error;
    const Source* source = sources_.Load(path, &error);
    if (source == nullptr) {
      Warn(at.where, std::string("the ") + what + " \"" + Quote(name) + "\" cannot be read (" +
                         error + "); passed over");
    }
    return source;
  }
  Warn(at.where, std::string("the ") + what + " \"" + Quote(name) +
                     "\" is not found beside the file or in the library path; passed over");
  return nullptr;
}

std::string Parser::SceneFilePath(const std::string& name, const Position& at) const {
  if (name.empty()) return "";
  std::vector<std::string> candidates;
  if (name[0] == '/') {
    candidates.push_back(name);
  } else {
    if (at.source != nullptr) candidates.push_back(Folder(at.source->path) + name);
    for (const std::string& folder : options_.library_paths) {
      if (!folder.empty()) candidates.push_back(folder + (folder.back() == '/' ? "" : "/") + name);
    }
  }
  for (const std::string& path : candidates) {
    if (access(path.c_str(), R_OK) == 0 && !IsSystemPath(path)) return path;
  }
  return "";
}

bool Parser::SceneFileExists(const std::string& name, const Position& at) const {
  if (name.empty()) return false;
  if (memory_files_.Find(name) != nullptr) return true;
  if (name[0] == '/') return access(name.c_str(), R_OK) == 0;
  if (at.source != nullptr && access((Folder(at.source->path) + name).c_str(), R_OK) == 0) {
    return true;
  }
  for (const std::string& folder : options_.library_paths) {
    if (!folder.empty() && access((folder + "/" + name).c_str(), R_OK) == 0) return true;
  }
  return false;
}

void Parser::DirectiveInclude(const Token& at) {
  // The name alone: a directive after it runs once the file is read, not
  // while the expression looks ahead for an operator.
  std::string name;
  {
    ScopedFlag hold(hold_directives_, true);
    name = StringExpression();
  }
  budget_.CheckOpenCalls(open_calls_, at.where);
  const Source* source = OpenSceneFile(name, at, "include file");
  if (source == nullptr) return;
  if (IncludedAlready(source)) {
    Fail(at, "the include file \"" + Quote(name) +
                 "\" is already being read: a file that includes itself never ends");
  }
  PushFrame(Frame{
      FrameKind::kInclude, ResumePoint(), 0, 0, {}, 0, 1, symbols_.depth(), at.where, source});
  symbols_.Open();
  ++open_calls_;
  lexer_.Seek(StartOf(source));
}

// #fopen ID "name" read|write|append
void Parser::DirectiveFopen(const Token& at) {
  const Token id = Raw();
  if (id.kind != TokenKind::kWord || IsReservedWord(id.text)) {
    Fail(id, "expected the identifier of the file after #fopen, found " + Describe(id));
  }
  std::string name;
  {
    ScopedFlag hold(hold_directives_, true);
    name = StringExpression();
  }
  const Token mode = Raw();
  const bool read = mode.IsWord("read");
  if (!read && !mode.IsWord("write") && !mode.IsWord("append")) {
    Fail(mode, "expected read, write or append after the file's name, found " + Describe(mode));
  }
  OpenFile file;
  file.name = name;
  file.writing = !read;
  if (read) {
    const Source* source = OpenSceneFile(name, at, "file");
    if (source == nullptr) return;
    file.reader = Lexer(StartOf(source));
  } else {
    // Written in memory only: nothing of a scene reaches the disk.
    memory_files_.Open(name, mode.IsWord("append"));
  }
  Value handle;
  handle.type = ValueType::kOther;
  handle.text = "file";
  symbols_.DeclareGlobal(std::string(id.text), std::move(handle));
  open_files_[std::string(id.text)] = std::move(file);
}

void Parser::DirectiveFclose(const Token&) {
  const Token id = Raw();
  CloseFile(id.text);
}

void Parser::CloseFile(std::string_view id) {
  open_files_.erase(std::string(id));
  symbols_.Undefine(id);
}

Parser::OpenFile& Parser::FileArgument(bool writing, std::string* id_text) {
  Expect('(', writing ? "after #write" : "after #read");
  const Token id = Raw();
  auto found =
      id.kind == TokenKind::kWord ? open_files_.find(std::string(id.text)) : open_files_.end();
  if (found == open_files_.end() || found->second.writing != writing) {
    Fail(id, std::string("expected the identifier of a file open for ") +
                 (writing ? "writing" : "reading") + ", found " + Describe(id));
  }
  if (id_text != nullptr) *id_text = std::string(id.text);
  return found->second;
}

// #write (ID, item, ...): strings as they are, floats as %g, vectors as
// <x,y,z> and a blank, as POV-Ray writes them. Commas are optional.
void Parser::DirectiveWrite(const Token&) {
  const std::string name = FileArgument(true, nullptr).name;
  for (;;) {
    const Token next = PeekRaw();
    if (next.Is(')')) {
      Raw();
      return;
    }
    if (next.Is(',')) {
      Raw();
      continue;
    }
    const Value value = Expression();
    std::string text;
    if (value.type == ValueType::kString) {
      text = value.text;
    } else if (value.type == ValueType::kFloat) {
      text = Written(value.v[0]);
    } else if (value.type == ValueType::kVector) {
      text = "<";
      for (int i = 0; i < value.dim; ++i) text += (i > 0 ? "," : "") + Written(value.v[i]);
      text += "> ";
    } else {
      Fail(next, std::string("#write cannot write ") + TypeName(value.type));
    }
    budget_.Allocate(text.size(), next.where);
    memory_files_.Write(name, text);
  }
}

// #read (ID, VAR, ...): each variable gets the next item of the file (a
// number, a vector or a string, items separated by commas). Once nothing is
// left in the file, it is closed and its identifier undefined, so that
// #ifdef (ID) ends a reading loop, as in POV-Ray.
void Parser::DirectiveRead(const Token&) {
  std::string id;
  OpenFile& file = FileArgument(false, &id);
  for (;;) {
    const Token next = Raw();
    if (next.Is(')')) break;
    if (next.Is(',')) continue;
    if (next.kind != TokenKind::kWord || IsReservedWord(next.text)) {
      Fail(next, "expected the identifier to read into, found " + Describe(next));
    }
    Value value;
    if (!ReadItem(file.reader, &value)) {
      Fail(next,
           "the file \"" + Quote(file.name) + "\" has no number, vector or string to read there");
    }
    symbols_.Declare(std::string(next.text), std::move(value), false);
  }
  if (file.reader.PeekChar() == '\0') CloseFile(id);  // `file` is gone after this
}

bool Parser::ReadItem(Lexer& reader, Value* out) {
  Token token = reader.Next();
  if (token.Is(',')) token = reader.Next();
  double sign = 1;
  if (token.Is('-') || token.Is('+')) {
    sign = token.Is('-') ? -1 : 1;
    token = reader.Next();
  }
  if (token.kind == TokenKind::kNumber) {
    *out = Value::Float(sign * token.number);
  } else if (token.kind == TokenKind::kString) {
    *out = MakeString(Unescape(token.text), token.where);
  } else if (token.Is('<')) {
    double v[5];
    int n = 0;
    for (;;) {
      Token part = reader.Next();
      if (part.Is('>') || part.kind == TokenKind::kEnd) break;
      if (part.Is(',')) continue;
      double s = 1;
      if (part.Is('-') || part.Is('+')) {
        s = part.Is('-') ? -1 : 1;
        part = reader.Next();
      }
      if (part.kind != TokenKind::kNumber || n == 5) return false;
      v[n++] = s * part.number;
    }
    if (n < 2) return false;
    *out = Value::Vector(n, v);
  } else {
    return false;
  }
  // A comma after the item belongs to it.
  reader.SkipComma();
  return true;
}

}  // namespace sdl
