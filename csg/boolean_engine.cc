#include "csg/boolean_engine.h"

#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "csg/boolean_module.h"
#include "shapes/overloaded.h"
#include "shapes/polynomial.h"
#include "shapes/profile.h"

namespace csg {

namespace {

constexpr char kModuleName[] = "libtarvo_csg.so";

// The module's file: beside the library (or program) this code is in.
std::string ModulePath();
std::string ModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return kModuleName;
  }
  std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? kModuleName : path.substr(0, slash + 1) + kModuleName;
}

// The solid as the module's nodes, in prefix order, with the material slot
// of each leaf; the meshes that mesh leaves point into stay in `meshes`.
class Flattener {
 public:
  Flattener(const shapes::Detail& detail) : detail_(detail) {}

  // Appends `solid`, placed in its parent by `placement`; false (with
  // `error`) when an operand cannot take part.
  bool Add(const Solid& solid, const sdl::Transform& placement, const sdl::MaterialSlot* texture,
           std::string* error) {
    return Add(solid, placement, placement, texture, error);
  }

 private:
  // `to_root`: from the solid's space into the root's.
  bool Add(const Solid& solid, const sdl::Transform& placement, const sdl::Transform& to_root,
           const sdl::MaterialSlot* texture, std::string* error) {
    const size_t at = nodes_.size();
    nodes_.emplace_back();
    tarvo_csg_node node{};
    node.inverse = solid.inverse ? 1 : 0;
    placement.Rows(node.matrix);
    // The same geometry is the same subtree wherever it stands, unless an
    // infinite shape in it is cut off by the box of the whole.
    node.id = HasInfinite(solid) ? 0 : static_cast<int64_t>(Fingerprint(solid));
    if (solid.op == SolidOp::kClip) {
      *error = "a clipped object is a surface, with no inside to take part in it";
      return false;
    }
    if (solid.op == SolidOp::kShape || solid.op == SolidOp::kMesh) {
      if (!Leaf(solid, to_root, node, error)) return false;
      sdl::MaterialSlot slot;
      slot.defaulted = true;
      slots_.push_back(texture != nullptr ? *texture : slot);
    } else {
      node.kind = solid.op == SolidOp::kMerge          ? TARVO_CSG_MERGE
                  : solid.op == SolidOp::kIntersection ? TARVO_CSG_INTERSECTION
                                                       : TARVO_CSG_DIFFERENCE;
      node.operands = static_cast<int32_t>(solid.operands.size());
      for (const Operand& operand : solid.operands) {
        sdl::Transform inner_to_root = operand.transform;
        inner_to_root.Then(to_root);
        if (!Add(*operand.solid, operand.transform, inner_to_root,
                 operand.has_texture ? &operand.texture : texture, error)) {
          return false;
        }
      }
    }
    node.subtree = static_cast<int64_t>(nodes_.size() - at);
    nodes_[at] = node;
    return true;
  }

 public:
  std::vector<tarvo_csg_node>& nodes() { return nodes_; }
  const std::vector<sdl::MaterialSlot>& slots() const { return slots_; }

 private:
  static bool HasInfinite(const Solid& solid) {
    if (solid.op == SolidOp::kShape) {
      const shapes::Bounds b = shapes::BoundsOf(solid.shape);
      return !(std::isfinite(b.min.x) && std::isfinite(b.max.x) && std::isfinite(b.min.y) &&
               std::isfinite(b.max.y) && std::isfinite(b.min.z) && std::isfinite(b.max.z));
    }
    for (const Operand& operand : solid.operands) {
      if (HasInfinite(*operand.solid)) return true;
    }
    return false;
  }

