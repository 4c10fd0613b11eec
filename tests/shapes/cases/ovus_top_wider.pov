// judge: implicit
#declare Shape = ovus {
  0.6, 0.9
  rotate <-35, 20, 60>
  scale <0.8, 1.3, 1.1>
  translate <0.3, -0.2, 0.1>
}
object { Shape }
