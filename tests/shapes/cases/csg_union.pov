// judge: csg
// A union keeps every part's surface. Its parts do not overlap here:
// overlapping ones would put surfaces inside the solid, which the
// crossing count reads as outside (use merge for those).
#declare Shape = union {
  box { <-1.5, -0.5, -0.5>, <-0.5, 0.5, 0.5> }
  sphere { <0.4, 0, 0>, 0.6 }
  cylinder { <1.3, -0.6, 0>, <1.3, 0.6, 0>, 0.25 }
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
