// judge: curved
// A quadratic lathe: its first point only steers.
#declare Shape = lathe {
  quadratic_spline
  6,
  <0.5, -0.5>, <0, 0>, <1, 0.5>, <0.6, 1.5>, <0.8, 2>, <0, 2.4>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
