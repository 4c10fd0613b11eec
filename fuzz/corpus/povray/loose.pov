// Loose triangles go into the first mesh (obj_0); ones that POV-Ray drops
// (zero area, a smooth triangle whose normals point both ways) are dropped.
// expect-mesh: obj_0 3 = Loose
#declare Loose = union {
  triangle { <0,0,0>, <1,0,0>, <0,1,0> }
  smooth_triangle { <0,0,1>, <0,0,1>, <1,0,1>, <0,0,1>, <0,1,1>, <0,0,1> }
  triangle { <0,0,0> <0,0,3> <0,2,0> rotate 90*y }
}
triangle { <0,0,0>, <1,1,1>, <2,2,2> }
smooth_triangle { <0,0,0>, <0,0,1>, <1,0,0>, <0,0,-1>, <0,1,0>, <0,0,1> }
