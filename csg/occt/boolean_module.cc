// The boolean module: solids from the plug-in's nodes as exact B-reps of
// Open CASCADE (its primitives, or a mesh sewn into a solid), booleans of
// them, and the result meshed at the caller's tolerance. Every face of the
// result is traced back, through the booleans' history, to the leaf it lies
// on, so that it keeps that operand's texture. Nothing here throws past the
// C interface: the kernel's exceptions become an error message.
#include "csg/boolean_module.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <BRepAlgoAPI_BooleanOperation.hxx>
#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBuilderAPI_GTransform.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeSolid.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepGProp_Face.hxx>
#include <BRepLib.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCone.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRepPrimAPI_MakeHalfSpace.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepPrimAPI_MakeSphere.hxx>
#include <BRepPrimAPI_MakeTorus.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_BezierCurve.hxx>
#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressScope.hxx>
#include <NCollection_DataMap.hxx>
#include <Poly_Triangulation.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopTools_ShapeMapHasher.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gp_Ax2.hxx>
#include <gp_GTrsf.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>
#include <new>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#define TARVO_CSG_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using FaceLeaves = NCollection_DataMap<TopoDS_Shape, int, TopTools_ShapeMapHasher>;

// Tells the kernel's algorithms to give up at the deadline or when the
// caller says stop. The kernel asks from its worker threads.
class Deadline : public Message_ProgressIndicator {
 public:
  explicit Deadline(const tarvo_csg_limits* limits)
      : end_(std::chrono::steady_clock::now() +
             std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                 std::chrono::duration<double>(limits != nullptr && limits->seconds > 0
                                                   ? std::min(limits->seconds, 1e6)
                                                   : 1e6))),
        stop_(limits != nullptr ? limits->stop : nullptr),
        context_(limits != nullptr ? limits->context : nullptr) {}

  Standard_Boolean UserBreak() override {
    if (broken_.load()) return true;
    if (std::chrono::steady_clock::now() > end_ || (stop_ != nullptr && stop_(context_) != 0)) {
      broken_.store(true);
    }
    return broken_.load();
  }
  void Show(const Message_ProgressScope&, const Standard_Boolean) override {}
  bool broken() const { return broken_.load(); }

 private:
  std::chrono::steady_clock::time_point end_;
  int (*stop_)(void*);
  void* context_;
  std::atomic<bool> broken_{false};
};

// A solid with the leaf of each of its faces.
struct Part {
  TopoDS_Shape shape;
  FaceLeaves leaves;
  bool inverse = false;
};

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Clip {
  double min[3], max[3];
};

// The node's matrix as the kernel's: a similarity (gp_Trsf) when it is
// one, else a general affine map.
bool IsSimilarity(const double m[12]) {
  double dot[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      dot[i][j] = m[i * 3] * m[j * 3] + m[i * 3 + 1] * m[j * 3 + 1] + m[i * 3 + 2] * m[j * 3 + 2];
    }
  }
  const double s = dot[0][0];
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!(s > 0) || det <= 0) return false;
  const double eps = 1e-9 * s;
  return std::fabs(dot[1][1] - s) < eps && std::fabs(dot[2][2] - s) < eps &&
         std::fabs(dot[0][1]) < eps && std::fabs(dot[0][2]) < eps && std::fabs(dot[1][2]) < eps;
}

bool IsIdentity(const double m[12]) {
  static const double kIdentity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  return std::equal(m, m + 12, kIdentity);
}

// Moves `part` by the row-form map `m`; its faces' leaves follow.
Part Moved(const Part& part, const double m[12]) {
  if (IsIdentity(m)) return part;
  Part out;
  out.inverse = part.inverse;
  // Rows map x, y, z: the column form has a_ij = m[j][i].
  if (IsSimilarity(m)) {
    gp_Trsf t;
    t.SetValues(m[0], m[3], m[6], m[9], m[1], m[4], m[7], m[10], m[2], m[5], m[8], m[11]);
    if (std::fabs(t.ScaleFactor() - 1) < 1e-12) {
      // A rigid motion: the same faces, placed elsewhere.
      const TopLoc_Location where(t);
      out.shape = part.shape.Moved(where);
      for (FaceLeaves::Iterator it(part.leaves); it.More(); it.Next()) {
        out.leaves.Bind(it.Key().Moved(where), it.Value());
      }
      return out;
    }
    BRepBuilderAPI_Transform moved(part.shape, t, true);
    if (!moved.IsDone()) throw Failure("a transformation of an operand failed");
    out.shape = moved.Shape();
    for (FaceLeaves::Iterator it(part.leaves); it.More(); it.Next()) {
      out.leaves.Bind(moved.ModifiedShape(it.Key()), it.Value());
    }
    return out;
  }
  gp_GTrsf g;
  g.SetVectorialPart(gp_Mat(m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]));
  g.SetTranslationPart(gp_XYZ(m[9], m[10], m[11]));
  BRepBuilderAPI_GTransform moved(part.shape, g, true);
  if (!moved.IsDone()) throw Failure("a transformation of an operand failed");
  out.shape = moved.Shape();
  for (FaceLeaves::Iterator it(part.leaves); it.More(); it.Next()) {
    out.leaves.Bind(moved.ModifiedShape(it.Key()), it.Value());
  }
  return out;
}

