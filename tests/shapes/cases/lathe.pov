// judge: curved
// A vase-like lathe of a closed linear outline that meets the axis.
#declare Shape = lathe {
  linear_spline
  7,
  <0, 0>, <0.9, 0>, <1, 0.4>, <0.5, 1.2>, <0.7, 2>, <0, 2>, <0, 0>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
