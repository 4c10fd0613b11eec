// Finishes as metallic-roughness materials: highlights by phong or
// specular, a mirror, metal, a declared finish and a declared texture.
// expect-mesh: Shiny 1
// expect-mesh: Chrome 1
// expect-mesh: Matte 1
#declare F_Metal = finish { metallic 0.7 phong 1 phong_size 80 }
#declare T_Gloss = texture { pigment { rgb <0.1, 0.6, 0.1> } finish { specular 0.6 roughness 0.02 } }
#declare Shiny = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } texture { T_Gloss } }
#declare Chrome = mesh {
  triangle { <2,0,0>, <3,0,0>, <2,1,0> }
  texture { pigment { rgb 0.9 } finish { F_Metal reflection { 0.2, 0.8 metallic } } }
}
#declare Matte = mesh {
  triangle { <4,0,0>, <5,0,0>, <4,1,0> }
  texture { pigment { rgb <0.8, 0.2, 0.2> } finish { ambient 0.1 diffuse 0.7 } }
}