// Two row-form maps: `first`, then `second`.
void Compose(const double first[12], const double second[12], double out[12]) {
  double r[12];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[i * 3 + j] = first[i * 3] * second[j] + first[i * 3 + 1] * second[3 + j] +
                     first[i * 3 + 2] * second[6 + j] + (i == 3 ? second[9 + j] : 0);
    }
  }
  std::copy(r, r + 12, out);
}

// The inverse of a row-form affine map, for bringing the clip box into a
// leaf's own space.
bool Invert(const double m[12], double out[12]) {
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!(std::fabs(det) > 0)) return false;
  out[0] = (m[4] * m[8] - m[5] * m[7]) / det;
  out[1] = -(m[1] * m[8] - m[2] * m[7]) / det;
  out[2] = (m[1] * m[5] - m[2] * m[4]) / det;
  out[3] = -(m[3] * m[8] - m[5] * m[6]) / det;
  out[4] = (m[0] * m[8] - m[2] * m[6]) / det;
  out[5] = -(m[0] * m[5] - m[2] * m[3]) / det;
  out[6] = (m[3] * m[7] - m[4] * m[6]) / det;
  out[7] = -(m[0] * m[7] - m[1] * m[6]) / det;
  out[8] = (m[0] * m[4] - m[1] * m[3]) / det;
  for (int j = 0; j < 3; ++j) {
    out[9 + j] = -(m[9] * out[j] + m[10] * out[3 + j] + m[11] * out[6 + j]);
  }
  return true;
}

TopoDS_Shape HalfSpace(const tarvo_csg_node& node, const double to_solid[12], const Clip& clip,
                       Deadline& deadline) {
  const double* p = node.params;
  const double l = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  if (!(l > 0)) throw Failure("a plane without a normal");
  const gp_Dir n(p[0] / l, p[1] / l, p[2] / l);
  // The clip box in the plane's own space, grown, as a box to cut.
  double inv[12];
  if (!Invert(to_solid, inv)) throw Failure("an operand scaled to nothing");
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (int c = 0; c < 8; ++c) {
    const double q[3] = {(c & 1) ? clip.max[0] : clip.min[0], (c & 2) ? clip.max[1] : clip.min[1],
                         (c & 4) ? clip.max[2] : clip.min[2]};
    for (int k = 0; k < 3; ++k) {
      const double v = q[0] * inv[k] + q[1] * inv[3 + k] + q[2] * inv[6 + k] + inv[9 + k];
      lo[k] = std::min(lo[k], v);
      hi[k] = std::max(hi[k], v);
    }
  }
  double reach = 0;
  for (int k = 0; k < 3; ++k) reach = std::max(reach, hi[k] - lo[k]);
  reach = std::max(reach, 1e-6) * 0.25;
  for (int k = 0; k < 3; ++k) {
    lo[k] -= reach;
    hi[k] += reach;
  }
  const TopoDS_Shape box =
      BRepPrimAPI_MakeBox(gp_Pnt(lo[0], lo[1], lo[2]), gp_Pnt(hi[0], hi[1], hi[2])).Shape();
  const gp_Pnt on(n.X() * p[3], n.Y() * p[3], n.Z() * p[3]);
  const TopoDS_Face face = BRepBuilderAPI_MakeFace(gp_Pln(on, n)).Face();
  const gp_Pnt inside(on.X() - n.X(), on.Y() - n.Y(), on.Z() - n.Z());
  const TopoDS_Shape half = BRepPrimAPI_MakeHalfSpace(face, inside).Solid();
  BRepAlgoAPI_Common common(box, half, deadline.Start());
  if (deadline.broken()) throw Failure("it took too long");
  if (!common.IsDone() || common.HasErrors()) throw Failure("a plane could not be bounded");
  return common.Shape();
}

