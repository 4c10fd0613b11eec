// The token layer of the parser: directives, macro calls, includes, loops
// and conditionals are carried out here, so that the readers of expressions
// and objects see only the tokens that POV-Ray would see.
#include <unistd.h>

#include <cmath>
#include <cstring>

#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

// Control characters as escapes, so that a message stays one line.
std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7f) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

// After so many errors and warnings, further ones are counted but not shown.
constexpr int64_t kErrorsShown = 100;
constexpr int64_t kWarningsShown = 200;

}  // namespace

Parser::Parser(SceneSink& sink, ParserOptions options)
    : sink_(sink), options_(std::move(options)), budget_(options_.limits) {
  budget_.SetStopCheck(options_.stop, options_.stop_context);
}

void Parser::Start(const Source* source) {
  main_ = source;
  lexer_ = Lexer(StartOf(source));
  symbols_.Reset();
}

// ---- messages ----

std::string Parser::Quote(std::string_view text) {
  constexpr size_t kShown = 40;
  std::string out = EscapeControls(text.substr(0, kShown));
  if (text.size() > kShown) out += "...";
  return out;
}

std::string Parser::Describe(const Token& token) const {
  switch (token.kind) {
    case TokenKind::kEnd:
      return "the end of the file";
    case TokenKind::kString:
      return "the string \"" + Quote(token.text) + "\"";
    case TokenKind::kNumber:
      return "the number " + Quote(token.text);
    case TokenKind::kHash:
      return "a directive";
    default:
      return "'" + Quote(token.text) + "'";
  }
}

void Parser::Report(bool error, const Position& at, const std::string& message) {
  // Past a hundred errors or two hundred warnings the messages stop; the
  // reading goes on (its bounds still end it).
  int64_t& count = error ? errors_ : warnings_;
  const int64_t shown = error ? kErrorsShown : kWarningsShown;
  if (error && errors_ == 0) first_error_line_ = at.line;
  if (count++ >= shown) return;
  Emit(error, at,
       count < shown ? message
       : error       ? message + " (further errors are not shown)"
                     : message + " (further warnings are not shown)");
}

void Parser::Emit(bool error, const Position& at, const std::string& message) {
  const std::string file = at.source != nullptr ? at.source->path : std::string("?");
  const int64_t column = static_cast<int64_t>(at.offset - at.line_start) + 1;
  const std::string text = file + ":" + std::to_string(at.line) + ":" + std::to_string(column) +
                           ": " + (error ? "error: " : "warning: ") + message;
  sink_.Message(error, EscapeControls(text));
}

void Parser::Fail(const Token& at, const std::string& message) { Fail(at.where, message); }

void Parser::Fail(const Position& at, const std::string& message) { throw ParseError{message, at}; }

void Parser::Warn(const Position& at, const std::string& message) { Report(false, at, message); }

void Parser::Expect(char punct, const char* what) {
  const Token token = Next();
  if (!token.Is(punct)) {
    Fail(token, std::string("expected '") + punct + "' " + what + ", found " + Describe(token));
  }
}

Token Parser::ExpectWord(const char* what) {
  const Token token = Next();
  if (token.kind != TokenKind::kWord) {
    Fail(token, std::string("expected ") + what + ", found " + Describe(token));
  }
  return token;
}

// ---- tokens ----

void Parser::CountDepth(int delta) { brace_depth_ += delta; }

Token Parser::Lex() {
  Token token = lexer_.Next();
  budget_.Token(token.where);
  budget_.Scanned(lexer_.scanned(), token.where);
  return token;
}

Token Parser::Raw() {
  Token token;
  if (!pushed_.empty()) {
    token = pushed_.back();
    pushed_.pop_back();
    return token;
  }
  token = Lex();
  if (!lexer_.problem().empty()) Report(true, lexer_.problem_at(), lexer_.problem());
  if (token.where.source == main_ && static_cast<int64_t>(token.where.offset) >= next_progress_) {
    sink_.Progress(static_cast<int64_t>(token.where.offset));
    next_progress_ = static_cast<int64_t>(token.where.offset) +
                     std::max<int64_t>(1, static_cast<int64_t>(main_->text.size() / 100));
  }
  return token;
}

