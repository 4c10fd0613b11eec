// judge: csg
// Booleans inside booleans, each level with a transformation of its own,
// stretched shapes among the operands.
#declare Inner = merge {
  box { <-1, -0.4, -0.4>, <1, 0.4, 0.4> }
  cylinder { <0, -1, 0>, <0, 1, 0>, 0.3 scale <1, 1, 2> }
  rotate 20*z
}
#declare Shape = difference {
  object { Inner scale <1.2, 1, 1> }
  sphere { <0.8, 0.2, 0>, 0.5 }
  torus { 0.6, 0.12 rotate 90*x scale <1, 1, 1.5> translate -0.6*x }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
