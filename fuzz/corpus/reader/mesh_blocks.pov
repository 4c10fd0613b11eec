// Two mesh blocks: each becomes a mesh of its own with its own material.
#declare Roof = mesh {
  triangle { <-1, 1, -1>, <1, 1, -1>, <0, 2, 0> }
  triangle { <1, 1, -1>, <1, 1, 1>, <0, 2, 0> }
  triangle { <1, 1, 1>, <-1, 1, 1>, <0, 2, 0> }
  triangle { <-1, 1, 1>, <-1, 1, -1>, <0, 2, 0> }
  texture { pigment { color rgb <0.7, 0.2, 0.1> } }
}

mesh {
  smooth_triangle { <0, 0, 0>, <0, 1, 0>, <2, 0, 0>, <0, 1, 0>, <0, 0, 2>, <0, 1, 0> }
  smooth_triangle { <2, 0, 0>, <0, 1, 0>, <2, 0, 2>, <0, 1, 0>, <0, 0, 2>, <0, 1, 0> }
  inside_vector <0, 0, 1>
}

object { Roof scale 1.5 }