  bool Leaf(const Solid& solid, const sdl::Transform& to_root, tarvo_csg_node& node,
            std::string* error) {
    if (solid.op == SolidOp::kMesh) {
      if (solid.mesh == nullptr) {
        *error = "an operand without faces";
        return false;
      }
      return MeshLeaf(*solid.mesh, node);
    }
    const shapes::Shape& shape = solid.shape;
    node.inverse = shape.inverse ? 1 : 0;
    if (!shapes::IsSolid(shape)) {
      *error = "a " + shape.kind + " has no inside to take part in it";
      return false;
    }
    double* p = node.params;
    bool native = std::visit(
        shapes::Overloaded{
            [&](const shapes::Box& b) {
              node.kind = TARVO_CSG_BOX;
              const double v[6] = {b.corner1.x, b.corner1.y, b.corner1.z,
                                   b.corner2.x, b.corner2.y, b.corner2.z};
              std::copy(v, v + 6, p);
              return true;
            },
            [&](const shapes::Sphere& s) {
              node.kind = TARVO_CSG_SPHERE;
              const double v[4] = {s.center.x, s.center.y, s.center.z, s.radius};
              std::copy(v, v + 4, p);
              return true;
            },
            [&](const shapes::Cone& c) {
              node.kind = TARVO_CSG_CONE;
              const double v[8] = {c.base.x, c.base.y, c.base.z, c.base_radius,
                                   c.cap.x,  c.cap.y,  c.cap.z,  c.cap_radius};
              std::copy(v, v + 8, p);
              return true;
            },
            [&](const shapes::Torus& t) {
              node.kind = TARVO_CSG_TORUS;
              p[0] = t.major;
              p[1] = t.minor;
              return true;
            },
            [&](const shapes::Prism& pr) {
              if (pr.conic) return false;
              node.kind = TARVO_CSG_PRISM;
              p[0] = pr.height1;
              p[1] = pr.height2;
              PrismLeaf(pr, node);
              return true;
            },
            [&](const shapes::Text& t) {
              // The prism of its outline, its y turned into the text's z.
              node.kind = TARVO_CSG_PRISM;
              p[0] = t.outline.height1;
              p[1] = t.outline.height2;
              PrismLeaf(t.outline, node);
              sdl::Transform placed = shapes::TextFrame();
              placed.Then(sdl::Transform::Matrix(node.matrix));
              placed.Rows(node.matrix);
              return true;
            },
            [&](const shapes::Polynomial& poly) { return QuadricLeaf(poly, to_root, node); },
            [&](const shapes::Plane& pl) {
              node.kind = TARVO_CSG_HALFSPACE;
              const double v[4] = {pl.normal.x, pl.normal.y, pl.normal.z, pl.distance};
              std::copy(v, v + 4, p);
              return true;
            },
            [&](const auto&) { return false; },
        },
        shape.params);
    if (native) return true;
    // Shapes the kernel has no primitive for go in as their own closed
    // tessellation: flat faces exact, curved ones within the tolerance;
    // an infinite one cut off and closed by the box of the whole.
    shapes::Detail leaf = detail_;
    leaf.clip = detail_.clip.Transformed(to_root.Inverse());
    leaf.closed = true;
    meshes_.emplace_back();
    shapes::Tessellate(shape, leaf, meshes_.back());
    return MeshLeaf(meshes_.back(), node);
  }

  // An ellipsoid or a cylinder given as a quadric: the kernel's sphere or
  // cylinder, scaled; a cylinder reaches across the box of the whole.
  bool QuadricLeaf(const shapes::Polynomial& poly, const sdl::Transform& to_root,
                   tarvo_csg_node& node) {
    const shapes::QuadricForm form = shapes::FormOf(poly);
    double* p = node.params;
    if (form.kind == shapes::QuadricForm::Kind::kEllipsoid) {
      node.kind = TARVO_CSG_SPHERE;
      const double v[4] = {0, 0, 0, 1};
      std::copy(v, v + 4, p);
    } else if (form.kind == shapes::QuadricForm::Kind::kCylinder) {
      const shapes::Bounds reach = detail_.clip.Transformed(to_root.Inverse());
      const double lo[3] = {reach.min.x, reach.min.y, reach.min.z};
      const double hi[3] = {reach.max.x, reach.max.y, reach.max.z};
      const double centre[3] = {form.centre.x, form.centre.y, form.centre.z};
      const int a = form.axis;
      if (!(std::isfinite(lo[a]) && std::isfinite(hi[a]) && lo[a] < hi[a])) return false;
      node.kind = TARVO_CSG_CONE;
      double v[8] = {0, 0, 0, 1, 0, 0, 0, 1};
      v[a] = lo[a] - centre[a];
      v[4 + a] = hi[a] - centre[a];
      std::copy(v, v + 8, p);
    } else {
      return false;
    }
    node.inverse ^= form.inverse ? 1 : 0;
    sdl::Transform placed = sdl::Transform::Scale(form.radii);
    placed.Then(sdl::Transform::Translate(form.centre));
    placed.Then(sdl::Transform::Matrix(node.matrix));
    placed.Rows(node.matrix);
    return true;
  }

