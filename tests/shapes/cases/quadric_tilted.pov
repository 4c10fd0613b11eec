// judge: implicit
// Mixed terms: an ellipsoid whose axes are not the coordinate axes.
#declare Shape = quadric {
  <1.5, 1, 2>, <0.8, -0.5, 0.6>, <0, 0, 0>, -1
  rotate <10, 30, -20>
  scale <1.2, 0.9, 1.3>
}
// Mixed terms give POV-Ray no box for it.
#declare Sample_Min = <-2, -2, -2>;
#declare Sample_Max = <2, 2, 2>;
object { Shape }