Token Parser::PeekRaw() {
  for (;;) {
    const bool fresh = pushed_.empty();
    Token token = Raw();
    // Held, the lookahead stays in its file too: the include chain is left
    // as it is until the directive that holds it is done.
    if (fresh && token.kind == TokenKind::kEnd && !hold_directives_ && EndOfSource()) continue;
    if (fresh && token.kind == TokenKind::kHash) {
      // Control flow (a macro's or a block's #end, #else ...) is carried out
      // to see the token after it; a directive that changes a value is not,
      // since the expression being read may be the value it needs.
      const Position word_at = lexer_.position();
      const Token word = Lex();
      lexer_.Seek(word_at);
      if (!hold_directives_ &&
          !(word.kind == TokenKind::kWord && ChangesValue(DirectiveOf(word.text)))) {
        Directive(token);
        continue;
      }
    }
    pushed_.push_back(token);
    return token;
  }
}

Token Parser::Next() {
  for (;;) {
    Token token = Raw();
    switch (token.kind) {
      case TokenKind::kEnd:
        if (EndOfSource()) continue;
        main_lines_ = token.where.line - 1;  // the main file's line ends, all read
        return token;
      case TokenKind::kHash:
        Directive(token);
        continue;
      case TokenKind::kWord:
        if (const ValueRef value = Lookup(token.text);
            value != nullptr && value->type == ValueType::kMacro) {
          CallMacro(token, *value->macro);  // `value` keeps the macro while the call reads
          continue;
        }
        return token;
      case TokenKind::kPunct:
        if (token.Is('{')) CountDepth(1);
        if (token.Is('}')) CountDepth(-1);
        return token;
      case TokenKind::kBad:
        Report(true, token.where,
               "the character '" + std::string(token.text) + "' begins no token; passed over");
        continue;
      default:
        return token;
    }
  }
}

Token Parser::Peek() {
  const Token token = Next();
  Unget(token);
  if (token.Is('{')) CountDepth(-1);
  if (token.Is('}')) CountDepth(1);
  return token;
}

// The end of a source: an include returns to its includer; a block left
// open is reported and closed. False at the end of the main file.
bool Parser::EndOfSource() {
  while (!frames_.empty()) {
    const Frame frame = frames_.back();
    if (frame.kind == FrameKind::kInclude) {
      Return(frame);
      return true;
    }
    const Position here = lexer_.position();
    const char* what = frame.kind == FrameKind::kMacro    ? "a macro body"
                       : frame.kind == FrameKind::kWhile  ? "#while"
                       : frame.kind == FrameKind::kFor    ? "#for"
                       : frame.kind == FrameKind::kSwitch ? "#switch"
                                                          : "#if";
    Report(true, frame.opened,
           std::string(what) + " that begins here has no #end before the end of " +
               (here.source != nullptr ? here.source->path : std::string("the file")));
    if (frame.kind == FrameKind::kMacro) {
      Return(frame);
      return true;
    }
    frames_.pop_back();
  }
  return false;
}

void Parser::PushFrame(Frame frame) {
  // Blocks open at once live in this list, not on the stack; they are
  // bounded all the same (a file of nested #if would otherwise grow it).
  const size_t bound = static_cast<size_t>(budget_.limits().nesting) * 4;
  if (frames_.size() >= bound) {
    throw FatalError{"the reading stops: more than " + std::to_string(bound) +
                         " blocks, macro calls and includes open at once (four times the bound "
                         "max_nesting of the settings)",
                     frame.opened};
  }
  frames_.push_back(std::move(frame));
}

void Parser::Return(const Frame& frame) {
  const Position resume = frame.resume;
  symbols_.CloseTo(frame.scope_depth);
  --open_calls_;
  frames_.pop_back();  // `frame` may be this element: used no more
  lexer_.Seek(resume);
}

bool Parser::IncludedAlready(const Source* source) const {
  // Files by their identity; those a scene wrote (in memory) by name.
  auto same = [source](const Source* other) {
    if (other == nullptr) return false;
    if (source->inode == 0) return other->inode == 0 && other->path == source->path;
    return other->device == source->device && other->inode == source->inode;
  };
  if (same(main_)) return true;
  for (const Frame& frame : frames_) {
    if (frame.kind == FrameKind::kInclude && same(frame.included)) return true;
  }
  return false;
}

Position Parser::ResumePoint() {
  if (pushed_.empty()) return lexer_.position();
  const Position at = pushed_.back().where;
  pushed_.clear();
  return at;
}

