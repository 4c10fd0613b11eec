// judge: implicit
// A negative component carves into the others.
#declare Shape = blob {
  threshold 0.5
  sphere { <0, 0, 0>, 1.2, 1 }
  sphere { <0.9, 0, 0>, 1.2, 1 }
  sphere { <0.45, 0.5, 0>, 0.7, -1.5 }
  component 0.8, 0.6, <0.4, -0.6, 0.2>
  rotate <-20, 35, 10>
  scale <1.2, 0.8, 1.3>
}
object { Shape }
