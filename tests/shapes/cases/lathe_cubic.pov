// judge: curved
// A cubic lathe: the first and last points only steer the curve.
#declare Shape = lathe {
  cubic_spline
  8,
  <0, -0.5>, <0, 0>, <0.9, 0.1>, <0.6, 1>, <0.9, 1.8>, <0.4, 2.2>, <0, 2.2>, <0, 3>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
