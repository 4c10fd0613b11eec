// judge: flat
#declare Shape = box {
  <-1, -0.5, -0.8>, <1.2, 0.7, 0.6>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
