// judge: surface
#declare Shape = height_field {
  pgm "hill.pgm"
  translate <-0.5, 0, -0.5>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