// ---- symbols ----

Value Parser::CopyOf(const Value& value, const Position& at) {
  budget_.Allocate(value.text.size(), at);
  return value;
}

Value Parser::MakeString(std::string text, const Position& at) {
  budget_.Allocate(text.size(), at);
  return Value::String(std::move(text));
}

// ---- directives ----

void Parser::Directive(const Token& hash) {
  Token word = Raw();
  if (word.kind != TokenKind::kWord) {
    // A '#' alone, as POV-Ray passes it over; what follows it stays.
    Warn(hash.where, "a '#' without a directive is passed over");
    Unget(word);
    return;
  }
  word.where = hash.where;  // messages about the directive point at its '#'

  const DirectiveWord directive = DirectiveOf(word.text);
  const int64_t line = word.where.line;
  NestingGuard nesting(*this, word.where);
  const Source* source = word.where.source;
  try {
    switch (directive) {
      case DirectiveWord::kDeclare:
      case DirectiveWord::kLocal:
        DirectiveDeclare(directive == DirectiveWord::kLocal, word);
        break;
      case DirectiveWord::kUndef:
        symbols_.Undefine(Raw().text);
        break;
      case DirectiveWord::kIf:
        DirectiveIf(word, false, false);
        break;
      case DirectiveWord::kIfdef:
        DirectiveIf(word, false, true);
        break;
      case DirectiveWord::kIfndef:
        DirectiveIf(word, true, true);
        break;
      case DirectiveWord::kElse:
      case DirectiveWord::kElseif:
        DirectiveElse(word, directive);
        break;
      case DirectiveWord::kEnd:
        DirectiveEnd(word);
        break;
      case DirectiveWord::kSwitch:
        DirectiveSwitch(word);
        break;
      case DirectiveWord::kCase:
      case DirectiveWord::kRange:
        // Reached by falling through from the clause before: its condition
        // does not matter.
        Expect('(', "after #case");
        Float();
        if (directive == DirectiveWord::kRange) {
          if (PeekRaw().Is(',')) Raw();
          Float();
        }
        Expect(')', "to close #case");
        break;
      case DirectiveWord::kBreak:
        DirectiveBreak(word);
        break;
      case DirectiveWord::kWhile:
        DirectiveWhile(word);
        break;
      case DirectiveWord::kFor:
        DirectiveFor(word);
        break;
      case DirectiveWord::kMacro:
        DirectiveMacro(word);
        break;
      case DirectiveWord::kInclude:
        DirectiveInclude(word);
        break;
      case DirectiveWord::kVersion: {
        const double version = Float();
        symbols_.DeclareGlobal("version", Value::Float(version));
        if (PeekRaw().Is(';')) Raw();
        break;
      }
      case DirectiveWord::kDebug:
      case DirectiveWord::kWarning:
        StringExpression();  // shown by POV-Ray; nothing here
        break;
      case DirectiveWord::kError:
        throw FatalError{"#error: " + StringExpression(), word.where};
      case DirectiveWord::kDefault:
        SkipBraces(word);
        break;
      case DirectiveWord::kFopen:
        DirectiveFopen(word);
        break;
      case DirectiveWord::kFclose:
        DirectiveFclose(word);
        break;
      case DirectiveWord::kRead:
        DirectiveRead(word);
        break;
      case DirectiveWord::kWrite:
        DirectiveWrite(word);
        break;
      case DirectiveWord::kUnknown:
        Fail(word, "unknown directive #" + Quote(word.text));
    }
  } catch (const ParseError& error) {
    Report(true, error.where, error.message);
    SkipDirectiveLine(source, std::max(line, error.where.line));
  }
}

void Parser::SkipDirectiveLine(const Source* source, int64_t line) {
  pushed_.clear();
  for (;;) {
    const Position before = lexer_.position();
    const Token token = Lex();
    if (token.kind == TokenKind::kEnd || token.where.source != source || token.where.line > line ||
        token.kind == TokenKind::kHash) {
      lexer_.Seek(before);
      return;
    }
  }
}

bool Parser::Condition(const Token& at, const char* what) {
  try {
    return ParenthesizedFloat(what) != 0;
  } catch (const ParseError& error) {
    // The block then runs as if the condition were false: its #else (if
    // any) and not both.
    Report(true, error.where, error.message + "; taken as false");
    SkipDirectiveLine(at.where.source, std::max(at.where.line, error.where.line));
    return false;
  }
}

