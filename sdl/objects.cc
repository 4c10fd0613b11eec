// Objects of POV-Ray's scene language: the four polygon forms are read into
// MeshData; every other object is walked through so that the meshes inside
// it are built too. Also the statement loop and #declare's right side.
#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <new>
#include <optional>
#include <unordered_set>

#include "sdl/keywords.h"
#include "sdl/parser.h"

namespace sdl {

namespace {

constexpr int64_t kFastItemsPerProgressCheck = 4096;

// What a mesh costs the host beyond its arrays (the mesh object, its name,
// material and lists), measured: a million one-face meshes take 2.4 GB.
constexpr uint64_t kHostMeshBytes = 2400;

bool IsMeshKeyword(std::string_view w) {
  return w == "mesh2" || w == "mesh" || w == "triangle" || w == "smooth_triangle";
}

// The sides of a smooth triangle's corner normals against its face normal:
// POV-Ray gives up a loose smooth_triangle whose normals point to both sides.
bool NormalsDisagree(const Vec3& face, const Vec3* normals) {
  bool front = false, back = false;
  for (int i = 0; i < 3; ++i) {
    const double d = face.x * normals[i].x + face.y * normals[i].y + face.z * normals[i].z;
    front = front || d > 0;
    back = back || d < 0;
  }
  return front && back;
}

bool IsZero(const Vec3& v) { return v.x == 0 && v.y == 0 && v.z == 0; }

// Corner normals that all lie in the face's plane give POV-Ray no side to
// shade: it gives up such a loose smooth_triangle too.
bool NormalsInPlane(const Vec3& face, const Vec3* normals) {
  const double f = std::sqrt(face.x * face.x + face.y * face.y + face.z * face.z);
  for (int i = 0; i < 3; ++i) {
    const Vec3& n = normals[i];
    const double d = face.x * n.x + face.y * n.y + face.z * n.z;
    const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (std::fabs(d) > 1e-9 * f * l) return false;
  }
  return true;
}

// A word that begins a whole colour (color, rgb ... srgbft), not a channel.
bool BeginsColour(std::string_view w) {
  const ColourWord word = ColourWordOf(w);
  return word == ColourWord::kColor || ChannelsOf(word) > 0;
}

// Zero area as a mesh stores it: in single precision.
bool DegenerateInMesh(const Vec3& a, const Vec3& b, const Vec3& c) {
  auto f = [](const Vec3& v) {
    return Vec3{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
  };
  return IsZero(FaceNormal(f(a), f(b), f(c)));
}

}  // namespace

// ---- running ----

bool Parser::Open(const std::string& path, std::string* error) {
  const Source* source = sources_.Load(path, error);
  if (source == nullptr) return false;
  Start(source);
  return true;
}

void Parser::OpenText(const std::string& path, std::string text) {
  Start(sources_.Adopt(path, std::move(text)));
}

void Parser::Read() {
  if (main_ == nullptr) return;
  stack_floor_ = StackFloor();
  int64_t statement_depth = 0;
  try {
    for (;;) {
      try {
        statement_depth = brace_depth_;
        const Token token = Next();
        if (token.kind == TokenKind::kEnd) break;
        Statement(token);
      } catch (const ParseError& e) {
        Report(true, e.where, e.message);
        Recover(statement_depth);
      }
    }
  } catch (const FatalError& e) {
    Stop(e);
  } catch (const std::bad_alloc&) {
    // What was being built is freed by now; what was read before stays.
    Stop(FatalError{"the reading stops: out of memory (an allocation failed)", lexer_.position()});
  } catch (const std::exception& e) {
    // A limit of the library's own (a string or container too long).
    Stop(FatalError{std::string("the reading stops: ") + e.what(), lexer_.position()});
  }
  collecting_.clear();
  try {
    FinishPlacement();
    ReportPassedOver();
  } catch (const FatalError& e) {
    Stop(e);
  } catch (const std::bad_alloc&) {
    Stop(FatalError{"out of memory while placing the objects read; the rest are left out",
                    lexer_.position()});
  }
}

void Parser::Stop(const FatalError& error) {
  // Shown whatever the count of errors before it: it says why the reading
  // ended.
  if (errors_++ == 0) first_error_line_ = error.where.line;
  Emit(true, error.where, error.message);
}

void Parser::Recover(int64_t depth) {
  // Tokens looked ahead at count as read: a '}' among them may close the
  // statement that failed.
  while (!pushed_.empty()) {
    const Token token = pushed_.back();
    pushed_.pop_back();
    if (token.Is('{')) CountDepth(1);
    if (token.Is('}')) CountDepth(-1);
    if (token.Is('}') && brace_depth_ <= depth) {
      pushed_.clear();
      return;
    }
  }
  for (;;) {
    if (brace_depth_ <= depth) {
      // At the depth of the statement: go on at the next directive or
      // statement word, so that one fault gives one message.
      const Token token = PeekRaw();
      if (token.kind == TokenKind::kEnd || token.kind == TokenKind::kHash ||
          (token.kind == TokenKind::kWord &&
           (IsObjectKeyword(token.text) || IsSceneKeyword(token.text)))) {
        return;
      }
      if (brace_depth_ < depth) return;
    }
    try {
      const Token token = Next();
      if (token.kind == TokenKind::kEnd) return;
      if (token.Is('}') && brace_depth_ <= depth) return;
    } catch (const ParseError& e) {
      Report(true, e.where, e.message);
    }
  }
}

// ---- statements ----

void Parser::Statement(const Token& token) {
  if (token.kind == TokenKind::kWord) {
    const std::string_view w = token.text;
    if (IsObjectKeyword(w)) {
      placed_any_ = true;  // whatever kind: the scene shows what it places
      Object(token, "");
      return;
    }
    if (w == "camera" && options_.place_objects) {
      Camera(token);
      return;
    }
    if (IsSceneKeyword(w)) {
      SkipBraces(token);
      return;
    }
    if (Lookup(w) != nullptr) return;  // a bare identifier: POV-Ray passes over it
    Fail(token, "'" + Quote(w) + "' is neither a statement keyword nor a declared identifier");
  }
  if (token.Is(';')) return;
  Fail(token, "expected an object, a directive or a scene statement, found " + Describe(token));
}

void Parser::Object(const Token& keyword, const std::string& name) {
  NestingGuard nesting(*this, keyword.where);
  // The objects with readers of their own, by keyword; every other object
  // is read as a container of those.
  struct Reader {
    std::string_view keyword;
    void (Parser::*read)(const Token& keyword, const std::string& name);
  };
  static constexpr Reader kReaders[] = {
      {"light_source", &Parser::LightSource},
      {"mesh", &Parser::Mesh},
      {"mesh2", &Parser::Mesh2},
      {"smooth_triangle", &Parser::SmoothTriangle},
      {"triangle", &Parser::Triangle},
  };
  for (const Reader& reader : kReaders) {
    if (reader.keyword == keyword.text) {
      (this->*reader.read)(keyword, name);
      return;
    }
  }
  if (options_.shapes.on) {
    if (const ShapeReader* shape = FindShapeReader(keyword.text)) {
      ShapeObject(keyword, name, *shape);
      return;
    }
    if (!IsContainerKeyword(keyword.text)) {
      // Its block holds no objects of its own (a blob's spheres are its
      // components): read past.
      PassedOver(keyword);
      SkipBraces(keyword);
      return;
    }
  }
  Container(keyword, name);
}

void Parser::Triangle(const Token& keyword, const std::string&) { LooseTriangle(keyword, false); }

void Parser::SmoothTriangle(const Token& keyword, const std::string&) {
  LooseTriangle(keyword, true);
}

// camera { location, look_at, sky, angle, up/right/direction ... }: where
// the file looks from. Transformations of the camera move it.
void Parser::Camera(const Token& keyword) {
  Expect('{', "after camera");
  const int64_t depth = brace_depth_;
  Vec3 location{0, 0, 0}, look_at{0, 0, 1}, sky{0, 1, 0};
  double angle = 0;
  Transform transform;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside camera { }");
    if (token.Is('}') && brace_depth_ < depth) break;
    if (token.kind != TokenKind::kWord || brace_depth_ != depth) continue;
    const std::string_view w = token.text;
    if (w == "location") {
      location = Vector3();
    } else if (w == "look_at") {
      look_at = Vector3();
    } else if (w == "sky") {
      sky = Vector3();
    } else if (w == "angle") {
      angle = Float();
    } else if (w == "up" || w == "right" || w == "direction") {
      Vector3();
    } else if (TransformWordOf(w) != TransformWord::kNone) {
      TransformItem(token, transform);
    }
  }
  camera_location_ = transform.Point(location);
  const Vec3 origin = transform.Point({0, 0, 0});
  const Vec3 up = transform.Point(sky);
  sink_.AddCamera(transform.Point(location), transform.Point(look_at),
                  {up.x - origin.x, up.y - origin.y, up.z - origin.z}, angle);
}

// light_source { <position> color ... }: a point of light (spot and area
// lights are taken as points). Transformations of its own block move it.
void Parser::LightSource(const Token& keyword, const std::string& name) {
  // Lights are imported with placement; without it the block is passed over.
  if (!options_.place_objects) {
    Container(keyword, name);
    return;
  }
  Expect('{', "after light_source");
  const int64_t depth = brace_depth_;
  std::vector<PlacedLight> lights;  // what this block places
  const Token first = PeekRaw();
  const ValueRef declared =
      first.kind == TokenKind::kWord && !IsReservedWord(first.text) ? Lookup(first.text) : nullptr;
  if (declared != nullptr && declared->type == ValueType::kObject) {
    // light_source { Declared_Light modifiers }
    Raw();
    if (declared->object != nullptr) lights = declared->object->lights;
  } else {
    PlacedLight light;
    light.location = Vector3();
    OptionalComma();
    const Token colour = Peek();
    if (colour.kind == TokenKind::kWord) {
      const ValueRef value = Lookup(colour.text);
      if ((value != nullptr && value->IsNumeric()) || BeginsColour(colour.text)) {
        const Value c = Expression();
        for (int i = 0; i < 3; ++i) {
          light.color[i] = c.type == ValueType::kFloat ? c.v[0] : (i < c.dim ? c.v[i] : 0);
        }
      }
    }
    lights.push_back(light);
  }
  Transform transform;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside light_source { }");
    if (token.Is('}') && brace_depth_ < depth) break;
    if (token.kind == TokenKind::kWord && brace_depth_ == depth) {
      const std::string_view w = token.text;
      if (TransformWordOf(w) != TransformWord::kNone) TransformItem(token, transform);
    }
  }
  for (PlacedLight& light : lights) {
    light.transform.Then(transform);
    if (!collecting_.empty()) {
      collecting_.back()->lights.push_back(light);
    } else {
      EmitLight(light);
    }
  }
}

