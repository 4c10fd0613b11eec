// judge: curved
#declare Shape = torus {
  1, 0.35
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
