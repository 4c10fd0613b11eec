// judge: curved
#declare Shape = cylinder {
  <-0.2, -1, 0.1>, <0.3, 1.2, -0.2>, 0.6
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
