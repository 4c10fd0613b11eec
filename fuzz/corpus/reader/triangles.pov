// Loose triangles: every top-level triangle and smooth_triangle goes into
// the first mesh, obj_0, with the material mat_0.
#include "colors.inc"

camera { location <0, 2, -4> look_at <0, 0.5, 0> }
light_source { <2, 4, -3> color White }

/* A flat triangle: its face normal is put at each corner. */
triangle { <0, 0, 0>, <1, 0, 0>, <0, 1, 0> pigment { Red } }

// A smooth one with its own corner normals.
smooth_triangle {
  <1, 0, 0>, <0, 0, -1>,
  <1, 1, 0>, <0.5, 0.5, -0.7071>,
  <0, 1, 0>, <0, 0.7071, -0.7071>
  texture { pigment { color rgb <0.2, 0.6, 1> } }
}

union {
  triangle { <0, 0, 1>, <1, 0, 1>, <0.5, 1.5e0, 1> }
  sphere { <3, 0, 0>, 0.5 }
  translate <0, 0, 1>
}
