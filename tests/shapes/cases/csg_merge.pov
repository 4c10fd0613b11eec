// judge: csg
// Two overlapping spheres made one solid.
#declare Shape = merge {
  sphere { <-0.4, 0, 0>, 0.8 }
  sphere { <0.5, 0.2, 0.1>, 0.6 }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