// For each vertex of a mesh, the first vertex at the same place (within
// `tolerance`): meshes repeat a position where its normal or uv changes.
std::vector<int32_t> Welded(const double* v, int64_t count, double tolerance) {
  std::vector<int32_t> first(static_cast<size_t>(count));
  std::unordered_map<uint64_t, std::vector<int32_t>> cells;
  auto cell_of = [tolerance](double x) { return static_cast<int64_t>(std::floor(x / tolerance)); };
  auto key = [](int64_t x, int64_t y, int64_t z) {
    return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ULL ^
           static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4FULL ^ static_cast<uint64_t>(z);
  };
  for (int64_t i = 0; i < count; ++i) {
    const double* p = v + i * 3;
    const int64_t cx = cell_of(p[0]), cy = cell_of(p[1]), cz = cell_of(p[2]);
    int32_t found = -1;
    for (int dx = -1; dx <= 1 && found < 0; ++dx) {
      for (int dy = -1; dy <= 1 && found < 0; ++dy) {
        for (int dz = -1; dz <= 1 && found < 0; ++dz) {
          const auto it = cells.find(key(cx + dx, cy + dy, cz + dz));
          if (it == cells.end()) continue;
          for (int32_t j : it->second) {
            const double* q = v + static_cast<int64_t>(j) * 3;
            if (std::fabs(p[0] - q[0]) <= tolerance && std::fabs(p[1] - q[1]) <= tolerance &&
                std::fabs(p[2] - q[2]) <= tolerance) {
              found = j;
              break;
            }
          }
        }
      }
    }
    if (found < 0) {
      found = static_cast<int32_t>(i);
      cells[key(cx, cy, cz)].push_back(found);
    }
    first[static_cast<size_t>(i)] = found;
  }
  return first;
}

// A closed triangle mesh as a solid of plane faces. Its faces are built on
// shared vertices and edges, so neighbours are joined as they are made
// (sewing them afterwards costs seconds for a few thousand faces).
TopoDS_Shape SewnMesh(const tarvo_csg_node& node, Deadline& deadline) {
  if (node.vertex_count <= 0 || node.triangle_count <= 0) throw Failure("an empty mesh operand");
  const double* v = node.vertices;
  double lo[3] = {v[0], v[1], v[2]}, hi[3] = {v[0], v[1], v[2]};
  for (int64_t i = 0; i < node.vertex_count; ++i) {
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], v[i * 3 + k]);
      hi[k] = std::max(hi[k], v[i * 3 + k]);
    }
  }
  const double size = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2], 1e-300});
  const std::vector<int32_t> same = Welded(v, node.vertex_count, size * 1e-9);
  BRep_Builder builder;
  std::vector<TopoDS_Vertex> vertices(static_cast<size_t>(node.vertex_count));
  for (int64_t i = 0; i < node.vertex_count; ++i) {
    if (same[static_cast<size_t>(i)] != i) continue;
    builder.MakeVertex(vertices[static_cast<size_t>(i)],
                       gp_Pnt(v[i * 3], v[i * 3 + 1], v[i * 3 + 2]), Precision::Confusion());
  }
  std::unordered_map<uint64_t, TopoDS_Edge> edges;
  // The edge from a to b, made once and shared (reversed from b to a).
  auto edge = [&](int32_t a, int32_t b) {
    const int32_t lo = std::min(a, b), hi = std::max(a, b);
    const uint64_t key = static_cast<uint64_t>(lo) << 32 | static_cast<uint32_t>(hi);
    auto it = edges.find(key);
    if (it == edges.end()) {
      BRepBuilderAPI_MakeEdge made(vertices[static_cast<size_t>(lo)],
                                   vertices[static_cast<size_t>(hi)]);
      if (!made.IsDone()) throw Failure("a mesh operand has an edge of no length");
      it = edges.emplace(key, made.Edge()).first;
    }
    return a == lo ? it->second : TopoDS::Edge(it->second.Reversed());
  };
  TopoDS_Shell shell;
  builder.MakeShell(shell);
  for (int64_t t = 0; t < node.triangle_count; ++t) {
    if (t % 256 == 255 && deadline.UserBreak()) throw Failure("it took too long");
    int32_t c[3];
    gp_Pnt corner[3];
    for (int k = 0; k < 3; ++k) {
      const int32_t i = node.triangles[t * 3 + k];
      if (i < 0 || i >= node.vertex_count) throw Failure("a mesh operand's face names no vertex");
      c[k] = same[static_cast<size_t>(i)];
      corner[k] = gp_Pnt(v[c[k] * 3], v[c[k] * 3 + 1], v[c[k] * 3 + 2]);
    }
    if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2]) continue;
    // A face of no area has no plane: left out (its neighbours then meet
    // along its edges or leave a gap the check below finds).
    const gp_Vec n = gp_Vec(corner[0], corner[1]).Crossed(gp_Vec(corner[0], corner[2]));
    if (n.SquareMagnitude() <= 0) continue;
    BRepBuilderAPI_MakeWire wire(edge(c[0], c[1]), edge(c[1], c[2]), edge(c[2], c[0]));
    if (!wire.IsDone()) continue;
    BRepBuilderAPI_MakeFace face(gp_Pln(corner[0], gp_Dir(n)), wire.Wire(), true);
    if (face.IsDone()) builder.Add(shell, face.Face());
  }
  // Closed when every edge bounds two faces.
  TopTools_IndexedDataMapOfShapeListOfShape faces_of_edges;
  TopExp::MapShapesAndAncestors(shell, TopAbs_EDGE, TopAbs_FACE, faces_of_edges);
  for (int i = 1; i <= faces_of_edges.Extent(); ++i) {
    if (faces_of_edges(i).Extent() != 2) throw Failure("a mesh operand is not a closed surface");
  }
  shell.Closed(true);
  TopoDS_Solid made;
  builder.MakeSolid(made);
  builder.Add(made, shell);
  // Its faces' sides as the triangles gave them: turned so that it bounds
  // its inside, not the space around it.
  if (!BRepLib::OrientClosedSolid(made)) throw Failure("a mesh operand is not a closed surface");
  return made;
}

