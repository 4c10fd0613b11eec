// Directives inside mesh blocks: loops write the lists, conditionals pick
// sections, #switch picks the scale, #local before a section.
// expect-mesh: Fan 12
// expect-mesh: Pick 1
#declare N = 12;
#declare Mode = 2;
#declare Fan = mesh2 {
  #local R = 3;
  vertex_vectors {
    N + 1, <0, 0, 0>
    #for (I, 0, N - 1)
      <R*cos(2*pi*I/N), R*sin(2*pi*I/N), 0>
    #end
  }
  face_indices {
    N
    #declare I = 0;
    #while (I < N)
      <0, I + 1, mod(I + 1, N) + 1>
      #declare I = I + 1;
    #end
  }
  #if (version >= 3.1) texture #else material #end { pigment { rgb <0, 1, 0> } }
  #switch (Mode)
    #case (1)
      scale 1
    #break
    #range (2, 3)
      scale <2, 1, 1>
    #break
    #else
      scale 5
  #end
}
#declare Pick = mesh2 {
  #ifdef (Undeclared)
    vertex_vectors { 3, <0,0,0>, <9,0,0>, <0,9,0> }
  #elseif (Mode = 2)
    vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> }
  #else
    vertex_vectors { 3, <0,0,0>, <5,0,0>, <0,5,0> }
  #end
  #ifndef (Undeclared) face_indices { 1, <0, 1, 2> } #end
}
