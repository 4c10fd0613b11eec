sphere_sweep { linear_spline 3, <-1,0,0>, 0.3, <0,0.8,0.2>, 0.4, <1,0,-0.3>, 0.25 }
sphere_sweep { b_spline 5, <-2,0,0>, 0.3, <-1,1,0>, 0.5, <0,0,0>, 0.2, <1,1,0>, 0.4, <2,0,0>, 0.3 tolerance 1e-3 }
height_field { function 20, 15 { 0.5 + 0.3 * sin(x * 6) * cos(y * 4) } smooth water_level 0.3 }
bicubic_patch { type 1 flatness 0.01 u_steps 3 v_steps 3,
  <0,0,0>, <1,0,1>, <2,0,-1>, <3,0,0>, <0,1,0.5>, <1,1,2>, <2,1,0>, <3,1,0.5>,
  <0,2,0>, <1,2,-1>, <2,2,1>, <3,2,0>, <0,3,0>, <1,3,0.5>, <2,3,0.5>, <3,3,0> }
union { torus { 1, 0.3 } cylinder { -y, y, 0.4 } clipped_by { plane { <1, 0.2, 0.3>, 0.25 } } }
sphere { 0, 1 scale 2 clipped_by { box { <-0.5, -2, -2>, <2, 2, 2> } } translate x }