// A prism of straight and cubic Bezier pieces swept along y, its loops
// added and taken away by depth.
TopoDS_Shape Prism(const tarvo_csg_node& node, Deadline& deadline) {
  const double y0 = node.params[0], y1 = node.params[1];
  if (!(y1 != y0)) throw Failure("a prism without height");
  const double* v = node.vertices;
  int64_t next = 0;
  std::vector<std::pair<int, TopoDS_Shape>> solids;  // depth, solid
  for (int64_t l = 0; l < node.loop_count; ++l) {
    const int32_t pieces = node.loops[l * 2], depth = node.loops[l * 2 + 1];
    if (pieces <= 0 || next + pieces * 4 > node.vertex_count)
      throw Failure("a prism's loop is broken");
    BRepBuilderAPI_MakeWire wire;
    for (int32_t k = 0; k < pieces; ++k, next += 4) {
      gp_Pnt p[4];
      for (int c = 0; c < 4; ++c) p[c] = gp_Pnt(v[(next + c) * 3], y0, v[(next + c) * 3 + 1]);
      if (p[0].Distance(p[3]) <= 0) continue;
      const bool straight = p[0].Distance(p[1]) <= 0 && p[2].Distance(p[3]) <= 0;
      if (straight) {
        wire.Add(BRepBuilderAPI_MakeEdge(p[0], p[3]).Edge());
      } else {
        TColgp_Array1OfPnt poles(1, 4);
        for (int c = 0; c < 4; ++c) poles.SetValue(c + 1, p[c]);
        wire.Add(
            BRepBuilderAPI_MakeEdge(Handle(Geom_BezierCurve)(new Geom_BezierCurve(poles))).Edge());
      }
      if (wire.Error() != BRepBuilderAPI_WireDone)
        throw Failure("a prism's outline does not join up");
    }
    if (!wire.IsDone() || !wire.Wire().Closed()) throw Failure("a prism's outline is not closed");
    BRepBuilderAPI_MakeFace face(wire.Wire(), true);
    if (!face.IsDone()) throw Failure("a prism's outline is not flat");
    solids.emplace_back(depth, BRepPrimAPI_MakePrism(face.Face(), gp_Vec(0, y1 - y0, 0)).Shape());
  }
  if (solids.empty()) throw Failure("a prism without outline");
  std::stable_sort(solids.begin(), solids.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  TopoDS_Shape out = solids.front().second;
  for (size_t i = 1; i < solids.size(); ++i) {
    const TopoDS_Shape& other = solids[i].second;
    BRepAlgoAPI_BooleanOperation* run;
    BRepAlgoAPI_Fuse fuse;
    BRepAlgoAPI_Cut cut;
    run = solids[i].first % 2 == 0 ? static_cast<BRepAlgoAPI_BooleanOperation*>(&fuse)
                                   : static_cast<BRepAlgoAPI_BooleanOperation*>(&cut);
    TopTools_ListOfShape arguments, tools;
    arguments.Append(out);
    tools.Append(other);
    run->SetArguments(arguments);
    run->SetTools(tools);
    run->Build(deadline.Start());
    if (deadline.broken()) throw Failure("it took too long");
    if (!run->IsDone() || run->HasErrors()) throw Failure("a prism's loops could not be joined");
    out = run->Shape();
  }
  return out;
}

TopoDS_Shape LeafShape(const tarvo_csg_node& node, const double to_solid[12], const Clip& clip,
                       Deadline& deadline) {
  if (deadline.UserBreak()) throw Failure("it took too long");
  const double* p = node.params;
  switch (node.kind) {
    case TARVO_CSG_BOX: {
      const gp_Pnt lo(std::min(p[0], p[3]), std::min(p[1], p[4]), std::min(p[2], p[5]));
      const gp_Pnt hi(std::max(p[0], p[3]), std::max(p[1], p[4]), std::max(p[2], p[5]));
      if (!(hi.X() > lo.X() && hi.Y() > lo.Y() && hi.Z() > lo.Z())) {
        throw Failure("a box without volume");
      }
      return BRepPrimAPI_MakeBox(lo, hi).Shape();
    }
    case TARVO_CSG_SPHERE:
      if (!(std::fabs(p[3]) > 0)) throw Failure("a sphere of radius 0");
      return BRepPrimAPI_MakeSphere(gp_Pnt(p[0], p[1], p[2]), std::fabs(p[3])).Shape();
    case TARVO_CSG_CONE: {
      const gp_Pnt base(p[0], p[1], p[2]), cap(p[4], p[5], p[6]);
      const double h = base.Distance(cap);
      const double r0 = std::fabs(p[3]), r1 = std::fabs(p[7]);
      if (!(h > 0) || (r0 == 0 && r1 == 0)) throw Failure("a cone without volume");
      const gp_Ax2 axis(base, gp_Dir(gp_Vec(base, cap)));
      if (r0 == r1) return BRepPrimAPI_MakeCylinder(axis, r0, h).Shape();
      return BRepPrimAPI_MakeCone(axis, r0, r1, h).Shape();
    }
    case TARVO_CSG_TORUS: {
      const double major = std::fabs(p[0]), minor = std::fabs(p[1]);
      if (!(minor > 0) || !(major > minor)) throw Failure("a torus that crosses its own axis");
      return BRepPrimAPI_MakeTorus(gp_Ax2(gp_Pnt(0, 0, 0), gp_Dir(0, 1, 0)), major, minor).Shape();
    }
    case TARVO_CSG_HALFSPACE:
      return HalfSpace(node, to_solid, clip, deadline);
    case TARVO_CSG_MESH:
      return SewnMesh(node, deadline);
    case TARVO_CSG_PRISM:
      return Prism(node, deadline);
    default:
      throw Failure("an operand of an unknown kind");
  }
}

void MapFaces(const TopoDS_Shape& shape, int leaf, FaceLeaves& map) {
  for (TopExp_Explorer e(shape, TopAbs_FACE); e.More(); e.Next()) map.Bind(e.Current(), leaf);
}

enum class Op { kFuse, kCommon, kCut };

// One boolean step; the faces' leaves follow through its history.
Part Apply(Op op, const Part& a, const Part& b, Deadline& deadline) {
  TopTools_ListOfShape arguments, tools;
  arguments.Append(a.shape);
  tools.Append(b.shape);
  BRepAlgoAPI_BooleanOperation* run = nullptr;
  BRepAlgoAPI_Fuse fuse;
  BRepAlgoAPI_Common common;
  BRepAlgoAPI_Cut cut;
  run = op == Op::kFuse     ? static_cast<BRepAlgoAPI_BooleanOperation*>(&fuse)
        : op == Op::kCommon ? static_cast<BRepAlgoAPI_BooleanOperation*>(&common)
                            : static_cast<BRepAlgoAPI_BooleanOperation*>(&cut);
  run->SetArguments(arguments);
  run->SetTools(tools);
  run->SetRunParallel(true);
  run->SetNonDestructive(true);
  // Oriented boxes let the kernel pass over pairs of faces that cannot meet.
  run->SetUseOBB(true);
  run->Build(deadline.Start());
  if (deadline.broken()) throw Failure("it took too long");
  if (!run->IsDone() || run->HasErrors()) throw Failure("the geometry kernel could not compute it");
  Part out;
  out.shape = run->Shape();
  for (const Part* input : {&a, &b}) {
    for (FaceLeaves::Iterator it(input->leaves); it.More(); it.Next()) {
      const TopoDS_Shape& face = it.Key();
      if (run->IsDeleted(face)) continue;
      const TopTools_ListOfShape& modified = run->Modified(face);
      if (modified.IsEmpty()) {
        out.leaves.Bind(face, it.Value());
      } else {
        for (TopTools_ListOfShape::Iterator m(modified); m.More(); m.Next()) {
          out.leaves.Bind(m.Value(), it.Value());
        }
      }
    }
  }
  return out;
}

// Combines parts pairwise, level by level: a balanced tree, so that each
// step joins parts of like size.
Part Fold(Op op, std::vector<Part> parts, Deadline& deadline) {
  while (parts.size() > 1) {
    std::vector<Part> next;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
      next.push_back(Apply(op, parts[i], parts[i + 1], deadline));
    }
    if (parts.size() % 2 == 1) next.push_back(std::move(parts.back()));
    parts = std::move(next);
  }
  return std::move(parts.front());
}

