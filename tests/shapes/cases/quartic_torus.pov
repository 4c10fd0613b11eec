// judge: implicit
// A torus as a quartic (major radius 1, minor 0.4), bounded as POV-Ray's
// sample scenes bound them.
#declare Shape = quartic {
  <1, 0, 0, 0, 2, 0, 0, 2, 0, -2.32, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
   1, 0, 0, 2, 0, 1.68, 0, 0, 0, 0, 1, 0, -2.32, 0, 0.7056>
  bounded_by { sphere { 0, 1.5 } }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
