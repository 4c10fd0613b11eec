// judge: csg
// A box with a spherical bite out of one corner.
#declare Shape = difference {
  box { <-1, -1, -1>, <1, 1, 1> }
  sphere { <0.8, 0.7, -0.6>, 0.9 }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
