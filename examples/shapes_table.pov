// A table set with POV-Ray's shapes: a box top on cylinder legs, a lathe
// vase, a sor cup, a torus ring and a bite out of a cube. Every object is
// a shape or CSG; korvan import makes each a mesh.
#include "colors.inc"
camera { location <3, 4, -6> look_at <0, 1, 0> angle 50 }
light_source { <4, 8, -6> color rgb 1 }
light_source { <-6, 6, -2> color rgb 0.4 }
plane { y, 0 pigment { rgb <0.8, 0.75, 0.7> } }
#declare Wood = texture { pigment { rgb <0.55, 0.35, 0.2> } finish { phong 0.3 } }
union {
  box { <-1.6, 0.9, -1>, <1.6, 1, 1> }
  #for (I, 0, 3)
    cylinder { 0, 0.9 * y, 0.08 translate <(mod(I, 2) * 2 - 1) * 1.4, 0, (div(I, 2) * 2 - 1) * 0.8> }
  #end
  texture { Wood }
}
lathe {
  bezier_spline 8,
  <0, 0>, <0.3, 0>, <0.4, 0.3>, <0.25, 0.6>,
  <0.25, 0.6>, <0.15, 0.8>, <0.2, 0.9>, <0.25, 1>
  translate <-0.8, 1, 0.2>
  pigment { rgb <0.2, 0.4, 0.8> } finish { specular 0.5 roughness 0.02 }
}
sor { 5, <0, -0.1>, <0.15, 0>, <0.18, 0.15>, <0.2, 0.3>, <0.25, 0.4>
  translate <0.3, 1, -0.4> pigment { rgb <0.9, 0.9, 0.85> } }
torus { 0.2, 0.05 rotate 20 * x translate <0.9, 1.06, 0.3> pigment { Gold } finish { metallic } }
difference {
  box { -0.25, 0.25 }
  sphere { <0.25, 0.25, -0.25>, 0.3 pigment { Red } }
  rotate 30 * y translate <1.1, 1.25, -0.5>
  pigment { rgb <0.9, 0.8, 0.2> }
}
