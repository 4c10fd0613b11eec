// judge: surface
// A sphere cut by the top of its container, under a rotation and a
// non-uniform scale.
#declare Shape = parametric {
  function { sin(u)*cos(v) }
  function { sin(u)*sin(v) }
  function { cos(u) }
  <0, 0>, <pi, 2*pi>
  contained_by { box { <-1.1, -1.1, -1.1>, <1.1, 1.1, 0.5> } }
  accuracy 0.0001
  precompute 18 x, y, z
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
