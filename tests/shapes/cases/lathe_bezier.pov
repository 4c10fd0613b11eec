// judge: curved
// A bezier lathe of three pieces from the axis back to it.
#declare Shape = lathe {
  bezier_spline
  12,
  <0, 0>, <0.8, 0>, <1.2, 0.3>, <1, 0.8>,
  <1, 0.8>, <0.8, 1.3>, <0.3, 1.5>, <0.6, 2>,
  <0.6, 2>, <0.8, 2.3>, <0.4, 2.5>, <0, 2.5>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
