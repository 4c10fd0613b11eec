// judge: surface
#declare Shape = height_field {
  function 40, 30 { 0.5 + 0.4 * sin(x * 6) * cos(y * 4) }
  translate <-0.5, 0, -0.5>
  rotate <15, 50, -10>
  scale <1.3, 0.5, 0.9>
}
object { Shape }
