// judge: curved
// A cubic prism: the first point steers, the loop closes at the second,
// and one more point steers its end.
#declare Shape = prism {
  cubic_spline
  0, 1,
  8,
  <-1, 1>, <1, 0>, <2, 1>, <1.5, 2>, <0, 2.2>, <-1, 1>, <1, 0>, <2, 1>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