  // A prism's loops as cubic pieces, each loop with its depth.
  void PrismLeaf(const shapes::Prism& prism, tarvo_csg_node& node) {
    const auto pieces = shapes::PrismPieces(prism);
    const auto depths = shapes::LoopDepths(shapes::PrismLoops(prism, 8));
    std::vector<double>& v = vertex_arrays_.emplace_back();
    std::vector<int32_t>& loops = index_arrays_.emplace_back();
    for (size_t l = 0; l < pieces.size(); ++l) {
      for (const shapes::CurvePiece& piece : pieces[l]) {
        for (const shapes::Point2& q : piece.p) v.insert(v.end(), {q.x, q.y, 0.0});
      }
      loops.push_back(static_cast<int32_t>(pieces[l].size()));
      loops.push_back(l < depths.size() ? depths[l] : 0);
    }
    node.vertices = v.data();
    node.vertex_count = static_cast<int64_t>(v.size() / 3);
    node.loops = loops.data();
    node.loop_count = static_cast<int64_t>(pieces.size());
  }

  bool MeshLeaf(const sdl::MeshData& mesh, tarvo_csg_node& node) {
    node.kind = TARVO_CSG_MESH;
    std::vector<double>& v = vertex_arrays_.emplace_back();
    for (const sdl::Vec3& p : mesh.vertices) v.insert(v.end(), {p.x, p.y, p.z});
    std::vector<int32_t>& t = index_arrays_.emplace_back();
    for (const auto& f : mesh.faces) t.insert(t.end(), {f[0], f[1], f[2]});
    node.vertices = v.data();
    node.vertex_count = static_cast<int64_t>(mesh.vertices.size());
    node.triangles = t.data();
    node.triangle_count = static_cast<int64_t>(mesh.faces.size());
    return true;
  }

  const shapes::Detail detail_;
  std::vector<tarvo_csg_node> nodes_;
  std::vector<sdl::MaterialSlot> slots_;
  // Kept while the nodes point into them (lists: their items never move).
  std::vector<sdl::MeshData> meshes_;
  std::vector<std::vector<double>> vertex_arrays_;
  std::vector<std::vector<int32_t>> index_arrays_;
};

