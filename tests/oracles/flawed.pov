// Export oracle scene: faces without area, faces whose normals point
// against their winding, zero normals; read with --grammar povray. (No two
// faces share all corners: Blender's STL reader drops such repeats.)
mesh2 {
  vertex_vectors { 6, <0, 0, 0>, <1, 0, 0>, <1, 1, 0>, <0, 1, 0>, <0.5, 0.5, 0>, <0, 0, 1> }
  normal_vectors { 3, <0, 0, -1>, <0, 0, 1>, <0, 0, 0> }
  face_indices { 5, <0, 1, 2>, <0, 2, 3>, <0, 4, 2>, <1, 1, 3>, <0, 1, 5> }
  normal_indices { 5, <0, 0, 0>, <1, 1, 1>, <2, 2, 2>, <2, 2, 2>, <2, 1, 0> }
}
mesh {
  smooth_triangle { <0, 0, 0>, <0, 0, 1>, <0, 1, 0>, <0, 0, 1>, <1, 0, 0>, <0, 0, 1> }
  smooth_triangle { <0, 0, 0.5>, <0, 0, -1>, <1, 0, 0.5>, <0, 0, -1>, <0, 1, 0.5>, <0, 0, -1> }
  triangle { <0, 0, 0>, <1, 1, 0>, <0.5, 0.5, 0> }
  triangle { <0, 1, 0>, <1, 0, 1>, <0, 0, 1> }
}
