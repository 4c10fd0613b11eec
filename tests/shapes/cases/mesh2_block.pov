// judge: flat
// An L-shaped block as a mesh2, turned and stretched: POV-Ray answers inside()
// for it through inside_vector, so the whole chain (import, sampling, judge)
// runs on a shape the reader already imports.
#declare Shape = mesh2 {
  vertex_vectors {
    12,
    <0, 0, 0>, <2, 0, 0>, <2, 1, 0>, <1, 1, 0>, <1, 2, 0>, <0, 2, 0>,
    <0, 0, 1>, <2, 0, 1>, <2, 1, 1>, <1, 1, 1>, <1, 2, 1>, <0, 2, 1>
  }
  face_indices {
    20,
    <0, 2, 1>, <6, 7, 8>, <0, 3, 2>, <6, 8, 9>, <0, 4, 3>,
    <6, 9, 10>, <0, 5, 4>, <6, 10, 11>, <0, 1, 7>, <0, 7, 6>,
    <1, 2, 8>, <1, 8, 7>, <2, 3, 9>, <2, 9, 8>, <3, 4, 10>,
    <3, 10, 9>, <4, 5, 11>, <4, 11, 10>, <5, 0, 6>, <5, 6, 11>
  }
  inside_vector <0.31, 0.72, 0.19>
  rotate <25, -40, 15>
  scale <1.4, 0.7, 1.1>
  translate <0.3, -0.2, 0.5>
}
object { Shape }
