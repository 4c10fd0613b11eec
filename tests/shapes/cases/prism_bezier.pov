// judge: curved
// A bezier prism: a rounded outline with a hole, swept along y.
#declare Shape = prism {
  bezier_spline
  -0.3, 0.6,
  16,
  <0, 0>, <1, -0.5>, <2, 0.5>, <2, 1>,
  <2, 1>, <2, 1.5>, <1, 2.5>, <0, 2>,
  <0, 2>, <-1, 1.5>, <-1, 0.5>, <0, 0>,
  <0.6, 0.8>, <1.2, 0.8>, <1.2, 1.4>, <0.6, 0.8>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
