// judge: implicit max-volume-error=3 max-hit-error=0.015
// A fractal: its surface is finer than any grid, and POV-Ray's own inside()
// differs from the iteration it documents at about 15 of these points
// (measured), so a little more is allowed than for smooth shapes.
#declare Shape = julia_fractal {
  <-0.083, 0.0, -0.83, -0.025>
  quaternion
  sqr
  max_iteration 8
  precision 20
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
