// The shape of an LDraw export: a seam size at the top, parts declared once
// as meshes with smooth triangles, made into unions and placed with
// matrices. Until placement is read, each declared part is imported once.
// expect-mesh: LDX_3001_slope 4
// expect-mesh: LDX_3024_plate 2
global_settings { assumed_gamma 1 }
#declare LDXSW = 0.5;
#declare LDXQual = 2;
#macro LDXColor(R, G, B) texture { pigment { srgbf <R, G, B, 0> } finish { ambient 0.1 } } #end
#declare LDXColor4 = LDXColor(0.788, 0.102, 0.035)
#declare LDX_3001_slope = mesh {
  smooth_triangle { <-40,-24,-20>, <0,0,-1>, <40,-24,-20>, <0,0,-1>, <40,0,-20>, <0,0,-1> }
  smooth_triangle { <-40,-24,-20>, <0,0,-1>, <40,0,-20>, <0,0,-1>, <-40,0,-20>, <0,0,-1> }
  triangle { <-40,-24,-20>, <40,-24,-20>, <40,-24,20> }
  triangle { <-40,-24,-20>, <40,-24,20>, <-40,-24,20> }
  #if (LDXQual > 1) texture { LDXColor4 } #end
}
#declare LDX_3024_plate = mesh2 {
  vertex_vectors { 4 <-10,-8,-10> <10,-8,-10> <10 -8 10> <-10,-8 10> }
  face_indices { 2 <0 1 2> <0 2 3> }
}
#declare LDX_model = union {
  object { LDX_3001_slope matrix <1,0,0,0,1,0,0,0,1,0,0,0> texture { LDXColor4 } }
  object { LDX_3024_plate matrix <0,0,-1,0,1,0,1,0,0,20,-24,0> }
  union { object { LDX_3024_plate translate <0, -8, 0> } }
}
object { LDX_model rotate <0, 45, 0> }