// Leaves the innermost #switch, #while or #for, passing over the rest of
// every block up to its #end.
void Parser::DirectiveBreak(const Token& at) {
  for (;;) {
    if (frames_.empty() || frames_.back().kind == FrameKind::kMacro ||
        frames_.back().kind == FrameKind::kInclude) {
      Fail(at, "#break outside #switch, #while and #for");
    }
    const FrameKind kind = frames_.back().kind;
    SkipBlock(at, {DirectiveWord::kEnd});
    frames_.pop_back();
    if (kind != FrameKind::kIf) break;
  }
}

void Parser::DirectiveDeclare(bool local, const Token& at) {
  Token name = Raw();
  if (name.IsWord("deprecated")) {
    // #declare deprecated [once] "message" NAME = ...: POV-Ray shows the
    // message where the identifier is used; the value is declared as usual.
    if (PeekRaw().IsWord("once")) Raw();
    StringExpression();
    name = Raw();
  }
  if (name.kind != TokenKind::kWord) Fail(name, "expected an identifier after #declare");
  if (IsReservedWord(name.text)) {
    Fail(name, "'" + Quote(name.text) + "' is a keyword and cannot be declared");
  }
  const std::string identifier(name.text);
  if (PeekRaw().Is('[')) {
    // An element of an array. The indices and the value may undefine or
    // declare the array's name anew: the element written is in the array
    // held here, which lives as long as this reference.
    const ValueRef array = Lookup(identifier);
    if (array == nullptr || array->type != ValueType::kArray) {
      Fail(name, "'" + Quote(identifier) + "' is not an array");
    }
    const std::shared_ptr<ArrayValue> holder = array->array;
    Value* slot = ArrayElement(name, holder);
    Expect('=', "after the array element");
    Value value = RValue(identifier);
    *slot = std::move(value);
  } else {
    const size_t depth = symbols_.depth();  // the value may be a macro's, with its own scope
    Expect('=', "after the identifier of #declare");
    Value value = RValue(identifier);
    symbols_.DeclareIn(depth, identifier, std::move(value), local);
  }
  if (PeekRaw().Is(';')) Raw();
  (void)at;
}

void Parser::DirectiveIf(const Token& at, bool negate, bool defined_test) {
  bool condition;
  if (defined_test) {
    Expect('(', "after #ifdef");
    const Token name = Raw();
    const ValueRef value = name.kind == TokenKind::kWord ? Lookup(name.text) : nullptr;
    condition = value != nullptr;
    if (PeekRaw().Is('[')) {
      // #ifdef (A[i]): the element must hold a value.
      if (value != nullptr && value->type == ValueType::kArray) {
        const std::shared_ptr<ArrayValue> array = value->array;
        condition = ArrayElement(name, array)->type != ValueType::kNone;
      }
    }
    Expect(')', "to close #ifdef");
    if (negate) condition = !condition;
  } else {
    condition = Condition(at, "around the condition of #if");
  }
  while (!condition) {
    const DirectiveWord found =
        SkipBlock(at, {DirectiveWord::kElse, DirectiveWord::kElseif, DirectiveWord::kEnd});
    if (found == DirectiveWord::kEnd) return;
    if (found == DirectiveWord::kElse) break;
    condition = Condition(at, "around the condition of #elseif");
  }
  PushFrame(Frame{FrameKind::kIf, {}, 0, 0, {}, 0, 1, 0, at.where});
}

void Parser::DirectiveElse(const Token& at, DirectiveWord word) {
  // In a #switch, a clause that runs falls through into #else as into #case.
  if (!frames_.empty() && frames_.back().kind == FrameKind::kSwitch &&
      word == DirectiveWord::kElse) {
    return;
  }
  if (frames_.empty() || frames_.back().kind != FrameKind::kIf) {
    Fail(at, "#" + std::string(at.text) + " without #if");
  }
  // The branch that ran ends here: the rest up to #end is passed over.
  SkipBlock(at, {DirectiveWord::kEnd});
  frames_.pop_back();
}

