// mesh2's defaults: normals and uv without index lists follow the faces;
// one or three texture indices per face.
// expect-mesh: Smooth 2
// expect-mesh: Tri 2
#declare Smooth = mesh2 {
  vertex_vectors { 4, <0,0,0>, <1,0,0>, <1,1,0>, <0,1,0> }
  normal_vectors { 4, <0,0,-1>, <0,0.1,-1>, <0.1,0.1,-1>, <0.1,0,-1> }
  uv_vectors { 4, <0,0>, <1,0>, <1,1>, <0,1> }
  face_indices { 2, <0,1,2>, <0,2,3> }
}
#declare Tri = mesh2 {
  vertex_vectors { 4, <0,0,0>, <1,0,0>, <1,1,0>, <0,1,3> }
  texture_list { 3, texture { pigment { rgb x } }, texture { pigment { rgb y } }, texture { pigment { rgb z } } }
  face_indices { 2, <0,1,2>, 2, 1, 0, <0,2,3>, 1 }
}
