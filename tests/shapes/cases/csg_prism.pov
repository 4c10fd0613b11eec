// judge: csg
// A box less a bezier prism and a superellipsoid: operands with no
// primitive of the kernel's own.
#declare Shape = difference {
  box { <-1, -0.5, -1>, <1, 0.5, 1> }
  prism { bezier_spline -1, 1, 8,
    <-0.5, 0>, <-0.5, 0.6>, <0.5, 0.6>, <0.5, 0>,
    <0.5, 0>, <0.5, -0.6>, <-0.5, -0.6>, <-0.5, 0>
    translate 0.3*x }
  superellipsoid { <0.4, 0.4> scale 0.35 translate <-0.7, 0.5, 0.7> }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
