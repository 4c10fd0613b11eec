// judge: implicit
// An ellipsoid with its centre off the origin.
#declare Shape = quadric {
  <1, 2, 3>, <0, 0, 0>, <0.4, -0.6, 0.3>, -1
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
