// Macros: parameters, local scope, a macro that returns a value, a
// recursive one, and one that builds a whole mesh2 from arrays.
// expect-mesh: Strip 16
// expect-mesh: Made 2
#macro Mid(A, B) ((A + B)/2) #end
#macro Fact(K) #if (K <= 1) 1 #else K*Fact(K - 1) #end #end
#macro Quad(P, S)
  <P.x, P.y, 0>, <P.x + S, P.y, 0>, <P.x + S, P.y + S, 0>, <P.x, P.y + S, 0>
#end
#macro MakeMesh(Points, Faces)
  mesh2 {
    vertex_vectors {
      dimension_size(Points, 1)
      #local I = 0;
      #while (I < dimension_size(Points, 1)) Points[I] #local I = I + 1; #end
    }
    face_indices {
      dimension_size(Faces, 1)
      #for (J, 0, dimension_size(Faces, 1) - 1) Faces[J] #end
    }
  }
#end
#declare Unused = 1;
#macro NeverCalled() mesh2 { vertex_vectors { 3, <0,0,0>, <99,0,0>, <0,99,0> } face_indices { 1, <0,1,2> } } #end
#declare Strip = mesh2 {
  vertex_vectors {
    32
    #for (K, 0, 7) Quad(<K*Mid(1, 3), Fact(3)>, 1.5) #end
  }
  face_indices {
    16
    #for (K, 0, 7) <4*K, 4*K + 1, 4*K + 2> <4*K, 4*K + 2, 4*K + 3> #end
  }
}
#declare Made = MakeMesh(array[4] {<0,0,0>, <2,0,0>, <2,2,1>, <0,2,1>}, array[2] {<0,1,2>, <0,2,3>})
