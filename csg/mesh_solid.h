// The mesh of a Solid: a shape's own tessellation, or a boolean of its
// operands computed by the boolean engine (csg/boolean_engine.h). When the
// engine cannot compute one (not installed, an operand it cannot take, a
// failure) the operands come whole, each with its own texture, and a
// warning says why. Runs on the reading's thread.
#pragma once

#include <string>

#include "csg/solid.h"
#include "shapes/tessellate.h"

namespace csg {

class BooleanEngine;

// The mesh of `solid` in its own space into `out` (emptied first), one
// material slot per operand texture (defaulted where the operand has none).
// `engine` may be null. A boolean the engine cannot make is meshed from
// its inside test (true, with `warning` saying why the engine could not);
// false, with `warning` set, when even that could not be done and the
// operands came whole.
bool MeshOf(const Solid& solid, const shapes::Detail& detail, BooleanEngine* engine,
            sdl::MeshData& out, std::string* warning);

// Appends `part`, moved by `transform`, to `into`; its defaulted slots take
// `texture` when one is given.
void AppendMesh(sdl::MeshData& into, const sdl::MeshData& part, const sdl::Transform& transform,
                const sdl::MaterialSlot* texture);

// Whether meshing `solid` asks the boolean engine (it holds a merge, an
// intersection or a difference).
bool NeedsBooleans(const Solid& solid);

// Triangles MeshOf makes for `solid` at `tolerance`, about.
int64_t EstimateTriangles(const Solid& solid, double tolerance);

}  // namespace csg
