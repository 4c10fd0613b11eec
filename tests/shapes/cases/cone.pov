// judge: curved
#declare Shape = cone {
  <0, -1, 0>, 1, <0.2, 1.1, 0.1>, 0.3
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