void Parser::DirectiveEnd(const Token& at) {
  if (frames_.empty() || frames_.back().kind == FrameKind::kInclude) {
    Fail(at, "#end without an open #if, #while, #for, #switch or #macro");
  }
  Frame& frame = frames_.back();
  switch (frame.kind) {
    case FrameKind::kIf:
    case FrameKind::kSwitch:
      frames_.pop_back();
      return;
    case FrameKind::kMacro:
      Return(frame);
      return;
    case FrameKind::kWhile: {
      const Position after = lexer_.position();
      budget_.LoopTurn(frame.opened);
      lexer_.Seek(frame.resume);
      const bool again = Condition(at, "around the condition of #while");
      if (!again) {
        frames_.pop_back();
        lexer_.Seek(after);
      }
      return;
    }
    case FrameKind::kFor: {
      budget_.LoopTurn(frame.opened);
      const ValueRef variable = Lookup(frame.variable);
      if (variable == nullptr || variable->type != ValueType::kFloat) {
        Fail(at, "the variable of #for, " + Quote(frame.variable) + ", is no longer a float");
      }
      const double next = variable->v[0] + frame.step;
      // Sums of steps such as 0.1 miss the end by a rounding: POV-Ray runs
      // (0, 0.3, 0.1) four times, and so does this.
      const double slack = std::fabs(frame.step) * 1e-6;
      const bool again = frame.step > 0 ? next <= frame.end + slack : next >= frame.end - slack;
      const Position resume = frame.resume;
      symbols_.Declare(frame.variable, Value::Float(next), false);
      if (again) {
        lexer_.Seek(resume);
      } else {
        frames_.pop_back();
      }
      return;
    }
    case FrameKind::kInclude:
      return;
  }
}

void Parser::DirectiveSwitch(const Token& at) {
  const double value = ParenthesizedFloat("around the value of #switch");
  PushFrame(Frame{FrameKind::kSwitch, {}, 0, value, {}, 0, 1, 0, at.where});
  SkipSwitchToMatch(at, value);
}

// Passes over clauses until one whose condition holds (or #else); at #end
// the switch is over.
void Parser::SkipSwitchToMatch(const Token& at, double value) {
  for (;;) {
    const DirectiveWord found = SkipBlock(at, {DirectiveWord::kCase, DirectiveWord::kRange,
                                               DirectiveWord::kElse, DirectiveWord::kEnd});
    if (found == DirectiveWord::kEnd) {
      frames_.pop_back();
      return;
    }
    if (found == DirectiveWord::kElse) return;
    Expect('(', "after #case");
    const double low = Float();
    bool match;
    if (found == DirectiveWord::kRange) {
      if (PeekRaw().Is(',')) Raw();
      const double high = Float();
      match = value >= low && value <= high;
    } else {
      match = std::fabs(value - low) < 1e-10;
    }
    Expect(')', "to close #case");
    if (match) return;
  }
}

void Parser::DirectiveWhile(const Token& at) {
  const Position condition = lexer_.position();
  const bool run = Condition(at, "around the condition of #while");
  if (!run) {
    SkipBlock(at, {DirectiveWord::kEnd});
    return;
  }
  PushFrame(Frame{FrameKind::kWhile, condition, 0, 0, {}, 0, 1, 0, at.where});
}

void Parser::DirectiveFor(const Token& at) {
  Expect('(', "after #for");
  const Token name = Raw();
  if (name.kind != TokenKind::kWord || IsReservedWord(name.text)) {
    Fail(name, "expected the identifier of the #for loop, found " + Describe(name));
  }
  Expect(',', "after the identifier of #for");
  const double start = Float();
  Expect(',', "after the start of #for");
  const double end = Float();
  double step = 1;
  if (PeekRaw().Is(',')) {
    Raw();
    step = Float();
  }
  Expect(')', "to close #for");
  if (step == 0) Fail(at, "#for with a step of 0 never ends");
  symbols_.Declare(std::string(name.text), Value::Float(start), false);
  if (step > 0 ? start > end : start < end) {
    SkipBlock(at, {DirectiveWord::kEnd});
    return;
  }
  Frame frame{FrameKind::kFor, ResumePoint(), 0, 0, std::string(name.text), end, step, 0, at.where};
  PushFrame(std::move(frame));
}

