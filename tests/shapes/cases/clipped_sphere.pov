// judge: surface
// The clip is read after the first scale, so it stays put while the sphere
// is scaled; what follows it moves both.
#declare Shape = sphere {
  <0.1, 0, 0>, 1
  scale <1.2, 1, 0.9>
  clipped_by { box { <-0.6, -2, -2>, <2, 0.7, 2> rotate 20*z } }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