class ModuleEngine : public BooleanEngine {
 public:
  explicit ModuleEngine(const BooleanLimits& limits) : limits_(limits) {
    const std::string path = ModulePath();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      const char* why = dlerror();
      problem_ = "the boolean module " + path + " could not be opened" +
                 (why != nullptr ? std::string(" (") + why + ")" : std::string());
      return;
    }
    auto abi = reinterpret_cast<tarvo_csg_abi_fn>(dlsym(handle_, "tarvo_csg_abi"));
    compute_ = reinterpret_cast<tarvo_csg_compute_fn>(dlsym(handle_, "tarvo_csg_compute"));
    free_ = reinterpret_cast<tarvo_csg_free_fn>(dlsym(handle_, "tarvo_csg_free"));
    auto open = reinterpret_cast<tarvo_csg_open_fn>(dlsym(handle_, "tarvo_csg_open"));
    close_ = reinterpret_cast<tarvo_csg_close_fn>(dlsym(handle_, "tarvo_csg_close"));
    if (abi == nullptr || compute_ == nullptr || free_ == nullptr || open == nullptr ||
        close_ == nullptr || abi() != TARVO_CSG_ABI) {
      problem_ = "the boolean module " + path + " is not of this version";
      compute_ = nullptr;
      return;
    }
    session_ = open();
    if (session_ == nullptr) {
      problem_ = "no memory for the boolean module";
      compute_ = nullptr;
    }
  }
  ~ModuleEngine() override {
    // The kernel keeps process-wide state that may outlive a reading: the
    // module stays loaded; the session's solids go.
    if (session_ != nullptr) close_(session_);
  }

  double SecondsLeft() const override {
    return std::max(0.0, limits_.implicit_in_all - implicit_spent_);
  }
  void Spend(double seconds) override { implicit_spent_ += seconds; }

  bool Compute(const Solid& solid, const shapes::Detail& detail, sdl::MeshData& out,
               std::string* error) override {
    out = sdl::MeshData();
    if (compute_ == nullptr) {
      *error = problem_;
      return false;
    }
    shapes::Bounds clip = detail.clip;
    const shapes::Bounds own = BoundsOf(solid);
    if (!own.Empty() && std::isfinite(own.min.x) && std::isfinite(own.max.x) &&
        std::isfinite(own.min.y) && std::isfinite(own.max.y) && std::isfinite(own.min.z) &&
        std::isfinite(own.max.z)) {
      clip = own;
    }
    if (clip.Empty() || !std::isfinite(clip.min.x) || !std::isfinite(clip.max.x)) {
      *error = "it has no end (nothing finite bounds it)";
      return false;
    }
    // Infinite leaves are cut a little beyond the box of the whole, so that
    // their cut faces fall outside the result.
    shapes::Detail leaf_detail = detail;
    const double grow = 0.01 * std::hypot(clip.max.x - clip.min.x, clip.max.y - clip.min.y,
                                          clip.max.z - clip.min.z) +
                        1e-9;
    leaf_detail.clip.min = {clip.min.x - grow, clip.min.y - grow, clip.min.z - grow};
    leaf_detail.clip.max = {clip.max.x + grow, clip.max.y + grow, clip.max.z + grow};
    Flattener flat(leaf_detail);
    if (!flat.Add(solid, sdl::Transform(), nullptr, error)) return false;
    const double diagonal =
        std::hypot(clip.max.x - clip.min.x, clip.max.y - clip.min.y, clip.max.z - clip.min.z);
    const double bounds[6] = {clip.min.x, clip.min.y, clip.min.z,
                              clip.max.x, clip.max.y, clip.max.z};
    const int n = shapes::SegmentsPerTurn(detail.tolerance);
    const double left = limits_.in_all - spent_;
    if (left <= 0) {
      *error = "the " + std::to_string(static_cast<int>(limits_.in_all)) +
               " seconds this reading gives booleans are spent";
      return false;
    }
    tarvo_csg_limits limits{std::min(limits_.per_solid, left),
                            limits_.stop != nullptr ? &AskStop : nullptr, &limits_};
    tarvo_csg_mesh result{};
    const auto start = std::chrono::steady_clock::now();
    const int ok = compute_(session_, flat.nodes().data(),
                            static_cast<int64_t>(flat.nodes().size()), 2 * M_PI / n,
                            std::max(detail.tolerance * diagonal, 1e-9), bounds, &limits, &result);
    spent_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) {
      *error = result.error;
      return false;
    }
    for (int64_t i = 0; i < result.vertex_count; ++i) {
      const double* p = result.positions + i * 3;
      const double* q = result.normals + i * 3;
      out.vertices.push_back({p[0], p[1], p[2]});
      out.normals.push_back({q[0], q[1], q[2]});
    }
    const int32_t leaves = static_cast<int32_t>(flat.slots().size());
    for (int64_t t = 0; t < result.triangle_count; ++t) {
      const int32_t* f = result.triangles + t * 3;
      out.faces.push_back({f[0], f[1], f[2]});
      out.normal_faces.push_back({f[0], f[1], f[2]});
      const int32_t leaf = result.leaves[t];
      out.face_slots.push_back(leaf >= 0 && leaf < leaves ? leaf : 0);
    }
    out.slots = flat.slots();
    free_(&result);
    return true;
  }

 private:
  // The module's form of the caller's stop question.
  static int AskStop(void* limits) {
    const auto* l = static_cast<const BooleanLimits*>(limits);
    return l->stop(l->context) ? 1 : 0;
  }

  BooleanLimits limits_;
  double spent_ = 0;           // seconds
  double implicit_spent_ = 0;  // seconds of booleans meshed from their inside test
  void* handle_ = nullptr;
  tarvo_csg_compute_fn compute_ = nullptr;
  tarvo_csg_free_fn free_ = nullptr;
  tarvo_csg_close_fn close_ = nullptr;
  void* session_ = nullptr;
  std::string problem_;
};

}  // namespace