void Parser::EmitLight(const PlacedLight& light) {
  sink_.AddLight(light.transform.Point(light.location), light.color);
}

namespace {

// Makes `def` the object being read for the life of the guard.
class Collecting {
 public:
  Collecting(std::vector<ObjectDef*>& stack, ObjectDef* def) : stack_(stack), size_(stack.size()) {
    stack_.push_back(def);
  }
  ~Collecting() { stack_.resize(size_); }
  Collecting(const Collecting&) = delete;
  Collecting& operator=(const Collecting&) = delete;

 private:
  std::vector<ObjectDef*>& stack_;
  size_t size_;
};

}  // namespace

// object, union, merge, CSG and the other shapes: their meshes, moved and
// textured by the container's own modifiers.
void Parser::Container(const Token& keyword, const std::string& name, bool opened) {
  const std::string_view w = keyword.text;
  ObjectDef top;  // a placed object at the top level collects here
  const bool at_top = options_.place_objects && collecting_.empty();
  std::optional<Collecting> collecting;
  if (at_top) collecting.emplace(collecting_, &top);
  ObjectDef* target = collecting_.empty() ? nullptr : collecting_.back();
  const size_t start = target != nullptr ? target->parts.size() : 0;
  const size_t start_lights = target != nullptr ? target->lights.size() : 0;
  Transform transform;
  MaterialSlot texture;
  bool has_texture = false;
  // The loose triangles read inside this object gather here.
  MeshData loose;
  loose_.push_back(&loose);
  struct PopLoose {
    std::vector<MeshData*>& stack;
    ~PopLoose() { stack.pop_back(); }
  } pop_loose{loose_};
  if (!opened) Expect('{', ("after " + std::string(w)).c_str());
  if (w == "object" || opened) {
    const Token inner = Next();
    if (inner.kind == TokenKind::kWord && IsObjectKeyword(inner.text)) {
      Object(inner, name);
    } else if (inner.kind == TokenKind::kWord) {
      ValueRef value = Lookup(inner.text);
      if (value == nullptr) Fail(inner, "undefined object identifier '" + Quote(inner.text) + "'");
      if (value->type == ValueType::kArray && PeekRaw().Is('[')) {
        // object { Parts[i] }: an element of an array of objects, held here
        // whatever the indices' tokens do to the array.
        const std::shared_ptr<ArrayValue> array = value->array;
        value = std::make_shared<const Value>(*ArrayElement(inner, array));
      }
      if (value->type != ValueType::kObject) {
        Fail(inner, "'" + Quote(inner.text) + "' is " + TypeName(value->type) + ", not an object");
      }
      if (target != nullptr && value->object != nullptr) {
        const ObjectDef& def = *value->object;
        budget_.Allocate(
            def.parts.size() * sizeof(PlacedPart) + def.lights.size() * sizeof(PlacedLight),
            inner.where);
        target->parts.insert(target->parts.end(), def.parts.begin(), def.parts.end());
        target->lights.insert(target->lights.end(), def.lights.begin(), def.lights.end());
      }
    } else {
      Fail(inner, "expected an object identifier after 'object {', found " + Describe(inner));
    }
  }
  bool inverse = false;
  std::vector<ClipBlock> clips;
  ObjectBody(name, &transform, &texture, &has_texture, &inverse,
             options_.shapes.on && options_.place_objects ? &clips : nullptr);
  if (target == nullptr) return;
  if (!loose.faces.empty()) {
    budget_.Allocate(loose.Bytes(), keyword.where);
    PlacedPart part;
    part.mesh = std::make_shared<MeshData>(std::move(loose));
    target->parts.push_back(std::move(part));
  }
  const bool boolean = w == "merge" || w == "intersection" || w == "difference";
  const bool computed = boolean && options_.shapes.on && target->parts.size() > start &&
                        MakeBoolean(keyword, *target, start, inverse);
  for (const ClipBlock& clip : clips) {
    for (size_t i = start; i < target->parts.size(); ++i) {
      PlacedPart& part = target->parts[i];
      if (part.PassedOver()) continue;
      std::shared_ptr<const csg::Solid> object = part.solid;
      if (object == nullptr) {
        auto mesh = std::make_shared<csg::Solid>();
        mesh->op = csg::SolidOp::kMesh;
        mesh->mesh = part.mesh;
        object = std::move(mesh);
        if (part.kind.empty()) part.kind = "mesh";
      }
      part.solid = Clipped(std::move(object), part.transform, clip);
      part.mesh = nullptr;
      part.transform = Transform();
    }
  }
  for (size_t i = start; i < target->parts.size(); ++i) {
    PlacedPart& part = target->parts[i];
    part.transform.Then(transform);
    if (has_texture && !part.has_texture) {
      part.has_texture = true;
      part.texture = texture;
    }
  }
  if ((w == "difference" || w == "intersection") && !computed && target->parts.size() > start &&
      !warned_csg_) {
    warned_csg_ = true;
    Warn(keyword.where, "the meshes inside " + std::string(w) +
                            " are imported whole: their polygons are there, the cut is not");
  }
  for (size_t i = start_lights; i < target->lights.size(); ++i) {
    target->lights[i].transform.Then(transform);
  }
  if (at_top) {
    placed_.insert(placed_.end(), top.parts.begin(), top.parts.end());
    for (const PlacedLight& light : top.lights) EmitLight(light);
  }
}

