// judge: csg
// An inverted sphere inside an intersection: the box with a spherical
// hollow that breaks through one face.
#declare Shape = intersection {
  box { <-1, -0.6, -0.8>, <1, 0.6, 0.8> }
  sphere { <0.2, 0.5, 0>, 0.5 inverse }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
