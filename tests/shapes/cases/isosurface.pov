// judge: implicit
// A blobby shape from a function of our own, in a box.
#declare Shape = isosurface {
  function { x*x + 2*y*y + z*z - 0.6 + 0.3*sin(3*x)*cos(2*z) }
  contained_by { box { <-1.2, -1, -1.2>, <1.2, 1, 1.2> } }
  threshold 0.1
  max_gradient 5
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