bool Parser::ReadClip(const Token& keyword, const Transform& before, ClipBlock& clip) {
  ObjectDef clips;
  {
    Collecting collecting(collecting_, &clips);
    Expect('{', "after clipped_by");
    const int64_t depth = brace_depth_;
    for (;;) {
      const Token token = Next();
      if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside clipped_by { }");
      if (token.Is('}') && brace_depth_ < depth) break;
      if (token.kind == TokenKind::kWord && brace_depth_ == depth && IsObjectKeyword(token.text)) {
        Object(token, "");
      }
    }
  }
  clip.before = before;
  clip.operands.clear();
  for (const PlacedPart& part : clips.parts) {
    // A mesh has no inside here (no inside_vector is kept); a kind not
    // imported clips nothing.
    if (part.solid == nullptr) continue;
    csg::Operand operand;
    operand.solid = part.solid;
    operand.transform = part.transform;
    clip.operands.push_back(std::move(operand));
  }
  return !clip.operands.empty();
}

std::shared_ptr<const csg::Solid> Parser::Clipped(std::shared_ptr<const csg::Solid> object,
                                                  const Transform& placement,
                                                  const ClipBlock& clip) {
  auto clipped = std::make_shared<csg::Solid>();
  clipped->op = csg::SolidOp::kClip;
  csg::Operand first;
  first.solid = std::move(object);
  first.transform = placement;
  clipped->operands.push_back(std::move(first));
  // The clip stood where the transformations read before it had taken the
  // object; here the object is not moved yet.
  const Transform back = clip.before.Inverse();
  for (csg::Operand operand : clip.operands) {
    operand.transform.Then(back);
    clipped->operands.push_back(std::move(operand));
  }
  return clipped;
}

void Parser::ObjectBody(const std::string& name, Transform* transform, MaterialSlot* texture,
                        bool* has_texture, bool* inverse, std::vector<ClipBlock>* clips) {
  const int64_t depth = brace_depth_;  // inside the object's '{'
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(token, "the file ends inside an object");
    if (token.Is('}') && brace_depth_ < depth) return;
    if (token.kind != TokenKind::kWord) continue;
    // The object's own objects and modifiers stand at its depth; a mesh in
    // a deeper block (looks_like, a declared texture's pattern) is read too.
    const bool own = brace_depth_ == depth;
    if ((own && IsObjectKeyword(token.text)) || IsMeshKeyword(token.text)) {
      const int64_t before = brace_depth_;
      try {
        Object(token, name);
      } catch (const ParseError& e) {
        Report(true, e.where, e.message);
        Recover(before);
      }
    } else if (own && token.IsWord("inverse") && inverse != nullptr) {
      *inverse = !*inverse;
    } else if (own && token.IsWord("clipped_by") && clips != nullptr && PeekRaw().Is('{')) {
      ClipBlock clip;
      if (ReadClip(token, *transform, clip)) clips->push_back(std::move(clip));
    } else if (own) {
      Modifier(token, *transform, texture, has_texture);
    }
  }
}

void Parser::EmitMesh(MeshData&& mesh, const std::string& name) {
  budget_.Allocate(mesh.Bytes(), lexer_.position());
  if (!options_.place_objects) {
    budget_.Output(kHostMeshBytes, lexer_.position());
    sink_.AddMesh(mesh, name);
    return;
  }
  PlacedPart part;
  part.mesh = std::make_shared<MeshData>(std::move(mesh));
  part.name = name;
  if (!collecting_.empty()) {
    collecting_.back()->parts.push_back(std::move(part));
  } else {
    placed_.push_back(std::move(part));
  }
}

void Parser::FinishPlacement() {
  if (!options_.place_objects) return;
  int64_t emitted = 0;
  placing_ = true;
  RelaxForTriangleBudget();
  auto emit = [this, &emitted](const PlacedPart& part, bool placed) {
    if (++emitted % 256 == 0) budget_.CheckStop(lexer_.position());
    if (part.PassedOver()) {
      WarnPassedOver(part);
      return;
    }
    if (part.solid != nullptr) {
      MeshData mesh;
      SolidMesh(part, placed ? part.transform : Transform(), mesh);
      budget_.Output(kHostMeshBytes + mesh.Bytes(), lexer_.position());
      if (placed) {
        if (part.has_texture) mesh.Inherit(part.texture);
        mesh.Apply(part.transform);
      }
      sink_.AddMesh(mesh, part.name.empty() ? SolidName(part.kind) : part.name);
      return;
    }
    // A mesh placed once (a literal mesh at the top) is handed on, not copied.
    budget_.Output(kHostMeshBytes + (part.mesh.use_count() > 1 ? part.mesh->Bytes() : 0),
                   lexer_.position());
    MeshData mesh = part.mesh.use_count() == 1 ? std::move(*part.mesh) : *part.mesh;
    if (placed) {
      if (part.has_texture) mesh.Inherit(part.texture);
      mesh.Apply(part.transform);
    }
    sink_.AddMesh(mesh, part.name);
  };
  if (placed_any_) {
    for (const PlacedPart& part : placed_) emit(part, true);
    return;
  }
  // A file that places nothing (an include of parts): each declared mesh
  // once, as it was declared.
  std::unordered_set<const void*> seen;
  for (const auto& def : declared_) {
    for (const PlacedPart& part : def->parts) {
      if (part.PassedOver()) {
        WarnPassedOver(part);
        continue;
      }
      const void* made = part.solid != nullptr ? static_cast<const void*>(part.solid.get())
                                               : static_cast<const void*>(part.mesh.get());
      if (seen.insert(made).second) emit(part, false);
    }
  }
}

