// judge: surface
// A cubic saddle with no end, cut to a box.
#declare Shape = poly {
  3,
  <0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -3, 0, 0, 0, 0, 0>
  clipped_by { box { -1, 1 } }
  rotate <10, 20, 0>
}
object { Shape }
