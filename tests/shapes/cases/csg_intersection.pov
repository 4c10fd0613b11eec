// judge: csg
// A cylinder cut flat on two sides by a box.
#declare Shape = intersection {
  cylinder { <0, -1, 0>, <0, 1, 0>, 1 }
  box { <-0.7, -2, -2>, <0.8, 0.6, 2> }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
