// A unit cube as a mesh2 with normals, uv coordinates and two textures:
// the top and bottom faces use the second texture.
mesh2 {
  vertex_vectors {
    8,
    <0,0,0>, <1,0,0>, <1,1,0>, <0,1,0>,
    <0,0,1>, <1,0,1>, <1,1,1>, <0,1,1>
  }
  normal_vectors {
    6,
    <0,0,-1>, <0,0,1>, <-1,0,0>, <1,0,0>, <0,-1,0>, <0,1,0>
  }
  uv_vectors {
    4,
    <0,0>, <1,0>, <1,1>, <0,1>
  }
  texture_list {
    2,
    texture { pigment { color rgb <0.8, 0.8, 0.8> } }
    texture { pigment { color rgb <0.1, 0.4, 0.9> } finish { phong 0.5 } }
  }
  face_indices {
    12,
    <0,1,2>, 0, <0,2,3>, 0,
    <4,6,5>, 0, <4,7,6>, 0,
    <0,3,7>, 0, <0,7,4>, 0,
    <1,5,6>, 0, <1,6,2>, 0,
    <0,4,5>, 1, <0,5,1>, 1,
    <3,2,6>, 1, <3,6,7>, 1
  }
  normal_indices {
    12,
    <0,0,0>, <0,0,0>, <1,1,1>, <1,1,1>, <2,2,2>, <2,2,2>,
    <3,3,3>, <3,3,3>, <4,4,4>, <4,4,4>, <5,5,5>, <5,5,5>
  }
  uv_indices {
    12,
    <0,1,2>, <0,2,3>, <0,2,1>, <0,3,2>, <1,2,3>, <1,3,0>,
    <0,1,2>, <0,2,3>, <0,3,2>, <0,2,1>, <0,1,2>, <0,2,3>
  }
  uv_mapping
  rotate <0, 30, 0>
}
