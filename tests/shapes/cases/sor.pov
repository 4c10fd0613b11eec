// judge: curved
// A surface of revolution, closed by its caps. The first and last points
// only steer the curve.
#declare Shape = sor {
  7,
  <0.0, -0.5>, <0.6, 0.0>, <0.9, 0.5>, <0.5, 1.0>, <0.7, 1.5>, <0.4, 2.0>, <0.6, 2.5>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
