// judge: curved
#declare Shape = superellipsoid {
  <0.3, 0.6>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
