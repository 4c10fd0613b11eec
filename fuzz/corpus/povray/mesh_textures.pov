// mesh with per-triangle textures, uv_vectors, smooth triangles, a mesh
// texture, and triangles of zero area that POV-Ray drops.
// expect-mesh: Tiles 3
#declare T_Wood = texture { pigment { rgb <0.6, 0.4, 0.2> } }
#declare T_Red = texture { pigment { rgb x } }
#declare Tiles = mesh {
  triangle { <0,0,0>, <1,0,0>, <0,1,0> uv_vectors <0,0>, <1,0>, <0,1> texture { T_Wood } }
  smooth_triangle { <1,0,0>, <0,0,-1>, <1,1,0>, <0,0,-1>, <0,1,0>, <0.1,0,-1> }
  triangle { <0,0,0>, <1,0,0>, <2,0,0> }
  triangle { <5,5,5>, <5,5,5>, <6,6,6> }
  triangle { <2,0,0> <3,0,0> <2,1,0.5> texture { T_Red } }
  texture { pigment { rgb 1 } }
}
