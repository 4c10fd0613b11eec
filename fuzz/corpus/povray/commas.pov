// Optional commas as POV-Ray reads them: after counts, between items,
// inside vectors, a trailing comma before '}', and a face's texture index.
// expect-mesh: NoCommas 3
// expect-mesh: MixedCommas 2
#declare NoCommas = mesh2 {
  vertex_vectors { 5 <0 0 0> <1 0 0> <1 1 0> <0 1 0> <47.20 33.00 40.60> }
  normal_vectors { 1 <0 0 -1> }
  face_indices { 3 <0 1 2> <0 2 3> <1 2 4> }
  normal_indices { 3 <0 0 0> <0 0 0> <0 0 0> }
}
#declare MixedCommas = mesh2 {
  vertex_vectors { 4, <31.40, 0.0 45.60> <1 -2, 3>, <2,2,2>, <-1, -1, -1>, }
  texture_list { 2, texture { pigment { rgb 1 } } texture { pigment { rgb <1, 0, 0> } } }
  face_indices { 2, <0,1,2>, 1 <1 2 3> 0, }
}
