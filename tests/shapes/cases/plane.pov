// judge: surface min-hit-agreement=99.9 max-hit-error=1e-4
// An infinite plane, judged inside the box below only. A plane becomes an
// open quad, whose crossings cannot tell inside from outside: it is judged
// by rays, to the flat shapes' tolerances.
#declare Shape = plane {
  <0.3, 1, 0.2>, 0.1
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
#declare Sample_Min = <-2, -1.5, -1>;
#declare Sample_Max = <1.5, 2, 2.5>;
object { Shape }
