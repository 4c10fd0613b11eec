// judge: flat
// A linear prism with a non-convex outline.
#declare Shape = prism {
  linear_sweep
  linear_spline
  -0.5, 0.8,
  7,
  <0, 0>, <2, 0>, <2, 1>, <1, 0.6>, <1.2, 2>, <0, 2>, <0, 0>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