void Parser::DirectiveMacro(const Token& at) {
  const Token name = Raw();
  if (name.kind != TokenKind::kWord || IsReservedWord(name.text)) {
    Fail(name, "expected the name of the macro, found " + Describe(name));
  }
  auto macro = std::make_shared<MacroValue>();
  macro->name = std::string(name.text);
  Expect('(', "after the name of the macro");
  for (;;) {
    Token token = Raw();
    if (token.Is(')')) break;
    if (token.Is(',')) continue;
    bool optional = false;
    if (token.IsWord("optional")) {
      optional = true;
      token = Raw();
    }
    if (token.kind != TokenKind::kWord) {
      Fail(token,
           "expected a parameter name of macro " + macro->name + ", found " + Describe(token));
    }
    macro->params.emplace_back(token.text);
    macro->optional.push_back(optional);
  }
  macro->body = lexer_.position();
  Value value;
  value.type = ValueType::kMacro;
  value.macro = std::move(macro);
  symbols_.DeclareGlobal(std::string(name.text), std::move(value));
  SkipBlock(at, {DirectiveWord::kEnd});
}

void Parser::CallMacro(const Token& name, const MacroValue& macro) {
  budget_.MacroCall(name.where);
  budget_.CheckOpenCalls(open_calls_, name.where);
  Expect('(', ("after the name of macro " + Quote(macro.name)).c_str());
  std::unordered_map<std::string, SymbolTable::Binding> arguments;
  size_t index = 0;
  if (!PeekRaw().Is(')')) {
    for (;;) {
      if (PeekRaw().Is(',')) {
        // An empty argument: allowed for an optional parameter.
        Raw();
        ++index;
        continue;
      }
      if (index >= macro.params.size()) {
        Fail(name, "too many arguments for macro " + macro.name);
      }
      arguments[macro.params[index]] = MacroArgument();
      ++index;
      const Token separator = Next();
      if (separator.Is(')')) break;
      if (!separator.Is(',')) {
        // A missing comma: the next argument begins here (POV-Ray reads
        // "M(Object -y, z)" as three arguments).
        if (separator.kind == TokenKind::kEnd) {
          Fail(separator, "expected ',' or ')' in the call of macro " + Quote(macro.name) +
                              ", found " + Describe(separator));
        }
        Unget(separator);
        if (separator.Is('{')) CountDepth(-1);
        if (separator.Is('}')) CountDepth(1);
      }
    }
  } else {
    Raw();
  }
  for (size_t i = 0; i < macro.params.size(); ++i) {
    if (arguments.count(macro.params[i]) == 0 && !macro.optional[i]) {
      Fail(name, "macro " + macro.name + " needs " + std::to_string(macro.params.size()) +
                     " arguments; " + macro.params[i] + " is missing");
    }
  }
  Frame frame{FrameKind::kMacro, ResumePoint(), 0, 0, {}, 0, 1, symbols_.depth(), name.where};
  PushFrame(std::move(frame));
  symbols_.OpenWith(std::move(arguments));
  ++open_calls_;
  lexer_.Seek(macro.body);
}

SymbolTable::Binding Parser::MacroArgument() {
  // A bare identifier is passed by reference.
  const Token first = PeekRaw();
  if (first.kind == TokenKind::kWord) {
    if (std::optional<SymbolTable::Reference> reference = symbols_.ReferenceTo(first.text)) {
      Raw();
      const Token after = PeekRaw();
      if (after.Is(',') || after.Is(')')) return {nullptr, std::move(reference)};
      Unget(first);
    }
  }
  return {std::make_shared<const Value>(RValue("", /*share_arrays=*/true)), std::nullopt};
}

DirectiveWord Parser::SkipBlock(const Token& at, std::initializer_list<DirectiveWord> stops) {
  pushed_.clear();
  int depth = 0;
  for (;;) {
    const Token token = Lex();
    if (token.kind == TokenKind::kEnd) {
      Fail(at, "#" + std::string(at.text) + " has no #end before the end of the file");
    }
    if (token.kind != TokenKind::kHash) continue;
    const Token word = Lex();
    if (word.kind != TokenKind::kWord) continue;
    const DirectiveWord directive = DirectiveOf(word.text);
    if (OpensBlock(directive)) {
      ++depth;
      continue;
    }
    if (depth > 0) {
      if (directive == DirectiveWord::kEnd) --depth;
      continue;
    }
    for (const DirectiveWord stop : stops) {
      if (directive == stop) return directive;
    }
  }
}

}  // namespace sdl
