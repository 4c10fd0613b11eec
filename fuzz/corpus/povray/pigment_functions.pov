// Pigments read as functions: isosurfaces and height fields of patterns.
#declare Ramp = function { pigment { function { x } color_map { [0 rgb 0] [1 rgb 1] } } }
#declare Cells = function {
  pigment {
    crackle form <-1, 1, 0> metric 2.5 offset 0.1
    color_map { [0 0.5 color rgb 0 color rgb 1] [0.5 1 color rgb <1,0,0> color rgb <0,0,1>] }
    scale 0.4 frequency 2 phase 0.1 sine_wave turbulence 0.1 octaves 2
  }
}
#declare Board = function { pigment { checker color rgb 1 color rgb 0.5 scale 0.25 } }
isosurface {
  function { y - Ramp(x, z, 0).gray * 0.5 }
  contained_by { box { -1, 1 } }
  max_gradient 3
}
height_field { function 17, 17 { pigment { granite turbulence 0.2 poly_wave 2 scale 0.5 } } }
height_field { function 9, 9 { Board(x, y, 0).blue } translate 2*x }
height_field { function 9, 9 { Cells(x, y, 0).red } translate -2*x }
