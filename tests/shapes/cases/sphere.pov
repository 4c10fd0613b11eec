// judge: curved
#declare Shape = sphere {
  <0.2, -0.1, 0.3>, 0.9
  rotate <25, -40, 15>
  scale <1.6, 0.6, 1.1>
}
object { Shape }
