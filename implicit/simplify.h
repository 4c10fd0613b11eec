// Simplify: fewer triangles for a mesh from the implicit mesher, which
// cuts flat and gently curved parts into many small ones. Edges collapse
// into one of their ends (so every vertex stays on the exact surface)
// while the squared distances to the planes of the faces around stay
// within a bound; a collapse that would fold a face over or join the
// surface to itself is not made, so a closed surface stays closed. A pure
// function; runs on the calling thread.
#pragma once

#include "implicit/mesher.h"

namespace implicit {

// Joins vertices at the very same place (dropping the triangles that
// then have no area), then collapses edges of `surface` (a consistently
// turned mesh) while no moved vertex strays farther than `max_error` from
// the planes of its faces; drops the vertices no face uses.
void Simplify(Surface& surface, double max_error);

}  // namespace implicit
