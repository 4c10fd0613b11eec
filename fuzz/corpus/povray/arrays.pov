// Arrays: one and two dimensions, initialisers, elements set in loops.
// expect-mesh: Grid 24
#declare W = 4;
#declare H = 3;
#declare Heights = array[H+1][W+1] {
  {0, 0.1, 0.2, 0.1, 0},
  {0.1, 0.4, 0.5, 0.3, 0.1},
  {0.2, 0.5, 0.9, 0.5, 0.1},
  {0, 0.2, 0.3, 0.2, 0}
}
#declare P = array[(W+1)*(H+1)];
#for (J, 0, H)
  #for (I, 0, W)
    #declare P[J*(W+1) + I] = <I, Heights[J][I], J>;
  #end
#end
#declare Grid = mesh2 {
  vertex_vectors { dimension_size(P, 1), #for (K, 0, dimension_size(P, 1) - 1) P[K], #end }
  face_indices {
    W*H*2,
    #for (J, 0, H - 1)
      #for (I, 0, W - 1)
        #local A = J*(W+1) + I;
        <A, A+1, A+W+2>, <A, A+W+2, A+W+1>,
      #end
    #end
  }
}
