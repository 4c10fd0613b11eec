// judge: implicit
// A torus from its implicit function, in a sphere.
#declare Torus = function(x, y, z, R, r) { sqrt(pow(sqrt(x*x + z*z) - R, 2) + y*y) - r }
#declare Shape = isosurface {
  function { Torus(x, y, z, 0.8, 0.3) }
  contained_by { sphere { <0.2, 0, 0>, 1.05 } }
  rotate <-20, 35, 10>
  scale <1.2, 0.8, 1.3>
}
object { Shape }