void Parser::SkipBraces(const Token& keyword) {
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd)
      Fail(token, "the file ends inside " + std::string(keyword.text) + " { }");
    if (token.Is('}') && brace_depth_ < depth) return;
  }
}

// ---- modifiers ----

ValueRef Parser::DeclaredTransform(const Token& token) const {
  if (token.kind != TokenKind::kWord) return nullptr;
  ValueRef value = Lookup(token.text);
  return value != nullptr && value->type == ValueType::kTransform ? value : nullptr;
}

void Parser::TransformItem(const Token& token, Transform& transform) {
  NestingGuard nesting(*this, token.where);
  const TransformWord word =
      token.kind == TokenKind::kWord ? TransformWordOf(token.text) : TransformWord::kNone;
  if (word == TransformWord::kTranslate) {
    transform.Then(Transform::Translate(Vector3()));
  } else if (word == TransformWord::kRotate) {
    transform.Then(Transform::Rotate(Vector3()));
  } else if (word == TransformWord::kScale) {
    const Token at = PeekRaw();
    Vec3 s = Vector3();
    if (s.x == 0 || s.y == 0 || s.z == 0) {
      Warn(at.where, "a scale by 0 is taken as 1, as POV-Ray does");
      if (s.x == 0) s.x = 1;
      if (s.y == 0) s.y = 1;
      if (s.z == 0) s.z = 1;
    }
    transform.Then(Transform::Scale(s));
  } else if (word == TransformWord::kMatrix) {
    const Token open = Next();
    if (!open.Is('<')) Fail(open, "expected '<' and 12 numbers after matrix");
    // matrix takes 12 components, more than a vector literal holds.
    double values[12];
    int n = 0;
    {
      ScopedFlag flag(full_, false);
      while (!PeekRaw().Is('>')) {
        if (n == 12) Fail(open, "matrix takes 12 numbers");
        values[n++] = Float();
        if (PeekRaw().Is(',')) Raw();
      }
      Raw();
    }
    if (n != 12) Fail(open, "matrix takes 12 numbers, found " + std::to_string(n));
    transform.Then(Transform::Matrix(values));
  } else if (word == TransformWord::kTransform) {
    const Token next = Next();
    if (next.Is('{')) {
      const int64_t depth = brace_depth_;
      Transform inner;
      bool inverse = false;
      for (;;) {
        const Token t = Next();
        if (t.Is('}') && brace_depth_ < depth) break;
        if (t.kind == TokenKind::kEnd) Fail(t, "the file ends inside transform { }");
        if (t.IsWord("inverse")) {
          inverse = true;
        } else if (const ValueRef declared = DeclaredTransform(t)) {
          inner.Then(*declared->transform);
        } else if (t.kind == TokenKind::kWord) {
          TransformItem(t, inner);
        } else {
          Fail(t, "expected a transformation in transform { }, found " + Describe(t));
        }
      }
      transform.Then(inverse ? inner.Inverse() : inner);
    } else if (const ValueRef declared = DeclaredTransform(next)) {
      transform.Then(*declared->transform);
    } else {
      Fail(next, "expected '{' or a declared transform after transform, found " + Describe(next));
    }
  } else {
    Fail(token, "expected a transformation, found " + Describe(token));
  }
}

bool Parser::Modifier(const Token& token, Transform& transform, MaterialSlot* texture,
                      bool* has_texture) {
  if (token.kind != TokenKind::kWord) return false;
  const std::string_view w = token.text;
  if (TransformWordOf(w) != TransformWord::kNone) {
    TransformItem(token, transform);
    return true;
  }
  if (w == "texture" || w == "pigment" || w == "material") {
    const MaterialSlot slot = TextureBlock(token);
    if (texture != nullptr) {
      // A pigment or material after a texture changes that texture; the
      // name no longer says what it is.
      if (*has_texture && w != "texture") {
        texture->name.clear();
      } else {
        *texture = slot;
      }
      *has_texture = true;
    }
    return true;
  }
  if (w == "finish" && PeekRaw().Is('{')) {
    // An object's own finish changes its texture's.
    MaterialSlot finish;
    FinishBlock(token, finish);
    if (texture != nullptr) {
      texture->has_finish = true;
      texture->finish = finish.finish;
    }
    return true;
  }
  if ((w == "normal" || w == "interior") && PeekRaw().Is('{')) {
    NamedBlock(token);
    return true;
  }
  return false;
}

void Parser::NamedBlock(const Token& keyword) {
  // The geometry does not depend on it; only a declared name that starts the
  // block is looked at, so that a missing one is said once.
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  const Token first = Next();
  if (first.kind == TokenKind::kWord && !IsReservedWord(first.text) &&
      Lookup(first.text) == nullptr)
    WarnMissing(first, keyword.text, "passed over");
  for (Token token = first;; token = Next()) {
    if (token.kind == TokenKind::kEnd)
      Fail(token, "the file ends inside " + std::string(keyword.text) + " { }");
    if (token.Is('}') && brace_depth_ < depth) return;
  }
}

namespace {

void SetColour(MaterialSlot& slot, const double* c, int dim) {
  slot.has_color = true;
  for (int i = 0; i < 5; ++i) slot.color[i] = i < dim ? c[i] : 0.0;
}

// The colour a declared value gives a texture: a texture's or pigment's
// own (carried in its v[] with dim 5), or a colour itself; and a declared
// texture's or finish's finish.
bool ColourOf(const Value& value, MaterialSlot& slot) {
  if (value.type == ValueType::kTexture && value.finish) {
    slot.has_finish = true;
    slot.finish = value.finish->finish;
  }
  if ((value.type == ValueType::kTexture && value.dim == 5) ||
      (value.type == ValueType::kVector && value.dim >= 3)) {
    SetColour(slot, value.v, value.dim);
    return true;
  }
  return false;
}

}  // namespace

