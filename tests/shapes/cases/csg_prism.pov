// judge: csg
// A box less a bezier prism and a lathe: operands with no primitive of the
// kernel's own.
#declare Shape = difference {
  box { <-1, -0.5, -1>, <1, 0.5, 1> }
  prism { bezier_spline -1, 1, 8,
    <-0.5, 0>, <-0.5, 0.6>, <0.5, 0.6>, <0.5, 0>,
    <0.5, 0>, <0.5, -0.6>, <-0.5, -0.6>, <-0.5, 0>
    translate 0.3*x }
  lathe { linear_spline 5, <0, 0>, <0.3, 0>, <0.2, 0.4>, <0, 0.5>, <0, 0>
    translate <-0.6, 0.2, 0.6> }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
