// judge: curved
// Another font, kerned pairs and a per-letter offset, the name without .ttf.
#declare Shape = text {
  ttf "cyrvetic" "AVoid" 0.25, <0.05, 0.1, 0>
  rotate <-20, 30, 10>
  scale <1.2, 1, 0.8>
}
object { Shape }
