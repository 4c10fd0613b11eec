// #include beside the file (in a sub-folder) and in the library path
// (colors.inc of POV-Ray's own include folder), colours by name.
// expect-mesh: Brick_Top 2
// expect-mesh: Coloured 1
#include "parts/brick.inc"
#include "colors.inc"
#declare T_Red = texture { pigment { color Red } }
#declare Coloured = mesh2 {
  vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }
  texture_list { 1, texture { T_Red } }
  face_indices { 1, <0,1,2>, 0 }
}
