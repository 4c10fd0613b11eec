// judge: csg
// A sphere cut by a tilted plane: the half-space bounded by the sphere.
#declare Shape = intersection {
  sphere { <0.2, 0.1, 0>, 1.2 }
  plane { <1, 2, -0.5>, 0.3 }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
