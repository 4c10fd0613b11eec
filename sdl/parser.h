// Parser: reads a scene file in POV-Ray's scene language as POV-Ray does,
// evaluating directives, macros, loops and expressions on the way, and hands
// every mesh it builds to a SceneBuilder. Errors are reported with file, line
// and column; the statement in which one happens is skipped and the reading
// goes on. One Parser per reading; it owns the loaded sources, the symbol
// tables and the control stack. One thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "csg/boolean_engine.h"
#include "sdl/budget.h"
#include "sdl/errors.h"
#include "sdl/keywords.h"
#include "sdl/lexer.h"
#include "sdl/memory_files.h"
#include "sdl/mesh_data.h"
#include "sdl/shape_readers.h"
#include "sdl/symbols.h"
#include "sdl/values.h"
#include "shapes/ray_mesh.h"

namespace sdl {

// The frame of an animation a scene is read for; off: a still image, where
// POV-Ray gives every clock value 0.
struct Animation {
  bool on = false;
  double clock = 0;
  int64_t frame = 0;
};

// POV-Ray's shapes other than meshes: made into meshes (on), or passed
// over as before.
struct ShapeOptions {
  bool on = true;
  // Chord error relative to the radius of each curved part.
  double tolerance = 0.005;
  // Triangles of all shapes of a reading, past which the tolerance is
  // relaxed (with a warning).
  int64_t max_triangles = 5'000'000;
};

struct ParserOptions {
  std::vector<std::string> library_paths;  // folders searched for #include
  Limits limits;
  // Place objects as POV-Ray places them: each placed object's meshes with
  // its transformations and textures; a file that places nothing gives its
  // declared meshes. Off: each mesh once, where it is made, untransformed.
  bool place_objects = false;
  Animation animation;
  ShapeOptions shapes;
  // Asked every thousand tokens whether to stop (a cancel, a time limit).
  StopCheck stop = nullptr;
  void* stop_context = nullptr;
};

// Where the parser's results go.
class SceneSink {
 public:
  virtual ~SceneSink() = default;
  // A finished mesh; `name` is the identifier it was declared as, or "".
  virtual void AddMesh(MeshData& mesh, const std::string& name) = 0;
  // A loose triangle or smooth_triangle; `normals` and `texture` null when
  // it has none.
  virtual void AddLooseTriangle(const Vec3 corners[3], const Vec3* normals,
                                const MaterialSlot* texture) = 0;
  // A loose triangle that POV-Ray would not render (zero area).
  virtual void DroppedLooseTriangle() = 0;
  // The file's camera (`angle` 0 when not given) and light sources.
  virtual void AddCamera(const Vec3& location, const Vec3& look_at, const Vec3& sky,
                         double angle) = 0;
  virtual void AddLight(const Vec3& location, const double color[3]) = 0;
  // "FILE:LINE:COLUMN: text"; `error` false for a warning.
  virtual void Message(bool error, const std::string& text) = 0;
  // Reading progress in the main file.
  virtual void Progress(int64_t position) = 0;
  // After the reading: `count` objects of `kind` were passed over.
  virtual void PassedOver(const std::string& kind, int64_t count) {
    (void)kind;
    (void)count;
  }
};

// Sets a flag for the life of the object and restores it.
class ScopedFlag {
 public:
  ScopedFlag(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
  ~ScopedFlag() { flag_ = saved_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
  bool saved_;
};

class FunctionCompiler;
class ParserShapeArgs;

class Parser {
 public:
  Parser(SceneSink& sink, ParserOptions options);
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  // Loads the file at `path`; false when it cannot be read (`error` says why).
  bool Open(const std::string& path, std::string* error);
  // Takes `text` as the file `path` (tests, fuzzing).
  void OpenText(const std::string& path, std::string text);
  // Reads the opened file to its end, or to a bound of the budget.
  void Read();

  int64_t errors() const { return errors_; }
  int64_t warnings() const { return warnings_; }
  // Where the first error was (line 0 when there was none).
  int64_t first_error_line() const { return first_error_line_; }
  // The main file's line count (line ends read).
  int64_t main_lines() const { return main_lines_; }
  size_t main_size() const { return main_ != nullptr ? main_->text.size() : 0; }
  // After Read(): the program of the function the file declared as `name`;
  // null when there is none or it was read without a program.
  std::shared_ptr<const FunctionProgram> DeclaredFunction(std::string_view name) const {
    const ValueRef value = symbols_.Find(name);
    return value != nullptr ? value->function : nullptr;
  }

 private:
  // ---- the token layer (scanner.cc): directives, macro calls, includes ----
  enum class FrameKind : uint8_t { kIf, kSwitch, kWhile, kFor, kMacro, kInclude };
  struct Frame {
    FrameKind kind;
    Position resume;  // kWhile: the condition; kFor: the body; kMacro/kInclude: the return
    int64_t iterations = 0;
    double switch_value = 0;
    std::string variable;  // kFor
    double end = 0, step = 1;
    size_t scope_depth = 0;            // kMacro / kInclude: the scopes to keep on leaving
    Position opened;                   // for messages
    const Source* included = nullptr;  // kInclude: the file being read
  };

  void Start(const Source* source);
  Token Next();
  Token Peek();
  void Unget(const Token& token) { pushed_.push_back(token); }
  // The next token without running a directive: a '#' comes back as kHash
  // (and stays for the next Next()). Expressions look ahead with this.
  Token PeekRaw();
  Token Raw();
  // The lexer's next token, charged to the budget (every token goes here,
  // those of skipped blocks too).
  Token Lex();
  void Directive(const Token& hash);
  void DirectiveDeclare(bool local, const Token& at);
  void DirectiveIf(const Token& at, bool negate, bool defined_test);
  // The parenthesised condition of #if or #elseif; one that cannot be
  // evaluated is reported and taken as false.
  bool Condition(const Token& at, const char* what);
  // After an error in a directive: passes over the rest of its line.
  void SkipDirectiveLine(const Source* source, int64_t line);
  void DirectiveElse(const Token& at, DirectiveWord word);
  void DirectiveBreak(const Token& at);
  void DirectiveEnd(const Token& at);
  void DirectiveSwitch(const Token& at);
  void DirectiveWhile(const Token& at);
  void DirectiveFor(const Token& at);
  void DirectiveMacro(const Token& at);
  // ---- files (files.cc) ----
  // A file open with #fopen.
  struct OpenFile {
    std::string name;
    bool writing = false;
    Lexer reader{Position{}};  // reading: where the next item is
  };
  void DirectiveInclude(const Token& at);
  void DirectiveFopen(const Token& at);
  void DirectiveFclose(const Token& at);
  void DirectiveRead(const Token& at);
  void DirectiveWrite(const Token& at);
  // The file a scene names, as #include finds it: one the scene wrote, else
  // beside the file, then in the library path; null (with a warning naming
  // it a `what`) when it is not found or not to be read.
  const Source* OpenSceneFile(const std::string& name, const Token& at, const char* what);
  bool SceneFileExists(const std::string& name, const Position& at) const;
  // Where a file the scene names (not one it wrote) lies, as #include finds
  // it; "" when nowhere.
  std::string SceneFilePath(const std::string& name, const Position& at) const;
  // "(ID" of #read or #write: the open file, failing for any other.
  OpenFile& FileArgument(bool writing, std::string* id);
  void CloseFile(std::string_view id);
  // The next item of a file #read reads: a number, a vector or a string.
  bool ReadItem(Lexer& reader, Value* out);
  // One argument of a macro call: a bare identifier binds the parameter to
  // it (POV-Ray passes it by reference), anything else by its value.
  SymbolTable::Binding MacroArgument();
  void CallMacro(const Token& name, const MacroValue& macro);
  // Skips raw tokens to the directive that ends the current block at depth
  // 0: one of `stops` (#else, #elseif, #end, #case, #range). Answers the
  // directive found (the position is just after it).
  DirectiveWord SkipBlock(const Token& at, std::initializer_list<DirectiveWord> stops);
  void SkipSwitchToMatch(const Token& at, double value);
  bool EndOfSource();
  // Where reading goes on after a jump elsewhere: before the tokens already
  // looked ahead at (which are dropped, to be read again on return).
  Position ResumePoint();
  // Opens a block, macro call or include, within the nesting bound.
  void PushFrame(Frame frame);
  // Leaves a macro call or an include: its scopes close, reading resumes.
  void Return(const Frame& frame);
  // Whether `source` is already open in the chain of includes.
  bool IncludedAlready(const Source* source) const;

  // ---- symbols ----
  ValueRef Lookup(std::string_view name) const { return symbols_.Find(name); }
  // A string value, its bytes charged to the budget.
  Value MakeString(std::string text, const Position& at);
  // A copy of a declared value; the text it carries is charged to the
  // budget, so that copying a huge string over and over ends.
  Value CopyOf(const Value& value, const Position& at);

  // ---- expressions (expressions.cc) ----
  Value Expression();  // ?: and everything below it inside parentheses
  // "( float )", with comparisons and logic allowed (#if, #while ...).
  double ParenthesizedFloat(const char* what);
  double Float();                    // an expression that must be a float
  Vec3 Vector3();                    // a float or vector, promoted to 3
  void VectorN(int n, double* out);  // a float or vector, promoted to n
  std::string StringExpression();
  Value Conditional();
  Value Logical();  // '&' and '|', one level
  Value Comparison();
  // Whether the next character is an arithmetic operator or '.', looked at
  // without running the directives ahead.
  bool OperatorFollows();
  Value Additive();
  Value Multiplicative();
  Value Unary();
  Value Postfix();
  Value Primary();
  Value VectorLiteral(const Token& open);
  Value ColourKeyword(const Token& word);
  Value FunctionCall(const Token& name);
  // trace() and inside(), which ask the scene's shapes (after the '(').
  Value ShapeQuery(const Token& name);
  // min_extent() / max_extent() of an object (after the '(').
  Value Extent(const Token& name, bool minimum);
  // A call's arguments, after its '(' up to and with its ')'; `where` gets
  // each argument's position.
  std::vector<Value> Arguments(const Token& name, std::vector<Position>* where);
  // A call of a function the file declares.
  Value UserFunctionCall(const Token& name);
  // spline { } after its keyword, and a call S(T) of a declared spline.
  Value SplineDeclaration(const Token& keyword);
  Value SplineCall(const Token& name, const Spline& spline);
  Value IdentifierValue(const Token& name);
  // clock, frame_number and the other words of an animation; none for others.
  std::optional<double> AnimationValue(std::string_view word) const;
  // The element of `array` that the indices after `name` select; it lives
  // as long as the caller's reference to the array.
  Value* ArrayElement(const Token& name, const std::shared_ptr<ArrayValue>& array);
  // The right side of a #declare (or a macro argument): any value. An
  // array named by an identifier is copied, unless `share_arrays` (a macro
  // argument, which POV-Ray passes by reference).
  Value RValue(const std::string& name, bool share_arrays = false);
  Value ArrayDeclaration(const Token& at);
  // `copied` counts the elements copied so far, nested arrays' included.
  Value CopyArray(const Value& array, const Position& at, int depth, int64_t* copied);

  // ---- functions (function_compiler.cc) ----
  friend class FunctionCompiler;
  // function [(PARAMETERS)] { BODY } after its keyword: compiled when it is
  // of floats; a function of a pattern, transform or spline is read and
  // not compiled.
  Value FunctionDeclaration(const Token& keyword);

  // ---- pigments as functions (pigment_reader.cc) ----
  // pigment { ... } after its keyword, inside a function { }: null where
  // it uses what is not computed here (the caller passes the rest over).
  std::shared_ptr<const PigmentFunction> PigmentFunctionBlock(const Token& keyword);
  // A colour: a colour keyword and its values, or an expression.
  Colour ColourItem();
  // Whether the next token begins a colour.
  bool AtColour();

  // ---- objects (objects.cc) ----
  void Statement(const Token& token);
  // One object after its keyword; meshes go to the sink. `name`: the
  // identifier it is declared as, or "".
  void Object(const Token& keyword, const std::string& name);
  // Fails on a word inside a `block` body that is neither a word of the
  // language nor declared, as POV-Ray does ("undeclared identifier").
  void RejectUndeclared(const Token& token, std::string_view block);
  // An undefined name where a texture, pigment, finish or material is
  // expected: a warning, once per name, saying what is used instead.
  // normal { } or interior { } of an object: read past, saying once if the
  // declared name it starts from is missing.
  void NamedBlock(const Token& keyword);
  void WarnMissing(const Token& name, std::string_view kind, const char* instead);
  void Mesh2(const Token& keyword, const std::string& name);
  void Mesh(const Token& keyword, const std::string& name);
  void LooseTriangle(const Token& keyword, bool smooth);
  // Adds a loose triangle, already placed by its own modifiers, to `mesh`.
  static void AppendTriangle(MeshData& mesh, const Vec3 corners[3], const Vec3* normals,
                             const MaterialSlot* texture);
  void Triangle(const Token& keyword, const std::string& name);
  void SmoothTriangle(const Token& keyword, const std::string& name);
  // A ',' if one comes next (commas between items are optional).
  void OptionalComma();
  // Whether a face (or the list's end) comes next in face_indices, rather
  // than a texture index.
  bool FaceFollows();
  // `count` vectors with optional commas between them (a triangle's corners).
  void ReadCorners(int count, Vec3* out);
  // Reads the rest of a triangle in a mesh; false when it was degenerate.
  void MeshTriangle(const Token& keyword, bool smooth, MeshData& mesh, int32_t default_slot);
  // A clipped_by block: its objects, in the space of the object it clips
  // as it stood when the block was read (`before`: the transformations read
  // until then).
  struct ClipBlock {
    std::vector<csg::Operand> operands;
    Transform before;
  };
  // Reads clipped_by's block after its keyword into `clip`; false when it
  // holds nothing that has an inside.
  bool ReadClip(const Token& keyword, const Transform& before, ClipBlock& clip);
  // `object`, moved by `placement`, cut to the inside of `clip`.
  static std::shared_ptr<const csg::Solid> Clipped(std::shared_ptr<const csg::Solid> object,
                                                   const Transform& placement,
                                                   const ClipBlock& clip);
  // A block of an object that is not read (CSG, other shapes): its meshes
  // are still built; its clipped_by blocks go to `clips`.
  void ObjectBody(const std::string& name, Transform* transform, MaterialSlot* texture,
                  bool* has_texture, bool* inverse = nullptr,
                  std::vector<ClipBlock>* clips = nullptr);
  // An object whose meshes come from inside it; `opened`: its '{' is read
  // and a declared object comes first (mesh { Declared ... }).
  void Container(const Token& keyword, const std::string& name, bool opened = false);
  // ---- shapes and CSG (shape_objects.cc) ----
  friend class ParserShapeArgs;
  // A shape of the table after its keyword: its parameters, then its
  // modifiers; it becomes a solid placed like a mesh.
  void ShapeObject(const Token& keyword, const std::string& name, const ShapeReader& reader);
  // An object this reader does not build: read past, and said (once per
  // kind) where it is placed; a declared one that is never placed is not.
  void PassedOver(const Token& keyword);
  void WarnPassedOver(const PlacedPart& part);
  // The count of each kind passed over, to the sink.
  void ReportPassedOver();
  void EmitSolid(std::shared_ptr<const csg::Solid> solid, const Transform& transform,
                 const MaterialSlot* texture, const std::string& name, const std::string& kind,
                 const Position& where);
  // merge, intersection and difference: the parts read since `start` in
  // `target` become the operands of one solid. False (the parts stay as
  // they are) when one of them cannot be an operand.
  bool MakeBoolean(const Token& keyword, ObjectDef& target, size_t start, bool inverse);
  // The mesh of a placed solid, in its own space.
  void SolidMesh(const PlacedPart& part, const Transform& transform, MeshData& out);
  // What names a solid without a declared name: its kind, capitalised
  // ("Sphere"; the scene numbers the others "Sphere_2" ...).
  static std::string SolidName(std::string_view kind);
  // Before the solids are meshed: widens the tolerance so that all of them
  // together stay within max_triangles, saying so once.
  void RelaxForTriangleBudget();
  // The box the scene's finite parts fill.
  shapes::Bounds SceneBounds() const;
  // POV-Ray's box of an object (min_extent, max_extent): its shapes' boxes
  // as POV-Ray makes them, its meshes' vertices.
  shapes::Bounds ObjectBounds(const ObjectDef& def) const;
  // Whether `p` is inside one of the object's shapes (inside()).
  bool InsideObject(const ObjectDef& def, const Vec3& p) const;
  // What trace() hits of an object: the parts with a closed form exactly,
  // the others on their triangles; made at the object's first trace().
  struct TraceTarget {
    struct ExactPart {
      std::shared_ptr<const csg::Solid> solid;  // a shape
      Transform placed, to_local;
    };
    std::shared_ptr<const ObjectDef> def;  // held: `traced_` is keyed by it
    std::unique_ptr<shapes::RayMesh> mesh;
    std::vector<ExactPart> exact;
  };
  // An isosurface's function that never meets its threshold, is steeper
  // than its max_gradient or is not a number somewhere: said once each per
  // reading.
  void WarnOfIsosurface(const shapes::Isosurface& iso, const MeshData& mesh, const Position& where);
  TraceTarget MakeTraceTarget(const std::shared_ptr<const ObjectDef>& def);
  // The first hit of a ray on the object's shapes and meshes (trace()); the
  // object's target is made once and kept for the reading.
  shapes::RayMesh::Hit TraceObject(const std::shared_ptr<const ObjectDef>& def, const Vec3& origin,
                                   const Vec3& direction, const Position& at);
  // The box planes are cut off by (worked out once, at the first plane).
  shapes::Bounds PlaneClip();
  void Camera(const Token& keyword);
  void LightSource(const Token& keyword, const std::string& name);
  // Hands a placed light to the sink where its transformation puts it.
  void EmitLight(const PlacedLight& light);
  // A finished mesh: to the sink at once, or, when objects are placed, to
  // the object being read (or the placed meshes at the top level).
  void EmitMesh(MeshData&& mesh, const std::string& name);
  // The object named by `identifier` placed into the object being read.
  void PlaceDeclared(const Token& identifier, const ObjectDef& def);
  // After the reading: the placed meshes (or, when nothing was placed, the
  // declared ones) to the sink.
  void FinishPlacement();
  // Mesh modifiers: transformations and textures. True when `token` was one.
  bool Modifier(const Token& token, Transform& transform, MaterialSlot* texture, bool* has_texture);
  void TransformItem(const Token& token, Transform& transform);
  // The declared transform that `token` names, or null.
  ValueRef DeclaredTransform(const Token& token) const;
  MaterialSlot TextureBlock(const Token& keyword);
  // A finish { } block (its keyword read) into `slot`'s metallic-roughness
  // terms; `slot` may carry a declared finish's terms to start from.
  void FinishBlock(const Token& keyword, MaterialSlot& slot);
  // Skips a block "{ ... }", running its directives; the '{' is next.
  void SkipBraces(const Token& keyword);
  // After an error: skips to the end of the statement that began at `depth`.
  void Recover(int64_t depth);
  // Reports the error that ends the reading.
  void Stop(const FatalError& error);

  void Expect(char punct, const char* what);
  Token ExpectWord(const char* what);
  [[noreturn]] void Fail(const Token& at, const std::string& message);
  [[noreturn]] void Fail(const Position& at, const std::string& message);
  void Warn(const Position& at, const std::string& message);
  // Counts an error or warning and shows it, while fewer than a hundred
  // errors (two hundred warnings) were shown.
  void Report(bool error, const Position& at, const std::string& message);
  // Hands "FILE:LINE:COLUMN: error: ..." to the sink.
  void Emit(bool error, const Position& at, const std::string& message);
  std::string Describe(const Token& token) const;
  // A token's or name's text for a message: escaped, at most ~40 characters.
  static std::string Quote(std::string_view text);
  void CountDepth(int delta);
  // Counts one level of the parser's own recursion (expressions, blocks,
  // transformations, objects inside objects, directives inside them)
  // against the nesting bound and the thread's stack, before it recurses.
  class NestingGuard {
   public:
    NestingGuard(Parser& parser, const Position& at);
    ~NestingGuard() { --parser_.nesting_depth_; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

   private:
    Parser& parser_;
  };

  SceneSink& sink_;
  ParserOptions options_;
  SourceSet sources_;
  const Source* main_ = nullptr;
  Lexer lexer_{Position{}};
  std::vector<Token> pushed_;
  std::vector<Frame> frames_;
  SymbolTable symbols_;
  Budget budget_;
  uintptr_t stack_floor_ = 0;  // of the thread that reads
  int64_t brace_depth_ = 0;    // of the tokens handed out
  int nesting_depth_ = 0;
  // Inside parentheses: comparisons, '&', '|' and '?:' are operators there
  // only (elsewhere '<' begins a vector, as in "count <x, y, z>").
  bool full_ = false;
  // While set, lookahead leaves directives for later (an #include's name).
  bool hold_directives_ = false;
  std::vector<uint32_t> random_streams_;
  // Placement: the objects being read (innermost last), the meshes placed at
  // the top level, and every declared object in order.
  std::vector<ObjectDef*> collecting_;
  std::vector<PlacedPart> placed_;
  // The loose triangles of the objects being read, one mesh for each
  // (innermost last; each owned by the Container that reads the object).
  std::vector<MeshData*> loose_;
  bool placed_any_ = false;  // an object of any kind stood at the top
  std::vector<std::shared_ptr<const ObjectDef>> declared_;
  bool warned_csg_ = false;
  // Shapes: the kinds passed over (each said once, all counted), the
  // boolean engine (opened at the first boolean), the count of each kind
  // for names, and the tolerance after relaxing for max_triangles.
  std::unordered_map<std::string, int64_t> passed_over_;
  std::unique_ptr<csg::BooleanEngine> booleans_;
  bool warned_boolean_ = false, warned_clip_ = false, warned_triangles_ = false;
  bool warned_implicit_boolean_ = false;
  bool warned_no_crossing_ = false, warned_gradient_ = false, warned_not_a_number_ = false;
  double tolerance_ = 0.005;
  std::optional<shapes::Bounds> plane_clip_;
  bool placing_ = false;  // the scene is read: its parts are being meshed
  std::unordered_map<const ObjectDef*, TraceTarget> traced_;
  // Each finite solid's mesh in its own space, made at its first placement
  // (the solids are held by the parts that place them).
  std::unordered_map<uint64_t, std::shared_ptr<const MeshData>>
      solid_meshes_;  // by LookFingerprint
  std::optional<Vec3> camera_location_;
  std::unordered_set<std::string> missing_names_;  // warned of once each
  MemoryFiles memory_files_;
  std::unordered_map<std::string, OpenFile> open_files_;  // by identifier
  bool warned_function_ = false;
  bool warned_extent_ = false;
  int open_calls_ = 0;  // macros and includes
  int64_t errors_ = 0, warnings_ = 0;
  int64_t first_error_line_ = 0;
  int64_t main_lines_ = 0;
  int64_t next_progress_ = 0;
};

}  // namespace sdl
