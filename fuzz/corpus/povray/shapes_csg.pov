// Machine parts from booleans: a flanged pipe (merge and difference), a
// drilled block (difference of a box and cylinders) and a rounded cap
// (intersection of a sphere and a box).
camera { location <0, 5, -8> look_at <0, 0.5, 0> angle 45 }
light_source { <5, 10, -10> color rgb 1 }
light_source { <-8, 4, -3> color rgb 0.5 }
plane { y, 0 pigment { rgb 0.85 } }
#declare Steel = texture { pigment { rgb <0.6, 0.62, 0.65> } finish { metallic 0.8 specular 0.6 roughness 0.05 } }
difference {
  merge {
    cylinder { <0, 0, 0>, <0, 2, 0>, 0.5 }
    cylinder { <0, 0, 0>, <0, 0.2, 0>, 0.9 }
    cylinder { <0, 1.8, 0>, <0, 2, 0>, 0.9 }
  }
  cylinder { <0, -1, 0>, <0, 3, 0>, 0.35 }
  #for (I, 0, 5)
    cylinder { <0.7, -1, 0>, <0.7, 3, 0>, 0.07 rotate I * 60 * y }
  #end
  texture { Steel }
  translate -2.2 * x
}
difference {
  box { <-0.8, 0, -0.8>, <0.8, 1, 0.8> }
  #for (I, -1, 1, 2) #for (J, -1, 1, 2)
    cylinder { <I * 0.5, -1, J * 0.5>, <I * 0.5, 2, J * 0.5>, 0.15 pigment { rgb <0.8, 0.3, 0.1> } }
  #end #end
  cylinder { <-1, 0.5, 0>, <1, 0.5, 0>, 0.25 pigment { rgb <0.8, 0.3, 0.1> } }
  texture { Steel }
}
intersection {
  sphere { <0, 0, 0>, 1 }
  box { <-0.7, 0, -0.7>, <0.7, 2, 0.7> }
  plane { <1, 1, 0>, 0.8 }
  pigment { rgb <0.2, 0.5, 0.3> }
  translate 2.2 * x
}