namespace {

// The module for text: opened once, kept for the process.
void* TextModule(std::string* problem) {
  static void* const handle = [] { return dlopen(ModulePath().c_str(), RTLD_NOW | RTLD_LOCAL); }();
  if (handle == nullptr) *problem = "the module " + ModulePath() + " could not be opened";
  return handle;
}

// The code points of a string: UTF-8 when it is that, else one per byte.
std::vector<uint32_t> CodePoints(const std::string& text) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80         ? 0
                      : (c >> 5) == 6  ? 1
                      : (c >> 4) == 14 ? 2
                      : (c >> 3) == 30 ? 3
                                       : -1;
    bool valid = extra >= 0 && i + extra < text.size();
    uint32_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; valid && k <= extra; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + k]);
      valid = (d >> 6) == 2;
      code = (code << 6) | (d & 0x3F);
    }
    if (!valid) {
      out.clear();
      for (const char b : text) out.push_back(static_cast<unsigned char>(b));
      return out;
    }
    out.push_back(code);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

}  // namespace

bool TextOutline(const std::string& font_path, const std::string& text, double thickness,
                 double offset_x, double offset_y, shapes::Prism* out, std::string* error) {
  void* module = TextModule(error);
  if (module == nullptr) return false;
  auto outline = reinterpret_cast<tarvo_csg_text_fn>(dlsym(module, "tarvo_csg_text_outline"));
  auto release = reinterpret_cast<tarvo_csg_text_free_fn>(dlsym(module, "tarvo_csg_text_free"));
  if (outline == nullptr || release == nullptr) {
    *error = "the module " + ModulePath() + " is not of this version";
    return false;
  }
  const std::vector<uint32_t> codes = CodePoints(text);
  tarvo_csg_text got{};
  if (!outline(font_path.c_str(), codes.data(), static_cast<int64_t>(codes.size()), offset_x,
               offset_y, &got)) {
    *error = got.error;
    return false;
  }
  *out = shapes::Prism();
  out->spline = shapes::SplineKind::kBezier;
  out->height1 = 0;
  out->height2 = thickness;
  for (int64_t i = 0; i < got.pieces * 4; ++i) {
    out->points.push_back({got.points[i * 2], got.points[i * 2 + 1], 0});
  }
  release(&got);
  return true;
}

std::unique_ptr<BooleanEngine> OpenBooleanEngine(const BooleanLimits& limits) {
  return std::make_unique<ModuleEngine>(limits);
}

int64_t KernelMeshTriangles(const Solid& solid, double tolerance) {
  switch (solid.op) {
    case SolidOp::kMesh:
      return solid.mesh != nullptr ? static_cast<int64_t>(solid.mesh->faces.size()) : 0;
    case SolidOp::kShape: {
      const bool exact =
          std::visit(shapes::Overloaded{
                         [](const shapes::Box&) { return true; },
                         [](const shapes::Sphere&) { return true; },
                         [](const shapes::Cone&) { return true; },
                         [](const shapes::Torus&) { return true; },
                         [](const shapes::Plane&) { return true; },
                         [](const shapes::Text&) { return true; },
                         [](const shapes::Prism& p) { return !p.conic; },
                         [](const shapes::Polynomial& p) {
                           return shapes::FormOf(p).kind != shapes::QuadricForm::Kind::kOther;
                         },
                         [](const auto&) { return false; },
                     },
                     solid.shape.params);
      if (exact) return 0;
      // An infinite shape as a mesh is cut to the box of the whole, which
      // may be the whole scene's: coarse and slow in the kernel.
      const shapes::Bounds b = shapes::BoundsOf(solid.shape);
      if (!(std::isfinite(b.min.x) && std::isfinite(b.max.x) && std::isfinite(b.min.y) &&
            std::isfinite(b.max.y) && std::isfinite(b.min.z) && std::isfinite(b.max.z))) {
        return std::numeric_limits<int64_t>::max() / 4;
      }
      return shapes::EstimateTriangles(solid.shape, tolerance);
    }
    default:
      break;
  }
  int64_t sum = 0;
  for (const Operand& operand : solid.operands) {
    sum += KernelMeshTriangles(*operand.solid, tolerance);
  }
  return sum;
}

}  // namespace csg
