// A boolean meshed from its inside test, for when the kernel cannot make
// it (an operand it cannot take, a failure, its time spent): the implicit
// mesher finds where the whole's inside changes, by bisection between grid
// corners, so the surface is closed and lies on the operands' surfaces
// within the bisection's precision; sharp edges are cut off within a cell.
// Each face takes the slot of the operand whose surface it lies on. A pure
// function of its arguments; runs on the calling thread.
#pragma once

#include <string>

#include "csg/solid.h"
#include "shapes/tessellate.h"

namespace csg {

// The mesh of the boolean `solid` in its own space into `out` (emptied
// first); false with `why` set when it would take more than `seconds`, or
// when neither the solid nor `detail.clip` (where infinite shapes are cut)
// has an end. An infinite solid is meshed where it is within detail.clip.
bool ImplicitBooleanMesh(const Solid& solid, const shapes::Detail& detail, double seconds,
                         sdl::MeshData& out, std::string* why);

}  // namespace csg
