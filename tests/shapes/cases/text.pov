// judge: curved
// Letters with counters (holes) and curves, from a font POV-Ray ships.
#declare Shape = text {
  ttf "timrom.ttf" "Ra8" 0.4, 0
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
