// judge: curved
#declare Shape = sphere_sweep {
  linear_spline
  3,
  <-1, 0, 0>, 0.3,
  <0, 0.8, 0.2>, 0.4,
  <1, 0, -0.3>, 0.25
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
