// judge: implicit
#declare Shape = difference {
  ovus { 1, 0.4 }
  box { <0, -2, 0>, <2, 2, 2> }
  rotate <10, 30, -20>
  scale <1, 1.2, 0.9>
}
object { Shape }
