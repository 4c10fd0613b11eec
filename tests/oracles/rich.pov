// Export oracle scene: several meshes, materials with colours, normals and
// uv, placed by transformations; read with --grammar povray.
#declare Red = texture { pigment { color rgb <0.8, 0.1, 0.1> } }
#declare Blue = texture { pigment { color rgb <0.1, 0.2, 0.9> } }
#declare Panel = mesh2 {
  vertex_vectors { 4, <0, 0, 0>, <2, 0, 0>, <2, 1, 0>, <0, 1, 0> }
  normal_vectors { 1, <0, 0, -1> }
  uv_vectors { 4, <0, 0>, <1, 0>, <1, 1>, <0, 1> }
  texture_list { 2, texture { Red } texture { Blue } }
  face_indices { 2, <0, 1, 2>, 0, <0, 2, 3>, 1 }
  normal_indices { 2, <0, 0, 0>, <0, 0, 0> }
  uv_indices { 2, <0, 1, 2>, <0, 2, 3> }
}
#declare Roof = mesh {
  smooth_triangle { <0, 1, 0>, <0, 1, -1>, <2, 1, 0>, <0, 1, -1>, <1, 2, 1>, <0, 1, 0> }
  smooth_triangle { <0, 1, 0>, <0, 1, -1>, <1, 2, 1>, <0, 1, 0>, <0, 1, 2>, <-1, 0, 0> }
  texture { Blue }
}
object { Panel }
object { Panel rotate <0, -90, 0> translate <2, 0, 0> }
object { Roof translate <0, 0, 0.5> }
camera { location <1, 3, -6> look_at <1, 1, 1> angle 50 }
light_source { <5, 8, -5> color rgb <1, 0.9, 0.8> }
