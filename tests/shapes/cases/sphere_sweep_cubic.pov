// judge: curved
#declare Shape = sphere_sweep {
  cubic_spline
  6,
  <-2, 0, 0>, 0.3,
  <-1, 1, 0.5>, 0.3,
  <0, 0, 0>, 0.25,
  <1, 1, -0.4>, 0.35,
  <2, 0, 0>, 0.3,
  <2.5, -1, 1>, 0.35
  tolerance 1e-4
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