MaterialSlot Parser::TextureBlock(const Token& keyword) {
  NestingGuard nesting(*this, keyword.where);
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  const bool pigment = keyword.IsWord("pigment");
  MaterialSlot slot;
  const Token first = Next();
  if (first.kind == TokenKind::kWord && !IsReservedWord(first.text)) {
    ValueRef value = Lookup(first.text);  // held while the block's tokens are read
    if (value == nullptr) {
      // A name from a library the user may not have: the geometry stays,
      // with a neutral material of that name.
      WarnMissing(first, keyword.text, "neutral material");
      Value missing;
      missing.type = ValueType::kTexture;
      missing.text = std::string(first.text);
      value = std::make_shared<const Value>(std::move(missing));
    }
    if (value->type == ValueType::kTexture || pigment) ColourOf(*value, slot);
    const Token next = Next();
    if (next.Is('}') && brace_depth_ < depth) {
      if (value->type == ValueType::kTexture)
        slot.name = value->text.empty() ? std::string(first.text) : value->text;
      if (keyword.IsWord("texture") && value->type != ValueType::kTexture)
        slot.name = std::string(first.text);
      return slot;
    }
    Unget(next);
    if (next.Is('{')) CountDepth(-1);
    if (next.Is('}')) CountDepth(1);
  } else if (pigment && first.kind == TokenKind::kWord && BeginsColour(first.text)) {
    // The geometry does not depend on it: a colour that cannot be evaluated
    // (a name from an include not found) is a warning, and grey.
    try {
      const Value colour = ColourKeyword(first);
      SetColour(slot, colour.v, colour.dim);
    } catch (const ParseError& e) {
      Warn(e.where, e.message + "; the colour is left neutral grey");
    }
  } else {
    Unget(first);
    if (first.Is('{')) CountDepth(-1);
    if (first.Is('}')) CountDepth(1);
  }
  // The rest of the block; a pigment (or texture) of its own gives the
  // colour, a finish of its own the finish.
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd)
      Fail(token, "the file ends inside " + std::string(keyword.text) + " { }");
    if (token.Is('}') && brace_depth_ < depth) return slot;
    if (brace_depth_ != depth || !PeekRaw().Is('{')) continue;
    if (!slot.has_color && (token.IsWord("pigment") || token.IsWord("texture"))) {
      const MaterialSlot inner = TextureBlock(token);
      if (inner.has_color) SetColour(slot, inner.color, 5);
      if (inner.has_finish && !slot.has_finish) {
        slot.has_finish = true;
        slot.finish = inner.finish;
      }
    } else if (token.IsWord("finish") && !pigment) {
      FinishBlock(token, slot);
    } else if (token.IsWord("normal") && !pigment) {
      NamedBlock(token);
    }
  }
}

namespace {

// The strength of a colour or float value (its brightest channel).
double Strength(const Value& value) {
  if (value.dim <= 1) return value.v[0];
  return std::max({value.v[0], value.v[1], value.v[2]});
}

}  // namespace

void Parser::FinishBlock(const Token& keyword, MaterialSlot& slot) {
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  // A texture's finish starts from POV-Ray's defaults, or from a declared
  // finish named first in the block.
  slot.has_finish = true;
  slot.finish = MaterialSlot::Finish();
  MaterialSlot::Finish& terms = slot.finish;
  bool reflection_block = false;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(token, "the file ends inside finish { }");
    if (token.Is('}') && brace_depth_ < depth) break;
    if (token.kind != TokenKind::kWord) continue;
    const std::string_view w = token.text;
    if (brace_depth_ == depth) reflection_block = false;
    if ((w == "phong" || w == "specular") && PeekRaw().IsWord("albedo")) {
      Raw();  // "specular albedo 0.3": the amount as the surface's albedo
    }
    if (w == "phong") {
      terms.phong = Float();
    } else if (w == "phong_size") {
      terms.phong_size = Float();
    } else if (w == "specular") {
      terms.specular = Float();
    } else if (w == "roughness") {
      terms.roughness = Float();
    } else if (w == "metallic") {
      // An amount may follow; alone (or in a reflection block) it is 1.
      const Token next = Peek();
      const bool amount = !reflection_block && (next.kind == TokenKind::kNumber || next.Is('(') ||
                                                next.Is('-') || next.Is('+'));
      terms.metallic = amount ? Float() : 1.0;
    } else if (w == "reflection") {
      reflection_block = PeekRaw().Is('{');
      if (reflection_block) Expect('{', "after reflection");
      terms.reflection = Strength(Expression());
    } else if (brace_depth_ == depth && !IsReservedWord(w)) {
      // finish { F_Shiny ... }: a declared finish to start from.
      const ValueRef value = Lookup(w);
      if (value == nullptr) {
        WarnMissing(token, "finish", "POV-Ray's default finish");
      } else if (value->type == ValueType::kTexture && value->finish) {
        terms = value->finish->finish;
      }
    }
  }
}

void MetallicRoughness(const MaterialSlot::Finish& f, double* metallic, double* roughness) {
  double exponent = 0;
  if (f.phong > 0) {
    exponent = f.phong_size;
  } else if (f.specular > 0 && f.roughness > 0) {
    exponent = 1 / f.roughness;
  }
  double rough = exponent > 0 ? std::sqrt(std::sqrt(2 / (exponent + 2))) : 1.0;
  if (f.reflection > 0) rough = std::min(rough, 1 - std::min(f.reflection, 1.0));
  *metallic = std::isfinite(f.metallic) ? std::clamp(f.metallic, 0.0, 1.0) : 0.0;
  *roughness = std::isfinite(rough) ? std::clamp(rough, 0.0, 1.0) : 1.0;
}

// ---- #declare ----

Value Parser::CopyArray(const Value& array, const Position& at, int depth, int64_t* copied) {
  constexpr int kArrayNesting = 64;
  if (depth > kArrayNesting) {
    Fail(at, "arrays nested in arrays more than " + std::to_string(kArrayNesting) + " deep");
  }
  // The elements of the arrays inside count too: an array that takes copies
  // of itself in a loop would otherwise double with each one.
  *copied += static_cast<int64_t>(array.array->items.size());
  budget_.Allocate(array.array->items.size() * sizeof(Value), at);
  if (*copied > options_.limits.array_elements) {
    Fail(at, "a copy of an array of more than " + std::to_string(options_.limits.array_elements) +
                 " elements, with those of the arrays inside it, is more than this reader holds");
  }
  Value copy = array;
  copy.array = std::make_shared<ArrayValue>(*array.array);
  for (Value& item : copy.array->items) {
    if (item.type == ValueType::kArray) item = CopyArray(item, at, depth + 1, copied);
  }
  return copy;
}

