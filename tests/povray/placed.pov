// The shape of an LDraw or modelling-tool export: parts declared once,
// placed many times with matrices (quarter turns), nested unions and
// declared textures, the whole model placed at the top.
// expect-mesh: Brick 12
// expect-mesh: Plate 2
// expect-placed: 5 30 = Model
#declare Red = texture { pigment { rgb <1, 0, 0> } }
#declare Blue = texture { pigment { rgb <0, 0, 1> } }
#macro BoxTriangles()
  triangle { <0,0,0>, <1,0,0>, <1,1,0> } triangle { <0,0,0>, <1,1,0>, <0,1,0> }
  triangle { <0,0,1>, <1,0,1>, <1,1,1> } triangle { <0,0,1>, <1,1,1>, <0,1,1> }
  triangle { <0,0,0>, <1,0,0>, <1,0,1> } triangle { <0,0,0>, <1,0,1>, <0,0,1> }
  triangle { <0,1,0>, <1,1,0>, <1,1,1> } triangle { <0,1,0>, <1,1,1>, <0,1,1> }
  triangle { <0,0,0>, <0,1,0>, <0,1,1> } triangle { <0,0,0>, <0,1,1>, <0,0,1> }
  triangle { <1,0,0>, <1,1,0>, <1,1,1> } triangle { <1,0,0>, <1,1,1>, <1,0,1> }
#end
#declare Brick = mesh { BoxTriangles() scale <2, 1, 1> }
#declare Plate = mesh2 {
  vertex_vectors { 4, <0,0,0>, <1,0,0>, <1,0,2>, <0,0,2> }
  face_indices { 2, <0,1,2>, <0,2,3> }
}
#declare Stack = union {
  object { Brick matrix <1,0,0, 0,1,0, 0,0,1, 0,0,0> texture { Red } }
  object { Plate matrix <0,0,-1, 0,1,0, 1,0,0, 3,1,0> }
}
#declare Model = union {
  object { Stack }
  object { Stack translate <0, 2, 0> }
  object { Plate scale 2 rotate 90*x translate <5, 0, 0> texture { Blue } }
}
object { Model }
