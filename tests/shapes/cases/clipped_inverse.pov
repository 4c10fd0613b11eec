// judge: surface
#declare Shape = cone {
  <0, -1, 0>, 1, <0, 1, 0>, 0.3
  clipped_by { cylinder { <0, -2, 0>, <0, 2, 0>, 0.6 inverse } }
  rotate <20, 0, -35>
  scale <1, 1.3, 0.8>
}
object { Shape }
