// Profiles: a bezier prism with a hole, a conic prism, a polygon and a
// superellipsoid, with a disc beneath each.
camera { location <0, 6, -9> look_at <0, 0.5, 0> angle 45 }
light_source { <5, 10, -10> color rgb 1 }
light_source { <-8, 4, -3> color rgb 0.5 }
plane { y, 0 pigment { rgb 0.9 } }
prism {
  bezier_spline 0, 0.5, 16,
  <0, -1>, <1, -1>, <1.2, 0>, <1, 0.5>,
  <1, 0.5>, <0.8, 1>, <-0.8, 1>, <-1, 0.5>,
  <-1, 0.5>, <-1.2, 0>, <-1, -1>, <0, -1>,
  <-0.3, -0.2>, <0.3, -0.2>, <0.3, 0.4>, <-0.3, -0.2>
  translate -2.6 * x pigment { rgb <0.9, 0.3, 0.2> }
}
prism { conic_sweep linear_spline 0, 1, 6, <1, 0>, <0.3, 0.3>, <0, 1>, <-0.3, 0.3>, <-1, 0>, <1, 0>
  rotate 180 * x translate 1 * y scale <0.8, 1.2, 0.8> pigment { rgb <0.3, 0.5, 0.9> } }
polygon { 6, <0, 0>, <1, 0>, <1.2, 0.8>, <0.5, 1.3>, <-0.2, 0.8>, <0, 0>
  rotate -70 * x translate <1.6, 0.1, -0.5> pigment { rgb <0.2, 0.7, 0.3> } }
superellipsoid { <0.3, 0.6> scale 0.5 translate <3, 0.5, 0.5> pigment { rgb <0.9, 0.8, 0.2> } }
#for (I, -1, 1)
  disc { <I * 2.8, 0.01, 0>, y, 1.3, 1.2 pigment { rgb 0.4 } }
#end
