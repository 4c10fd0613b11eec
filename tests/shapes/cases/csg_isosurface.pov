// judge: csg
// An isosurface as an operand of a boolean.
#declare Shape = difference {
  isosurface {
    function { x*x + y*y + z*z - 1 }
    contained_by { box { -1.1, 1.1 } }
    max_gradient 2.2
  }
  box { <0, 0, -2>, <2, 2, 2> }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
