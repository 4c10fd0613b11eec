// judge: surface
#declare Shape = height_field {
  png "ripple16.png"
  smooth
  water_level 0.3
  translate <-0.5, 0, -0.5>
  rotate <-20, 35, 10>
  scale <1.2, 0.6, 1.5>
}
object { Shape }