// A solid computed in its own space, kept for the calls of a session: its
// faces' leaves counted from its own first leaf.
struct Cached {
  TopoDS_Shape shape;
  std::vector<std::pair<TopoDS_Shape, int>> leaves;
  int leaf_count = 0;
};

struct Session {
  std::unordered_map<int64_t, Cached> solids;
};

struct Reader {
  const tarvo_csg_node* nodes = nullptr;
  int64_t count = 0;
  int64_t next = 0;
  int leaves = 0;
  Clip clip{};
  int depth = 0;
  Deadline* deadline = nullptr;
  Session* session = nullptr;
};

Part Read(Reader& r, const double parent_to_solid[12]);

// The node's subtree in its own space (before its matrix).
Part Compute(Reader& r, const tarvo_csg_node& node, const double to_solid[12]) {
  Part part;
  if (node.kind < TARVO_CSG_MERGE) {
    part.shape = LeafShape(node, to_solid, r.clip, *r.deadline);
    MapFaces(part.shape, r.leaves++, part.leaves);
    return part;
  }
  std::vector<Part> operands;
  for (int i = 0; i < node.operands; ++i) operands.push_back(Read(r, to_solid));
  if (operands.empty()) throw Failure("a boolean of nothing");
  // A difference keeps its first operand apart: the others cut it.
  Part first;
  if (node.kind == TARVO_CSG_DIFFERENCE) {
    if (operands.front().inverse) throw Failure("a difference of an inverse has no end");
    first = std::move(operands.front());
    operands.erase(operands.begin());
  }
  std::vector<Part> plain, inverted;
  for (Part& operand : operands) (operand.inverse ? inverted : plain).push_back(std::move(operand));
  Deadline& deadline = *r.deadline;
  switch (node.kind) {
    case TARVO_CSG_MERGE:
      if (!inverted.empty()) throw Failure("a merge with an inverse operand has no end");
      return Fold(Op::kFuse, std::move(plain), deadline);
    case TARVO_CSG_INTERSECTION:
      // A n B n not C = (A n B) - C.
      if (plain.empty()) throw Failure("an intersection of inverse operands only has no end");
      part = Fold(Op::kCommon, std::move(plain), deadline);
      if (!inverted.empty()) {
        part = Apply(Op::kCut, part, Fold(Op::kFuse, std::move(inverted), deadline), deadline);
      }
      return part;
    case TARVO_CSG_DIFFERENCE:
      // Less the plain others, and within the inverse ones (A - not B = A n B).
      for (Part& keep : inverted) first = Apply(Op::kCommon, first, keep, deadline);
      if (plain.empty()) return first;
      return Apply(Op::kCut, first, Fold(Op::kFuse, std::move(plain), deadline), deadline);
    default:
      throw Failure("an operation of an unknown kind");
  }
}

