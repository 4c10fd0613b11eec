// judge: implicit
#declare Shape = ovus {
  1, 0.65
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