Value Parser::RValue(const std::string& name, bool share_arrays) {
  const Token token = Next();
  if (token.kind == TokenKind::kWord) {
    const std::string_view w = token.text;
    if (IsObjectKeyword(w)) {
      auto def = std::make_shared<ObjectDef>();
      {
        Collecting collecting(collecting_, def.get());
        Object(token, name);
      }
      Value value;
      value.type = ValueType::kObject;
      value.text = name;
      if (options_.place_objects) {
        value.object = def;
        declared_.push_back(def);
      }
      return value;
    }
    if (w == "finish" && PeekRaw().Is('{')) {
      MaterialSlot slot;
      FinishBlock(token, slot);
      Value value;
      value.type = ValueType::kTexture;
      value.text = name;
      value.finish = std::make_shared<const MaterialSlot>(slot);
      return value;
    }
    if (IsTextureKeyword(w) || w == "finish" || w == "normal" || w == "interior" || w == "media" ||
        w == "density" || w == "color_map" || w == "colour_map" || w == "pigment_map" ||
        w == "normal_map" || w == "texture_map" || w == "slope_map" || w == "density_map" ||
        w == "material_map" || w == "camera" || w == "fog" || w == "rainbow" || w == "sky_sphere" ||
        w == "spline" || w == "function" || w == "photons" || w == "light_group") {
      Value value;
      if (IsTextureKeyword(w)) {
        const MaterialSlot slot = TextureBlock(token);
        // texture { } texture { } ...: a layered texture. The first layer is
        // the one below, whose colour the material takes.
        while (w == "texture" && PeekRaw().IsWord("texture")) TextureBlock(Next());
        value.type = ValueType::kTexture;
        value.text = slot.name.empty() ? name : slot.name;
        if (w != "texture" && !slot.name.empty()) value.text = name;
        if (slot.has_color) {
          value.dim = 5;  // the colour travels with the texture
          for (int i = 0; i < 5; ++i) value.v[i] = slot.color[i];
        }
        if (slot.has_finish) value.finish = std::make_shared<const MaterialSlot>(slot);
        return value;
      }
      if (w == "function") return FunctionDeclaration(token);
      if (w == "spline") return SplineDeclaration(token);
      SkipBraces(token);
      value.type = ValueType::kOther;
      value.text = std::string(w);
      return value;
    }
    if (w == "transform") {
      Transform transform;
      TransformItem(token, transform);
      Value value;
      value.type = ValueType::kTransform;
      value.transform = std::make_shared<Transform>(transform);
      return value;
    }
    if (w == "array") return ArrayDeclaration(token);
    if (const ValueRef value = Lookup(w)) {
      const bool call =
          value->type == ValueType::kOther && value->text == "function" && PeekRaw().Is('(');
      if (!value->IsNumeric() && value->type != ValueType::kString && !call &&
          !(value->type == ValueType::kArray && PeekRaw().Is('['))) {
        // An array is copied, as POV-Ray copies it: an array can then never
        // hold itself (storing into an element always goes through a copy).
        if (value->type == ValueType::kArray && !share_arrays) {
          int64_t copied = 0;
          return CopyArray(*value, token.where, 0, &copied);
        }
        return CopyOf(*value, token.where);
      }
    }
  }
  Unget(token);
  if (token.Is('{')) CountDepth(-1);
  if (token.Is('}')) CountDepth(1);
  return Expression();
}

// ---- the polygon objects ----

namespace {

// A list section's count: "n" or "n,".
int64_t CountOf(double value) { return std::clamp<int64_t>(WholeNumber(value), 0, INT32_MAX); }

}  // namespace

void Parser::WarnMissing(const Token& name, std::string_view kind, const char* instead) {
  if (!missing_names_.insert(std::string(name.text)).second) return;
  Warn(name.where, "undefined " + std::string(kind) + " '" + Quote(name.text) + "': " + instead);
}

void Parser::RejectUndeclared(const Token& token, std::string_view block) {
  if (IsReservedWord(token.text) || Lookup(token.text) != nullptr) return;
  Fail(token, "expected a " + std::string(block) +
                  " item or object modifier, found the undeclared identifier '" +
                  Quote(token.text) + "'");
}