Part Read(Reader& r, const double parent_to_solid[12]) {
  if (r.next >= r.count) throw Failure("the solid's description ends early");
  if (++r.depth > 200) throw Failure("booleans nested too deep");
  const tarvo_csg_node& node = r.nodes[r.next];
  if (node.subtree < 1 || node.subtree > r.count - r.next) {
    throw Failure("the solid's description is broken");
  }
  double to_solid[12];
  Compose(node.matrix, parent_to_solid, to_solid);
  Part own;
  const auto cached = node.id != 0 ? r.session->solids.find(node.id) : r.session->solids.end();
  if (cached != r.session->solids.end()) {
    // Computed before: its leaves are renumbered from here.
    own.shape = cached->second.shape;
    for (const auto& [face, leaf] : cached->second.leaves) own.leaves.Bind(face, r.leaves + leaf);
    r.leaves += cached->second.leaf_count;
    r.next += node.subtree;
  } else {
    const int first_leaf = r.leaves;
    ++r.next;
    own = Compute(r, node, to_solid);
    if (node.id != 0) {
      Cached keep;
      keep.shape = own.shape;
      for (FaceLeaves::Iterator it(own.leaves); it.More(); it.Next()) {
        keep.leaves.emplace_back(it.Key(), it.Value() - first_leaf);
      }
      keep.leaf_count = r.leaves - first_leaf;
      r.session->solids.emplace(node.id, std::move(keep));
    }
  }
  own.inverse = node.inverse != 0;
  --r.depth;
  return Moved(own, node.matrix);
}

template <class T>
T* Allocate(size_t count) {
  void* p = std::malloc(std::max<size_t>(count, 1) * sizeof(T));
  if (p == nullptr) throw std::bad_alloc();
  return static_cast<T*>(p);
}

