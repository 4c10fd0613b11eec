// judge: curved
#declare Shape = sphere_sweep {
  b_spline
  6,
  <-2, 0, 0>, 0.3,
  <-1, 1, 0.5>, 0.5,
  <0, 0, 0>, 0.2,
  <1, 1, -0.4>, 0.4,
  <2, 0, 0>, 0.3,
  <2.5, -1, 1>, 0.35
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
