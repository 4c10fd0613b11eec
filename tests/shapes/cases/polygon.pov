// judge: surface
// A non-convex polygon with a square hole (two closed loops): a surface.
#declare Shape = polygon {
  11,
  <0, 0>, <2, 0>, <2, 1>, <1, 1.5>, <2, 2>, <0, 2>, <0, 0>,
  <0.3, 0.3>, <0.9, 0.3>, <0.9, 0.9>, <0.3, 0.3>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
