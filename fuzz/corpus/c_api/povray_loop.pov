mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }
#declare N = 0; #while (N < 3) #declare N = N + 1; triangle { <0,0,0>, <1,0,0>, <0,N,0> } #end
