// Shapes and CSG objects as the parser meets them: a shape's block read
// through the shape table, its modifiers, the booleans around shapes, and
// the meshes of placed solids once the scene is read.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "csg/mesh_solid.h"
#include "sdl/keywords.h"
#include "sdl/parser.h"
#include "shapes/isosurface.h"
#include "shapes/parametric.h"
#include "shapes/ray_shape.h"
#include "shapes/vec_math.h"

namespace sdl {

namespace {

// Thrown by ParserShapeArgs::PassOver, caught where the shape is read.
struct ShapePassedOver {};

}  // namespace

// ShapeArgs over the parser's tokens and expressions.
class ParserShapeArgs final : public ShapeArgs {
  static constexpr size_t kMostNumbers = 10000;

 public:
  ParserShapeArgs(Parser& parser, const Token& keyword) : p_(parser), keyword_(keyword) {}

  double Float() override { return p_.Float(); }
  Vec3 Vector() override { return p_.Vector3(); }
  void Vector2(double out[2]) override { p_.VectorN(2, out); }
  std::vector<double> Numbers() override {
    const Token open = p_.Next();
    if (!open.Is('<'))
      p_.Fail(open, "expected '<' to begin the coefficients, found " + p_.Describe(open));
    ScopedFlag flag(p_.full_, false);
    std::vector<double> out;
    for (;;) {
      const Token at = p_.PeekRaw();
      if (at.Is('>')) {
        p_.Raw();
        return out;
      }
      if (out.size() >= kMostNumbers) p_.Fail(at, "more than 10,000 coefficients");
      const Value component = p_.Additive();
      if (component.type != ValueType::kFloat) {
        p_.Fail(at,
                std::string("a coefficient must be a float, found ") + TypeName(component.type));
      }
      out.push_back(component.v[0]);
      if (p_.PeekRaw().Is(',')) p_.Raw();
    }
  }
  void Comma() override { p_.OptionalComma(); }
  bool TakeModifier(Transform& transform) override {
    if (p_.Peek().kind != TokenKind::kWord) return false;
    const Token token = p_.Next();
    if (p_.Modifier(token, transform, nullptr, nullptr)) return true;
    p_.Unget(token);
    return false;
  }
  bool TakePunct(char c) override {
    if (!p_.Peek().Is(c)) return false;
    p_.Next();
    return true;
  }
  bool CommaFollows() override { return p_.PeekRaw().Is(','); }
  // Directives between a shape's items (a #while making a blob's
  // components) are carried out on the way.
  bool TakeWord(std::string_view word) override {
    if (!p_.Peek().IsWord(word)) return false;
    p_.Next();
    return true;
  }
  std::string String() override { return p_.StringExpression(); }
  std::string FindFile(const std::string& name) override {
    return p_.SceneFilePath(name, p_.PeekRaw().where);
  }
  std::shared_ptr<const FunctionProgram> Function() override {
    if (!p_.PeekRaw().Is('{')) p_.Fail(p_.PeekRaw().where, "expected '{' to begin the function");
    return p_.FunctionDeclaration(keyword_).function;
  }
  void Work(int64_t steps) override { p_.budget_.Work(steps, keyword_.where); }
  [[noreturn]] void Fail(const std::string& message) override {
    p_.Fail(p_.PeekRaw().where, message);
  }
  void Warn(const std::string& message) override { p_.Warn(keyword_.where, message); }
  [[noreturn]] void PassOver() override { throw ShapePassedOver{}; }