void Parser::Mesh2(const Token& keyword, const std::string& name) {
  Expect('{', "after mesh2");
  const int64_t depth = brace_depth_;
  MeshData mesh;
  Transform transform;
  MaterialSlot texture;
  bool has_texture = false;
  bool normal_indices = false, uv_indices = false;
  MeshArray<int32_t> texture_indices;  // per face, -1 when none was given

  auto section_start = [&](const Token& section) -> int64_t {
    Expect('{', ("after " + std::string(section.text)).c_str());
    const Token at = PeekRaw();
    const double count = Float();
    if (count < 0) Fail(at, "a negative count in " + std::string(section.text));
    if (PeekRaw().Is(',')) Raw();
    return CountOf(count);
  };
  auto section_end = [&](const Token& section, int64_t count) {
    const Token close = Next();
    if (!close.Is('}')) {
      Fail(close, "expected '}' after the " + std::to_string(count) + " items of " +
                      std::string(section.text) + ", found " + Describe(close));
    }
  };
  // A list that ends before its count: say so rather than what stands there.
  auto check_more = [&](const Token& section, int64_t i, int64_t count) {
    if (pushed_.empty() && lexer_.PeekChar() == '}') {
      Fail(lexer_.position(), std::string(section.text) + " declares " + std::to_string(count) +
                                  " items but has " + std::to_string(i));
    }
  };
  auto progress = [&](int64_t i) {
    if (i % kFastItemsPerProgressCheck == 0) {
      // Long lists read on the fast path pass no token: the budget and a
      // cancel are checked here.
      budget_.Scanned(lexer_.scanned(), lexer_.position());
      budget_.CheckStop(lexer_.position());
    }
    if (i % kFastItemsPerProgressCheck == 0 && lexer_.position().source == main_ &&
        static_cast<int64_t>(lexer_.position().offset) >= next_progress_) {
      sink_.Progress(static_cast<int64_t>(lexer_.position().offset));
      next_progress_ = static_cast<int64_t>(lexer_.position().offset) +
                       std::max<int64_t>(1, static_cast<int64_t>(main_->text.size() / 100));
    }
  };
  auto vectors = [&](const Token& section, MeshArray<Vec3>& out, int dims) {
    const int64_t count = section_start(section);
    const size_t bytes = lexer_.position().source->text.size();
    out.reserve(out.size() +
                static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(bytes / 4 + 1))));
    for (int64_t i = 0; i < count; ++i) {
      progress(i);
      check_more(section, i, count);
      double v[3] = {0, 0, 0};
      if (!(pushed_.empty() && lexer_.FastVector(v, dims))) VectorN(dims, v);
      out.push_back({v[0], v[1], v[2]});
      // The comma of the fast path without a call (a list may hold millions).
      if (pushed_.empty()) {
        lexer_.SkipComma();
      } else {
        OptionalComma();
      }
    }
    section_end(section, count);
  };
  auto triples = [&](const Token& section, MeshArray<IndexTriple>& out, bool faces) {
    const int64_t count = section_start(section);
    const size_t bytes = lexer_.position().source->text.size();
    out.reserve(out.size() +
                static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(bytes / 6 + 1))));
    if (faces) texture_indices.reserve(out.capacity());
    for (int64_t i = 0; i < count; ++i) {
      progress(i);
      check_more(section, i, count);
      std::array<int32_t, 3> face;
      if (!(pushed_.empty() && lexer_.FastIndices(face.data()))) {
        double v[3];
        VectorN(3, v);
        for (int k = 0; k < 3; ++k) {
          if (!(v[k] >= -2147483648.0 && v[k] <= 2147483647.0)) {
            Fail(section, "an index outside the range of 32-bit integers");
          }
          face[k] = static_cast<int32_t>(v[k]);
        }
      }
      out.push_back(face);
      if (pushed_.empty()) {
        lexer_.SkipComma();
      } else {
        OptionalComma();
      }
      if (!faces) continue;
      // With a texture_list, one or three texture indices follow a face;
      // POV-Ray also reads a face with none (the list's first texture).
      int32_t texture_index = -1;
      double t = -1;
      const bool fast = !mesh.slots.empty() && pushed_.empty() && lexer_.FastNumber(&t);
      if (fast || (!mesh.slots.empty() && !FaceFollows())) {
        if (!fast) t = Float();
        texture_index = static_cast<int32_t>(std::clamp<int64_t>(WholeNumber(t), -1, INT32_MAX));
        OptionalComma();
        const char after = pushed_.empty() ? lexer_.PeekChar() : '\0';
        if (after == '<' || after == '}') {
          texture_indices.push_back(texture_index);
          continue;
        }
        // Directives may stand between the items: look past them.
        const Token more = Peek();
        const ValueRef value = more.kind == TokenKind::kWord ? Lookup(more.text) : nullptr;
        const bool next_face =
            more.Is('<') || more.Is('}') || (value != nullptr && value->type == ValueType::kVector);
        if (!next_face) {
          Float();  // the second and third indices blend textures by corner; the first is kept
          OptionalComma();
          Float();
          OptionalComma();
        }
      }
      texture_indices.push_back(texture_index);
    }
    section_end(section, count);
  };

  try {
    for (;;) {
      const Token token = Next();
      if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this mesh2");
      if (token.Is('}') && brace_depth_ < depth) break;
      if (token.kind != TokenKind::kWord) continue;
      const std::string_view w = token.text;
      if (w == "vertex_vectors") {
        vectors(token, mesh.vertices, 3);
      } else if (w == "normal_vectors") {
        vectors(token, mesh.normals, 3);
      } else if (w == "uv_vectors") {
        vectors(token, mesh.uvs, 2);
      } else if (w == "face_indices") {
        triples(token, mesh.faces, true);
      } else if (w == "normal_indices") {
        normal_indices = true;
        triples(token, mesh.normal_faces, false);
      } else if (w == "uv_indices") {
        uv_indices = true;
        triples(token, mesh.uv_faces, false);
      } else if (w == "texture_list") {
        const int64_t count = section_start(token);
        for (int64_t i = 0; i < count; ++i) {
          const Token t = Next();
          if (!t.IsWord("texture")) {
            Fail(t, "expected texture { } in texture_list, found " + Describe(t));
          }
          mesh.slots.push_back(TextureBlock(t));
          if (PeekRaw().Is(',')) Raw();
        }
        section_end(token, count);
      } else if (w == "inside_vector") {
        Vector3();
      } else if (!Modifier(token, transform, &texture, &has_texture)) {
        RejectUndeclared(token, "mesh2");
        if (PeekRaw().Is('{')) SkipBraces(token);
      }
    }
  } catch (const ParseError& e) {
    Report(true, e.where, e.message);
    Recover(depth - 1);
  }

  // POV-Ray's defaults: normals and uv without index lists follow the faces.
  if (!mesh.normals.empty() && !normal_indices) mesh.normal_faces = mesh.faces;
  if (!mesh.uvs.empty() && !uv_indices) mesh.uv_faces = mesh.faces;
  // Texture slots: the list's, else the object's texture.
  const size_t listed = mesh.slots.size();
  if (listed == 0 && has_texture) mesh.slots.push_back(texture);
  mesh.face_slots.resize(mesh.faces.size(), 0);
  for (size_t f = 0; f < mesh.faces.size(); ++f) {
    const int32_t t = f < texture_indices.size() ? texture_indices[f] : -1;
    if (t >= 0 && listed > 0) mesh.face_slots[f] = static_cast<size_t>(t) < listed ? t : 0;
  }
  mesh.Apply(transform);
  EmitMesh(std::move(mesh), name);
}

bool Parser::FaceFollows() {
  if (pushed_.empty()) {
    const char c = lexer_.PeekChar();
    if (c == '<' || c == '}') return true;
    if (c != '#' && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && c != '_') return false;
  }
  // Directives may stand between the items, or the face is an identifier.
  const Token next = Peek();
  if (next.Is('<') || next.Is('}')) return true;
  const ValueRef value = next.kind == TokenKind::kWord ? Lookup(next.text) : nullptr;
  return value != nullptr && value->type == ValueType::kVector;
}

void Parser::OptionalComma() {
  if (pushed_.empty()) {
    lexer_.SkipComma();
  } else if (PeekRaw().Is(',')) {
    Raw();
  }
}

void Parser::ReadCorners(int count, Vec3* out) {
  for (int i = 0; i < count; ++i) {
    double d[3];
    if (!(pushed_.empty() && lexer_.FastVector(d, 3))) VectorN(3, d);
    out[i] = {d[0], d[1], d[2]};
    OptionalComma();
  }
}

void Parser::MeshTriangle(const Token& keyword, bool smooth, MeshData& mesh, int32_t default_slot) {
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  Vec3 v[6];
  ReadCorners(smooth ? 6 : 3, v);
  int32_t slot = default_slot;
  Vec3 uv[3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  bool has_uv = false;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this triangle");
    if (token.Is('}') && brace_depth_ < depth) break;
    if (token.IsWord("uv_vectors")) {
      for (int i = 0; i < 3; ++i) {
        double d[2];
        VectorN(2, d);
        uv[i] = {d[0], d[1], 0};
        if (PeekRaw().Is(',')) Raw();
      }
      has_uv = true;
    } else if (token.IsWord("texture")) {
      mesh.slots.push_back(TextureBlock(token));
      slot = static_cast<int32_t>(mesh.slots.size() - 1);
    } else if (token.kind == TokenKind::kWord && PeekRaw().Is('{')) {
      SkipBraces(token);
    }
  }
  const Vec3 a = smooth ? v[0] : v[0], b = smooth ? v[2] : v[1], c = smooth ? v[4] : v[2];
  if (DegenerateInMesh(a, b, c)) {
    ++mesh.degenerate_dropped;
    return;
  }
  const int32_t base = static_cast<int32_t>(mesh.vertices.size());
  mesh.vertices.insert(mesh.vertices.end(), {a, b, c});
  mesh.faces.push_back({base, base + 1, base + 2});
  const int32_t nbase = static_cast<int32_t>(mesh.normals.size());
  if (smooth) {
    mesh.normals.insert(mesh.normals.end(), {v[1], v[3], v[5]});
    mesh.normal_faces.push_back({nbase, nbase + 1, nbase + 2});
  } else {
    mesh.normals.push_back(FaceNormal(a, b, c));
    mesh.normal_faces.push_back({nbase, nbase, nbase});
  }
  if (has_uv || !mesh.uvs.empty()) {
    // Faces before the first uv_vectors get the default corners.
    while (mesh.uv_faces.size() + 1 < mesh.faces.size()) {
      const int32_t ubase = static_cast<int32_t>(mesh.uvs.size());
      mesh.uvs.insert(mesh.uvs.end(), {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}});
      mesh.uv_faces.push_back({ubase, ubase + 1, ubase + 2});
    }
    const int32_t ubase = static_cast<int32_t>(mesh.uvs.size());
    mesh.uvs.insert(mesh.uvs.end(), {uv[0], uv[1], uv[2]});
    mesh.uv_faces.push_back({ubase, ubase + 1, ubase + 2});
  }
  mesh.face_slots.push_back(slot);
}

