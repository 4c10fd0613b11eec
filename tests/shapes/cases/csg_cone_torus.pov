// judge: csg
// A merge of a cone and a torus, and an intersection with a stretched box.
#declare Shape = intersection {
  merge {
    cone { <0, -1, 0>, 0.8, <0, 1, 0>, 0.1 }
    torus { 0.7, 0.2 translate -0.3*y }
  }
  box { -0.8, 0.8 scale <1.2, 0.9, 0.7> rotate 10*y }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