 private:
  Parser& p_;
  const Token& keyword_;
};

namespace {

bool Finite(const shapes::Bounds& b) {
  return !b.Empty() && std::isfinite(b.min.x) && std::isfinite(b.min.y) && std::isfinite(b.min.z) &&
         std::isfinite(b.max.x) && std::isfinite(b.max.y) && std::isfinite(b.max.z);
}

}  // namespace

void Parser::ShapeObject(const Token& keyword, const std::string& name, const ShapeReader& reader) {
  Expect('{', ("after " + std::string(keyword.text)).c_str());
  const int64_t depth = brace_depth_;
  auto solid = std::make_shared<csg::Solid>();
  solid->shape.kind = std::string(keyword.text);
  ParserShapeArgs args(*this, keyword);
  try {
    reader.read(args, solid->shape);
  } catch (const ShapePassedOver&) {
    PassedOver(keyword);
    while (brace_depth_ >= depth) {
      if (Next().kind == TokenKind::kEnd) Fail(keyword, "the file ends inside this object");
    }
    return;
  }
  Transform transform;
  MaterialSlot texture;
  bool has_texture = false;
  std::vector<ClipBlock> clips;
  for (;;) {
    const Token token = Next();
    if (token.kind == TokenKind::kEnd) {
      Fail(token, "the file ends inside " + std::string(keyword.text) + " { }");
    }
    if (token.Is('}') && brace_depth_ < depth) break;
    if (token.kind != TokenKind::kWord || brace_depth_ != depth) continue;
    const std::string_view w = token.text;
    if (ShapeModifier(w, solid->shape)) continue;
    if (w == "inverse") {
      solid->shape.inverse = !solid->shape.inverse;
    } else if (Modifier(token, transform, &texture, &has_texture)) {
      continue;
    } else if (w == "clipped_by" && options_.place_objects && PeekRaw().Is('{')) {
      ClipBlock clip;
      if (ReadClip(token, transform, clip)) clips.push_back(std::move(clip));
    } else if (w == "bounded_by" && options_.place_objects && PeekRaw().Is('{') &&
               !Finite(shapes::BoundsOf(solid->shape))) {
      // Only a speed hint to POV-Ray, but all it shows of an infinite
      // shape: such a shape is cut to it.
      ClipBlock clip;
      if (ReadClip(token, transform, clip)) clips.push_back(std::move(clip));
    } else if (PeekRaw().Is('{')) {
      if (w == "clipped_by" && !warned_clip_) {
        warned_clip_ = true;
        Warn(token.where,
             "clipped_by is not applied where objects are not placed: the whole "
             "shape is imported");
      }
      // bounded_by, photons ...: the objects inside are not placed.
      SkipBraces(token);
    } else {
      RejectUndeclared(token, keyword.text);
    }
  }
  // A parametric is what of its surface lies in its container.
  if (const auto* parametric = std::get_if<shapes::Parametric>(&solid->shape.params)) {
    ClipBlock container;
    auto box = std::make_shared<csg::Solid>();
    box->shape = shapes::ContainerShape(parametric->container);
    csg::Operand region;
    region.solid = std::move(box);
    container.operands.push_back(std::move(region));
    clips.insert(clips.begin(), std::move(container));
  }
  std::shared_ptr<const csg::Solid> result = std::move(solid);
  for (const ClipBlock& clip : clips) result = Clipped(std::move(result), Transform(), clip);
  EmitSolid(std::move(result), transform, has_texture ? &texture : nullptr, name,
            std::string(keyword.text), keyword.where);
}

void Parser::PassedOver(const Token& keyword) {
  PlacedPart part;
  part.kind = std::string(keyword.text);
  part.where = keyword.where;
  if (!options_.place_objects) {
    WarnPassedOver(part);
  } else if (!collecting_.empty()) {
    // A declaration's or a container's part: said only if it is placed.
    collecting_.back()->parts.push_back(std::move(part));
  } else {
    placed_.push_back(std::move(part));
  }
}

void Parser::WarnPassedOver(const PlacedPart& part) {
  if (passed_over_[part.kind]++ == 0) Warn(part.where, part.kind + " passed over");
}

void Parser::ReportPassedOver() {
  std::vector<std::pair<std::string, int64_t>> kinds(passed_over_.begin(), passed_over_.end());
  std::sort(kinds.begin(), kinds.end());
  for (const auto& [kind, count] : kinds) sink_.PassedOver(kind, count);
}

void Parser::EmitSolid(std::shared_ptr<const csg::Solid> solid, const Transform& transform,
                       const MaterialSlot* texture, const std::string& name,
                       const std::string& kind, const Position& where) {
  PlacedPart part;
  part.where = where;
  part.solid = std::move(solid);
  part.transform = transform;
  part.name = name;
  part.kind = kind;
  if (texture != nullptr) {
    part.has_texture = true;
    part.texture = *texture;
  }
  budget_.Allocate(sizeof(PlacedPart) + sizeof(csg::Solid), lexer_.position());
  if (!options_.place_objects) {
    // Each shape where it is made: planes cut off about the origin.
    MeshData mesh;
    SolidMesh(part, transform, mesh);
    if (part.has_texture) mesh.Inherit(part.texture);
    mesh.Apply(transform);
    budget_.Output(mesh.Bytes(), lexer_.position());
    sink_.AddMesh(mesh, name.empty() ? SolidName(kind) : name);
    return;
  }
  if (!collecting_.empty()) {
    collecting_.back()->parts.push_back(std::move(part));
  } else {
    placed_.push_back(std::move(part));
  }
}

bool Parser::MakeBoolean(const Token& keyword, ObjectDef& target, size_t start, bool inverse) {
  const std::string_view w = keyword.text;
  auto solid = std::make_shared<csg::Solid>();
  solid->op = w == "merge"          ? csg::SolidOp::kMerge
              : w == "intersection" ? csg::SolidOp::kIntersection
                                    : csg::SolidOp::kDifference;
  solid->inverse = inverse;
  std::vector<PlacedPart> passed_over;
  for (size_t i = start; i < target.parts.size(); ++i) {
    const PlacedPart& part = target.parts[i];
    if (part.PassedOver()) {
      // Kept beside the result, to be said where it is placed.
      passed_over.push_back(part);
      continue;
    }
    csg::Operand operand;
    if (part.solid != nullptr) {
      operand.solid = part.solid;
    } else {
      // A mesh the scene made: an operand as it is (the engine needs it
      // closed).
      auto mesh_solid = std::make_shared<csg::Solid>();
      mesh_solid->op = csg::SolidOp::kMesh;
      mesh_solid->mesh = part.mesh;
      operand.solid = std::move(mesh_solid);
    }
    operand.transform = part.transform;
    operand.has_texture = part.has_texture;
    operand.texture = part.texture;
    solid->operands.push_back(std::move(operand));
  }
  if (solid->operands.empty()) return false;
  PlacedPart combined;
  combined.solid = std::move(solid);
  combined.kind = std::string(w);
  combined.where = keyword.where;
  target.parts.resize(start);
  target.parts.push_back(std::move(combined));
  target.parts.insert(target.parts.end(), passed_over.begin(), passed_over.end());
  return true;
}

std::string Parser::SolidName(std::string_view kind) {
  std::string name(kind);
  if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name;
}

void Parser::RelaxForTriangleBudget() {
  tolerance_ = options_.shapes.tolerance;
  int64_t triangles = 0;
  for (const PlacedPart& part : placed_) {
    if (part.solid != nullptr) triangles += csg::EstimateTriangles(*part.solid, tolerance_);
  }
  const int64_t budget = std::max<int64_t>(options_.shapes.max_triangles, 1);
  if (triangles <= budget) return;
  // Curved surfaces take triangles as 1 / tolerance.
  tolerance_ = std::min(0.5, tolerance_ * static_cast<double>(triangles) / budget);
  Warn(lexer_.position(), "the shapes would make about " + std::to_string(triangles) +
                              " triangles, more than max_triangles (" + std::to_string(budget) +
                              "): they are made coarser, at a tolerance of " +
                              FormatNumber(tolerance_, 0, 4));
}

shapes::Bounds Parser::SceneBounds() const {
  shapes::Bounds bounds;
  for (const PlacedPart& part : placed_) {
    if (part.solid != nullptr) {
      const shapes::Bounds b = csg::BoundsOf(*part.solid).Transformed(part.transform);
      if (Finite(b)) bounds.Include(b);
    } else if (part.mesh != nullptr) {
      for (const Vec3& v : part.mesh->vertices) bounds.Add(part.transform.Point(v));
    }
  }
  if (camera_location_) bounds.Add(*camera_location_);
  return bounds;
}

void Parser::SolidMesh(const PlacedPart& part, const Transform& transform, MeshData& out) {
  const csg::Solid& solid = *part.solid;
  // A solid with an end is meshed once in its own space, whatever its
  // placements; planes are cut off where each placement puts them.
  const bool finite = Finite(csg::BoundsOf(solid));
  // Keyed by what it is, not where it lives: a macro's solids are new
  // each call and the same geometry and textures.
  const uint64_t look = finite ? csg::LookFingerprint(solid) : 0;
  if (finite) {
    const auto cached = solid_meshes_.find(look);
    if (cached != solid_meshes_.end()) {
      out = *cached->second;
      return;
    }
  }
  shapes::Detail detail;
  detail.tolerance = tolerance_;
  if (!finite) detail.clip = PlaneClip().Transformed(transform.Inverse());
  if (csg::NeedsBooleans(solid) && booleans_ == nullptr) {
    csg::BooleanLimits limits;
    limits.stop = options_.stop;
    limits.context = options_.stop_context;
    booleans_ = csg::OpenBooleanEngine(limits);
  }
  std::string warning;
  const bool computed = csg::MeshOf(solid, detail, booleans_.get(), out, &warning);
  if (!computed && !warned_boolean_) {
    warned_boolean_ = true;
    Warn(part.where,
         "a " + part.kind + " was not computed (" + warning + "): its parts are imported whole");
  } else if (computed && !warning.empty() && !warned_implicit_boolean_) {
    warned_implicit_boolean_ = true;
    Warn(part.where, "a " + part.kind + " was meshed from its inside test, its sharp edges " +
                         "rounded within the tolerance (the boolean kernel: " + warning + ")");
  }
  if (const auto* iso = solid.op == csg::SolidOp::kShape
                            ? std::get_if<shapes::Isosurface>(&solid.shape.params)
                            : nullptr) {
    WarnOfIsosurface(*iso, out, part.where);
  }
  if (finite) {
    budget_.Allocate(out.Bytes(), part.where);
    solid_meshes_.emplace(look, std::make_shared<const MeshData>(out));
  }
}

void Parser::WarnOfIsosurface(const shapes::Isosurface& iso, const MeshData& mesh,
                              const Position& where) {
  const shapes::IsosurfaceSurvey survey = shapes::SurveyIsosurface(iso, mesh, tolerance_);
  if (survey.thinner_than_cells && !warned_no_crossing_) {
    warned_no_crossing_ = true;
    char text[240];
    std::snprintf(text, sizeof text,
                  "the isosurface is thinner than the cells it is meshed in (%.3g, from the "
                  "tessellation tolerance and the container's longest side): nothing of it is "
                  "made; a smaller tolerance finds it",
                  survey.cell);
    Warn(where, text);
  } else if (!survey.crosses && !warned_no_crossing_) {
    warned_no_crossing_ = true;
    Warn(where, survey.below_everywhere
                    ? "the isosurface's function stays below its threshold all through its "
                      "container: the isosurface is its container"
                    : "the isosurface's function stays above its threshold all through its "
                      "container: nothing of it is made");
  }
  if (survey.not_a_number && !warned_not_a_number_) {
    warned_not_a_number_ = true;
    const Vec3& p = survey.where_not_a_number;
    char text[200];
    std::snprintf(text, sizeof text,
                  "the isosurface's function is not a number at <%.4g, %.4g, %.4g> (a division "
                  "by zero?): such points are taken as outside",
                  p.x, p.y, p.z);
    Warn(where, text);
  }
  // POV-Ray's own warning, from its renderer: it may miss parts of such a
  // surface. The mesh does not rely on max_gradient.
  if (survey.steepest > iso.max_gradient * 1.05 && !warned_gradient_) {
    warned_gradient_ = true;
    char text[160];
    std::snprintf(text, sizeof text,
                  "the isosurface's function is steeper than its max_gradient (%.4g found, %.4g "
                  "given): POV-Ray may leave holes in it; the mesh is made without it",
                  survey.steepest, iso.max_gradient);
    Warn(where, text);
  }
}

shapes::Bounds Parser::PlaneClip() {
  if (plane_clip_) return *plane_clip_;
  // While the scene is read (trace() on a plane) the box is of what is
  // placed so far; once read, it is worked out for good.
  // Planes are cut off well beyond what the scene shows: a few times the box
  // of its finite parts (and camera) about its centre, at least 100 units.
  const shapes::Bounds scene = options_.place_objects ? SceneBounds() : shapes::Bounds();
  Vec3 center{0, 0, 0};
  double half = 50;
  if (Finite(scene)) {
    center = {(scene.min.x + scene.max.x) / 2, (scene.min.y + scene.max.y) / 2,
              (scene.min.z + scene.max.z) / 2};
    half = std::max(half, 2 * std::max({scene.max.x - scene.min.x, scene.max.y - scene.min.y,
                                        scene.max.z - scene.min.z}));
  }
  shapes::Bounds world;
  world.Add({center.x - half, center.y - half, center.z - half});
  world.Add({center.x + half, center.y + half, center.z + half});
  if (placing_) plane_clip_ = world;
  return world;
}

shapes::Bounds Parser::ObjectBounds(const ObjectDef& def) const {
  shapes::Bounds box;
  for (const PlacedPart& part : def.parts) {
    if (part.solid != nullptr) {
      box.Include(csg::BoundsOf(*part.solid).Transformed(part.transform));
    } else if (part.mesh != nullptr) {
      for (const Vec3& v : part.mesh->vertices) box.Add(part.transform.Point(v));
    }
  }
  return box;
}

bool Parser::InsideObject(const ObjectDef& def, const Vec3& p) const {
  for (const PlacedPart& part : def.parts) {
    // A mesh has no inside without an inside_vector, which is not kept.
    if (part.solid != nullptr && csg::Inside(*part.solid, part.transform.Inverse().Point(p))) {
      return true;
    }
  }
  return false;
}

Parser::TraceTarget Parser::MakeTraceTarget(const std::shared_ptr<const ObjectDef>& def) {
  TraceTarget target;
  target.def = def;
  target.mesh = std::make_unique<shapes::RayMesh>();
  for (const PlacedPart& part : def->parts) {
    // What is not imported cannot be hit: said, as where it is placed.
    if (part.PassedOver()) WarnPassedOver(part);
    if (part.solid != nullptr && part.solid->op == csg::SolidOp::kShape &&
        !part.solid->shape.inverse && shapes::HasClosedFormTrace(part.solid->shape) &&
        part.transform.Invertible()) {
      target.exact.push_back({part.solid, part.transform, part.transform.Inverse()});
    } else if (part.solid != nullptr) {
      MeshData mesh;
      SolidMesh(part, part.transform, mesh);
      target.mesh->Add(mesh, part.transform);
    } else if (part.mesh != nullptr) {
      target.mesh->Add(*part.mesh, part.transform);
    }
  }
  target.mesh->Build();
  return target;
}

shapes::RayMesh::Hit Parser::TraceObject(const std::shared_ptr<const ObjectDef>& def,
                                         const Vec3& origin, const Vec3& direction,
                                         const Position& at) {
  auto found = traced_.find(def.get());
  if (found == traced_.end()) {
    TraceTarget target = MakeTraceTarget(def);
    budget_.Allocate(target.mesh->Bytes(), at);
    found = traced_.emplace(def.get(), std::move(target)).first;
  }
  const TraceTarget& target = found->second;
  budget_.Work(16 + 64 * (target.mesh->triangle_count() > 0), at);
  shapes::RayMesh::Hit best = target.mesh->Trace(origin, direction);
  const double length = shapes::vec::Length(direction);
  if (!(length > 0)) return best;
  const Vec3 unit = shapes::vec::Scale(direction, 1 / length);
  // Distances along the ray of unit length, as the mesh's epsilon is.
  double nearest = best.hit ? shapes::vec::Length(shapes::vec::Sub(best.point, origin)) : HUGE_VAL;
  constexpr double kEpsilon = 1e-6;
  for (const TraceTarget::ExactPart& part : target.exact) {
    const std::optional<shapes::ShapeHit> hit = shapes::TraceShape(
        part.solid->shape, part.to_local.Point(origin), part.to_local.Vector(unit), kEpsilon);
    if (!hit || hit->t >= nearest) continue;
    nearest = hit->t;
    best.hit = true;
    best.point = shapes::vec::Add(origin, shapes::vec::Scale(unit, hit->t));
    best.normal = shapes::vec::Normalized(part.placed.Normal(hit->normal));
  }
  return best;
}

}  // namespace sdl
