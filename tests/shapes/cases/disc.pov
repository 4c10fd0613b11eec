// judge: surface
// A disc with a hole: a surface, judged by rays only.
#declare Shape = disc {
  <0.1, 0.2, -0.1>, <0.2, 1, 0.3>, 1, 0.35
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
