// judge: curved
// A quadratic prism, conic sweep: the outline shrinks towards the origin.
#declare Shape = prism {
  conic_sweep
  quadratic_spline
  0.4, 1,
  6,
  <-1, 0>, <0.5, -0.5>, <1, 0.5>, <0, 1>, <-0.6, 0.2>, <0.5, -0.5>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
