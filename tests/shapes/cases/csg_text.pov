// judge: csg
// Letters cut into a block.
#declare Shape = difference {
  box { <-0.1, -0.3, 0.1>, <2.1, 1, 0.5> }
  text { ttf "timrom.ttf" "POV" 1, 0 translate -0.2 * z }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
