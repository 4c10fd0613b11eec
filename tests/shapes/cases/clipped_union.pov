// judge: surface
#declare Shape = union {
  torus { 1, 0.3 }
  cylinder { <0, -1, 0>, <0, 1, 0>, 0.4 }
  clipped_by { plane { <1, 0.2, 0.3>, 0.25 } }
  clipped_by { sphere { <0.3, 0.2, 0>, 1.2 } }
  rotate <-30, 20, 10>
  scale <1.2, 0.8, 1.3>
}
object { Shape }
