// An isosurface of functions.inc's rounded box: the goal is under 1 s at
// the default tolerance.
#include "functions.inc"
camera { location <3, 2.5, -4> look_at 0 }
light_source { <5, 8, -6> color rgb 1 }
isosurface {
  function { f_rounded_box(x, y, z, 0.15, 1, 0.6, 0.8) }
  contained_by { box { -1.1, 1.1 } }
  max_gradient 1.2
  pigment { color rgb <0.8, 0.6, 0.3> }
}
