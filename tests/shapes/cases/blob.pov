// judge: implicit
#declare Shape = blob {
  threshold 0.6
  sphere { <0, 0, 0>, 1, 1 }
  sphere { <0.8, 0.2, 0>, 0.7, strength 1.2 }
  cylinder { <-1, 0, 0>, <-1, 1.5, 0.3>, 0.5, 1 }
  sphere { <0, 0, 0>, 0.6, 1 scale <1, 2, 0.8> translate <0.2, -0.8, 0.3> }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