void Mesh(const Part& part, double angle, double deflection, Deadline& deadline,
          tarvo_csg_mesh* out) {
  IMeshTools_Parameters parameters;
  parameters.Deflection = deflection;
  parameters.Angle = angle;
  parameters.InParallel = true;
  BRepMesh_IncrementalMesh mesher(part.shape, parameters, deadline.Start());
  if (deadline.broken()) throw Failure("its meshing took too long");
  if (!mesher.IsDone()) throw Failure("the result could not be meshed");
  std::vector<double> positions, normals;
  std::vector<int32_t> triangles, leaves;
  for (TopExp_Explorer e(part.shape, TopAbs_FACE); e.More(); e.Next()) {
    const TopoDS_Face& face = TopoDS::Face(e.Current());
    TopLoc_Location where;
    const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(face, where);
    if (mesh.IsNull()) continue;
    const int leaf = part.leaves.IsBound(face) ? part.leaves.Find(face) : 0;
    const gp_Trsf& to_space = where.Transformation();
    const bool reversed = face.Orientation() == TopAbs_REVERSED;
    BRepGProp_Face surface(face);
    const int32_t base = static_cast<int32_t>(positions.size() / 3);
    for (int i = 1; i <= mesh->NbNodes(); ++i) {
      const gp_Pnt p = mesh->Node(i).Transformed(to_space);
      positions.insert(positions.end(), {p.X(), p.Y(), p.Z()});
      gp_Vec n(0, 0, 0);
      if (mesh->HasUVNodes()) {
        const gp_Pnt2d uv = mesh->UVNode(i);
        gp_Pnt on;
        surface.Normal(uv.X(), uv.Y(), on, n);
        if (n.SquareMagnitude() > 0) n.Transform(to_space);
      }
      const double l = n.Magnitude();
      if (l > 0) n /= l;
      normals.insert(normals.end(), {n.X(), n.Y(), n.Z()});
    }
    for (int t = 1; t <= mesh->NbTriangles(); ++t) {
      int a, b, c;
      mesh->Triangle(t).Get(a, b, c);
      if (reversed) std::swap(b, c);
      triangles.insert(triangles.end(), {base + a - 1, base + b - 1, base + c - 1});
      leaves.push_back(leaf);
    }
  }
  out->vertex_count = static_cast<int64_t>(positions.size() / 3);
  out->triangle_count = static_cast<int64_t>(leaves.size());
  out->positions = Allocate<double>(positions.size());
  out->normals = Allocate<double>(normals.size());
  out->triangles = Allocate<int32_t>(triangles.size());
  out->leaves = Allocate<int32_t>(leaves.size());
  std::copy(positions.begin(), positions.end(), out->positions);
  std::copy(normals.begin(), normals.end(), out->normals);
  std::copy(triangles.begin(), triangles.end(), out->triangles);
  std::copy(leaves.begin(), leaves.end(), out->leaves);
}

void SetError(tarvo_csg_mesh* out, const char* text) {
  std::snprintf(out->error, sizeof out->error, "%s", text);
}

}  // namespace

TARVO_CSG_EXPORT int tarvo_csg_abi(void) { return TARVO_CSG_ABI; }

TARVO_CSG_EXPORT void tarvo_csg_free(tarvo_csg_mesh* mesh) {
  if (mesh == nullptr) return;
  std::free(mesh->positions);
  std::free(mesh->normals);
  std::free(mesh->triangles);
  std::free(mesh->leaves);
  mesh->positions = mesh->normals = nullptr;
  mesh->triangles = mesh->leaves = nullptr;
  mesh->vertex_count = mesh->triangle_count = 0;
}

TARVO_CSG_EXPORT void* tarvo_csg_open(void) { return new (std::nothrow) Session; }

TARVO_CSG_EXPORT void tarvo_csg_close(void* session) { delete static_cast<Session*>(session); }

TARVO_CSG_EXPORT int tarvo_csg_compute(void* session, const tarvo_csg_node* nodes, int64_t count,
                                       double angle, double deflection, const double clip[6],
                                       const tarvo_csg_limits* limits, tarvo_csg_mesh* out) {
  if (out == nullptr) return 0;
  std::memset(out, 0, sizeof *out);
  if (session == nullptr || nodes == nullptr || count <= 0) {
    SetError(out, "no solid");
    return 0;
  }
  try {
    Handle(Deadline) deadline = new Deadline(limits);
    Reader reader;
    reader.deadline = deadline.get();
    reader.session = static_cast<Session*>(session);
    reader.nodes = nodes;
    reader.count = count;
    for (int k = 0; k < 3; ++k) {
      reader.clip.min[k] = clip[k];
      reader.clip.max[k] = clip[3 + k];
    }
    static const double kIdentity[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    const Part part = Read(reader, kIdentity);
    Mesh(part, angle, deflection, *deadline, out);
    return 1;
  } catch (const Failure& e) {
    SetError(out, e.what());
  } catch (const Standard_Failure& e) {
    const char* text = e.GetMessageString();
    std::string message = "the geometry kernel failed";
    if (text != nullptr && *text != '\0') message += std::string(": ") + text;
    SetError(out, message.c_str());
  } catch (const std::bad_alloc&) {
    SetError(out, "out of memory");
  } catch (...) {
    SetError(out, "the geometry kernel failed");
  }
  tarvo_csg_free(out);
  return 0;
}

namespace {

// Collects a glyph's outline as cubic pieces, moved by (dx, dy) and scaled
// from font units to em units.
struct OutlineSink {
  std::vector<double>* points;
  std::vector<int32_t>* loops;
  double dx, dy, scale;
  double x = 0, y = 0;  // the pen, in font units
  int32_t pieces = 0;   // of the loop being read

  void Piece(double x1, double y1, double x2, double y2, double x3, double y3) {
    const double p[8] = {x, y, x1, y1, x2, y2, x3, y3};
    for (int i = 0; i < 8; i += 2) {
      points->push_back(p[i] * scale + dx);
      points->push_back(p[i + 1] * scale + dy);
    }
    ++pieces;
    x = x3;
    y = y3;
  }
  void EndLoop() {
    if (pieces > 0) loops->push_back(pieces);
    pieces = 0;
  }
};

OutlineSink& Sink(void* user) { return *static_cast<OutlineSink*>(user); }

int MoveTo(const FT_Vector* to, void* user) {
  OutlineSink& s = Sink(user);
  s.EndLoop();
  s.x = static_cast<double>(to->x);
  s.y = static_cast<double>(to->y);
  return 0;
}

int LineTo(const FT_Vector* to, void* user) {
  OutlineSink& s = Sink(user);
  const double x = static_cast<double>(to->x), y = static_cast<double>(to->y);
  if (x == s.x && y == s.y) return 0;
  // A straight piece: its inner control points on its ends.
  const double x0 = s.x, y0 = s.y;
  s.Piece(x0, y0, x, y, x, y);
  return 0;
}

int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
  OutlineSink& s = Sink(user);
  const double cx = static_cast<double>(c->x), cy = static_cast<double>(c->y);
  const double x = static_cast<double>(to->x), y = static_cast<double>(to->y);
  // The quadratic as a cubic.
  s.Piece(s.x + 2.0 / 3 * (cx - s.x), s.y + 2.0 / 3 * (cy - s.y), x + 2.0 / 3 * (cx - x),
          y + 2.0 / 3 * (cy - y), x, y);
  return 0;
}

int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  Sink(user).Piece(static_cast<double>(c1->x), static_cast<double>(c1->y),
                   static_cast<double>(c2->x), static_cast<double>(c2->y),
                   static_cast<double>(to->x), static_cast<double>(to->y));
  return 0;
}

}  // namespace

