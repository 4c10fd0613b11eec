// judge: implicit
#include "functions.inc"
// functions.inc's rounded box, cut by its container: the container's
// faces close it.
#declare Shape = isosurface {
  function { f_rounded_box(x, y, z, 0.2, 1, 0.6, 0.8) }
  contained_by { box { <-1.1, -0.5, -1.1>, <1.1, 0.7, 1.1> } }
  max_gradient 1.2
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
