// judge: surface
// POV-Ray traces the patch as 2^u_steps x 2^v_steps triangles: with 3 it
// strays 1 % of the diagonal from the exact surface we mesh, hence 5 here.
#declare Shape = bicubic_patch {
  type 1 flatness 0.01 u_steps 5 v_steps 5
  <0, 0, 0>, <1, 0, 1>, <2, 0, -1>, <3, 0, 0>,
  <0, 1, 0.5>, <1, 1, 2>, <2, 1, 0>, <3, 1, 0.5>,
  <0, 2, 0>, <1, 2, -1>, <2, 2, 1>, <3, 2, 0>,
  <0, 3, 0>, <1, 3, 0.5>, <2, 3, 0.5>, <3, 3, 0>
  translate <-1.5, -1.5, 0>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
}
object { Shape }
