// Transformations inside a mesh's own block are part of the mesh. POV-Ray
// keeps a transformed mesh's box as the box of its box transformed, step by
// step, so the meshes here are boxes and squares (whose box corners are
// vertices), each with at most one step that turns it.
// expect-mesh: Turned 2
// expect-mesh: Matrixed 12
// expect-mesh: Undone 12
// expect-mesh: Spun 12
#declare Square = array[4] {<0,0,0>, <1,0,0>, <1,1,0>, <0,1,0>}
#declare Spin = transform { rotate <10, 20, 30> translate <1, 2, 3> }
#macro CubeTriangles()
  triangle { <0,0,0>, <1,0,0>, <1,1,0> } triangle { <0,0,0>, <1,1,0>, <0,1,0> }
  triangle { <0,0,1>, <1,0,1>, <1,1,1> } triangle { <0,0,1>, <1,1,1>, <0,1,1> }
  triangle { <0,0,0>, <1,0,0>, <1,0,1> } triangle { <0,0,0>, <1,0,1>, <0,0,1> }
  triangle { <0,1,0>, <1,1,0>, <1,1,1> } triangle { <0,1,0>, <1,1,1>, <0,1,1> }
  triangle { <0,0,0>, <0,1,0>, <0,1,1> } triangle { <0,0,0>, <0,1,1>, <0,0,1> }
  triangle { <1,0,0>, <1,1,0>, <1,1,1> } triangle { <1,0,0>, <1,1,1>, <1,0,1> }
#end
#declare Turned = mesh2 {
  vertex_vectors { 4, Square[0], Square[1], Square[2], Square[3] }
  face_indices { 2, <0,1,2>, <0,2,3> }
  scale <1, 2, 3>
  rotate <30, 45, 60>
  translate <5, -1, 2>
}
#declare Matrixed = mesh {
  CubeTriangles()
  matrix <1, 0.5, 0, 0, 1, 0, 0.25, 0, 2, 10, 20, 30>
  translate <-1, 0, 1>
}
#declare Spun = mesh { CubeTriangles() scale <2, 1, 1> transform Spin }
#declare Undone = mesh2 {
  vertex_vectors { 8, <0,0,0>, <2,0,0>, <2,3,0>, <0,3,0>, <0,0,1>, <2,0,1>, <2,3,1>, <0,3,1> }
  face_indices {
    12, <0,1,2>, <0,2,3>, <4,5,6>, <4,6,7>, <0,1,5>, <0,5,4>,
    <3,2,6>, <3,6,7>, <0,3,7>, <0,7,4>, <1,2,6>, <1,6,5>
  }
  transform { Spin inverse }
  scale 0.5
}
