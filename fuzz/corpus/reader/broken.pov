// A file that breaks off: the second mesh2 lacks the comma between two
// vertices. Everything read before the error stays in the scene.
triangle { <0,0,0>, <1,0,0>, <0,1,0> }

mesh2 {
  vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,0,1> }
  face_indices { 1, <0,1,2> }
}

mesh2 {
  vertex_vectors { 3, <0,0,0> <1,0,0>, <0,0,1> }
  face_indices { 1, <0,1,2> }
}

triangle { <5,5,5>, <6,5,5>, <5,6,5> }
