// BooleanEngine: computes merge, intersection and difference of solids
// exactly and meshes the result at a tolerance. The engine lives in a
// module of its own (it links the geometry kernel, which most imports never
// need), opened the first time a scene asks for a boolean. One engine per
// reading; it is used from the reading's thread.
#pragma once

#include <memory>
#include <string>

#include "csg/solid.h"
#include "shapes/tessellate.h"

namespace csg {

class BooleanEngine {
 public:
  virtual ~BooleanEngine() = default;
  // The mesh of the boolean `solid` (op merge, intersection or difference)
  // in its own space, faces carrying the slot of the operand leaf they came
  // from. False with `error` set when it cannot be computed; `out` is then
  // left empty.
  virtual bool Compute(const Solid& solid, const shapes::Detail& detail, sdl::MeshData& out,
                       std::string* error) = 0;
  // What is left of the reading's time for meshing booleans from their
  // inside test (a budget of its own, beside the kernel's), in seconds, and
  // time spent on that.
  virtual double SecondsLeft() const = 0;
  virtual void Spend(double seconds) = 0;
};

// How long booleans may take: each solid at most `per_solid` seconds, all
// of a reading together `in_all`; `stop` (may be null, called from the
// kernel's threads) ends one at once.
// A build with sanitizers does the same work several times slower: its
// clocks give it as much more.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kSlowBuild = 5;
#else
constexpr double kSlowBuild = 1;
#endif

struct BooleanLimits {
  double per_solid = 3 * kSlowBuild;
  double in_all = 4 * kSlowBuild;
  // Booleans meshed from their inside test once the kernel gives up.
  double implicit_in_all = 3 * kSlowBuild;
  bool (*stop)(void* context) = nullptr;
  void* context = nullptr;
};

// The outline of `text` (UTF-8, else Latin-1) in the TrueType font at
// `font_path`, as POV-Ray's text sets it, into `out` (a bezier prism from
// 0 to `thickness`). False with `error` set when the font cannot be read.
bool TextOutline(const std::string& font_path, const std::string& text, double thickness,
                 double offset_x, double offset_y, shapes::Prism* out, std::string* error);

// The engine of the boolean module beside the plug-in; when the module
// cannot be opened, an engine whose every Compute fails saying why.
std::unique_ptr<BooleanEngine> OpenBooleanEngine(const BooleanLimits& limits);

// Triangles of the operands of `solid` that the kernel takes as meshes
// (those it has no exact form for), at `tolerance`: past some tens of
// thousands, it takes longer than the limits allow.
int64_t KernelMeshTriangles(const Solid& solid, double tolerance);

}  // namespace csg