void Parser::Mesh(const Token& keyword, const std::string& name) {
  Expect('{', "after mesh");
  // mesh { Declared_Mesh modifiers }: a copy of it, as object { } makes.
  if (const Token first = Peek(); first.kind == TokenKind::kWord) {
    const ValueRef value = Lookup(first.text);
    if (value != nullptr && value->type == ValueType::kObject) {
      Container(keyword, name, /*opened=*/true);
      return;
    }
  }
  const int64_t depth = brace_depth_;
  MeshData mesh;
  Transform transform;
  MaterialSlot texture;
  bool has_texture = false;
  constexpr int32_t kObjectTexture = -1;
  try {
    for (;;) {
      const Token token = Next();
      if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this mesh");
      if (token.Is('}') && brace_depth_ < depth) break;
      if (token.IsWord("triangle") || token.IsWord("smooth_triangle")) {
        MeshTriangle(token, token.IsWord("smooth_triangle"), mesh, kObjectTexture);
      } else if (token.IsWord("inside_vector")) {
        Vector3();
      } else if (!Modifier(token, transform, &texture, &has_texture)) {
        if (token.kind != TokenKind::kWord) continue;
        RejectUndeclared(token, "mesh");
        if (PeekRaw().Is('{')) SkipBraces(token);
      }
    }
  } catch (const ParseError& e) {
    Report(true, e.where, e.message);
    Recover(depth - 1);
  }
  if (mesh.faces.empty()) {
    Report(true, keyword.where,
           mesh.degenerate_dropped > 0 ? "no triangles in this mesh: all of them have zero area"
                                       : "no triangles in this mesh");
  }
  // Triangles without a texture of their own take the mesh's.
  int32_t object_slot = -1;
  for (int32_t& slot : mesh.face_slots) {
    if (slot != kObjectTexture) continue;
    if (object_slot < 0) {
      MaterialSlot untextured;
      untextured.defaulted = true;
      mesh.slots.push_back(has_texture ? texture : untextured);
      object_slot = static_cast<int32_t>(mesh.slots.size() - 1);
    }
    slot = object_slot;
  }
  // The mesh's own texture comes first in its list, as the other readers
  // give the mesh's material first.
  if (object_slot > 0) {
    std::swap(mesh.slots[0], mesh.slots[static_cast<size_t>(object_slot)]);
    for (int32_t& slot : mesh.face_slots) {
      if (slot == object_slot)
        slot = 0;
      else if (slot == 0)
        slot = object_slot;
    }
  }
  mesh.Apply(transform);
  EmitMesh(std::move(mesh), name);
}

void Parser::LooseTriangle(const Token& keyword, bool smooth) {
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  Vec3 v[6];
  ReadCorners(smooth ? 6 : 3, v);
  Transform transform;
  MaterialSlot texture;
  bool has_texture = false;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this triangle");
    if (token.Is('}') && brace_depth_ < depth) break;
    if (!Modifier(token, transform, &texture, &has_texture)) {
      if (token.kind == TokenKind::kWord && PeekRaw().Is('{')) SkipBraces(token);
    }
  }
  Vec3 corners[3] = {v[0], smooth ? v[2] : v[1], smooth ? v[4] : v[2]};
  Vec3 normals[3] = {v[1], v[3], v[5]};
  const Vec3 face = FaceNormal(corners[0], corners[1], corners[2]);
  const bool flat_normals = smooth && !IsZero(face) && NormalsInPlane(face, normals);
  if (IsZero(face) || (smooth && NormalsDisagree(face, normals)) || flat_normals) {
    Warn(keyword.where,
         IsZero(face)   ? "degenerate triangle (zero area): dropped, as POV-Ray drops it"
         : flat_normals ? "degenerate smooth_triangle (its normals lie in its plane): "
                          "dropped, as POV-Ray drops it"
                        : "degenerate smooth_triangle (its normals point to both sides): "
                          "dropped, as POV-Ray drops it");
    sink_.DroppedLooseTriangle();
    return;
  }
  for (Vec3& p : corners) p = transform.Point(p);
  if (smooth) {
    for (Vec3& n : normals) n = transform.Normal(n);
  }
  const MaterialSlot* own_texture = has_texture ? &texture : nullptr;
  if (!options_.place_objects || collecting_.empty()) {
    sink_.AddLooseTriangle(corners, smooth ? normals : nullptr, own_texture);
    return;
  }
  // Inside an object that is placed: part of the object, moved and copied
  // with it. The loose triangles of one object make one mesh.
  if (!loose_.empty()) {
    AppendTriangle(*loose_.back(), corners, smooth ? normals : nullptr, own_texture);
    return;
  }
  MeshData alone;
  AppendTriangle(alone, corners, smooth ? normals : nullptr, own_texture);
  EmitMesh(std::move(alone), "");
}

void Parser::AppendTriangle(MeshData& mesh, const Vec3 corners[3], const Vec3* normals,
                            const MaterialSlot* texture) {
  const int32_t base = static_cast<int32_t>(mesh.vertices.size());
  mesh.vertices.insert(mesh.vertices.end(), {corners[0], corners[1], corners[2]});
  mesh.faces.push_back({base, base + 1, base + 2});
  const int32_t nbase = static_cast<int32_t>(mesh.normals.size());
  if (normals != nullptr) {
    mesh.normals.insert(mesh.normals.end(), {normals[0], normals[1], normals[2]});
    mesh.normal_faces.push_back({nbase, nbase + 1, nbase + 2});
  } else {
    mesh.normals.push_back(FaceNormal(corners[0], corners[1], corners[2]));
    mesh.normal_faces.push_back({nbase, nbase, nbase});
  }
  // Slot 0 is the untextured triangles', which take the object's texture.
  if (mesh.slots.empty()) {
    MaterialSlot untextured;
    untextured.defaulted = true;
    mesh.slots.push_back(untextured);
  }
  int32_t slot = 0;
  if (texture != nullptr) {
    mesh.slots.push_back(*texture);
    slot = static_cast<int32_t>(mesh.slots.size() - 1);
  }
  mesh.face_slots.push_back(slot);
}

}  // namespace sdl
