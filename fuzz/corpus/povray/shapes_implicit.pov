#include "functions.inc"
isosurface { function { f_rounded_box(x, y, z, 0.1, 0.5, 0.4, 0.3) } contained_by { box { -1, 1 } } max_gradient 1.2 }
isosurface { function { x*x + y*y + z*z - 0.5 } contained_by { sphere { 0, 1 } } threshold 0.1 open }
blob { threshold 0.6 sphere { 0, 1, 1 } cylinder { -x, x, 0.4, 1 scale <1, 2, 1> } component 0.8, 0.5, y }
quadric { <1, 2, 3>, <0, 0, 0>, <0, 0, 0>, -1 }
poly { 3, <0,0,0,1,0,0,0,0,0,0,0,0,0,0,-3,0,0,0,0,0> clipped_by { box { -1, 1 } } }
polynomial { 2, xyz(2,0,0):1, xyz(0,2,0):1, xyz(0,0,2):1, xyz(0,0,0):-1 }