TARVO_CSG_EXPORT void tarvo_csg_text_free(tarvo_csg_text* text) {
  if (text == nullptr) return;
  std::free(text->points);
  std::free(text->loops);
  text->points = nullptr;
  text->loops = nullptr;
  text->pieces = text->loop_count = 0;
}

TARVO_CSG_EXPORT int tarvo_csg_text_outline(const char* font_path, const uint32_t* codes,
                                            int64_t count, double offset_x, double offset_y,
                                            tarvo_csg_text* out) {
  if (out == nullptr) return 0;
  std::memset(out, 0, sizeof *out);
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    std::snprintf(out->error, sizeof out->error, "the font engine could not start");
    return 0;
  }
  int ok = 0;
  try {
    if (font_path == nullptr || FT_New_Face(library, font_path, 0, &face) != 0) {
      std::snprintf(out->error, sizeof out->error, "cannot read the font file");
    } else if (face->units_per_EM == 0) {
      std::snprintf(out->error, sizeof out->error, "the font has no em square");
    } else {
      const double scale = 1.0 / face->units_per_EM;
      std::vector<double> points;
      std::vector<int32_t> loops;
      FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
      double pen = 0;
      FT_UInt previous = 0;
      for (int64_t i = 0; i < count; ++i) {
        const FT_UInt glyph = FT_Get_Char_Index(face, codes[i]);
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) continue;
        if (i == 0) pen = -static_cast<double>(face->glyph->metrics.horiBearingX) * scale;
        if (i > 0 && previous != 0 && FT_HAS_KERNING(face)) {
          FT_Vector kern{};
          FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kern);
          pen += static_cast<double>(kern.x) * scale;
        }
        if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
          OutlineSink sink{&points, &loops, pen + offset_x * static_cast<double>(i),
                           offset_y * static_cast<double>(i), scale};
          FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
          sink.EndLoop();
        }
        pen += static_cast<double>(face->glyph->advance.x) * scale;
        previous = glyph;
      }
      out->pieces = static_cast<int64_t>(points.size() / 8);
      out->loop_count = static_cast<int64_t>(loops.size());
      out->points = Allocate<double>(points.size());
      out->loops = Allocate<int32_t>(loops.size());
      std::copy(points.begin(), points.end(), out->points);
      std::copy(loops.begin(), loops.end(), out->loops);
      out->box[0] = out->box[1] = HUGE_VAL;
      out->box[2] = out->box[3] = -HUGE_VAL;
      for (size_t k = 0; k + 1 < points.size(); k += 2) {
        out->box[0] = std::min(out->box[0], points[k]);
        out->box[1] = std::min(out->box[1], points[k + 1]);
        out->box[2] = std::max(out->box[2], points[k]);
        out->box[3] = std::max(out->box[3], points[k + 1]);
      }
      ok = 1;
    }
  } catch (...) {
    tarvo_csg_text_free(out);
    std::snprintf(out->error, sizeof out->error, "out of memory");
    ok = 0;
  }
  if (face != nullptr) FT_Done_Face(face);
  FT_Done_FreeType(library);
  return ok;
}
