#declare A = array[3] {1,2,3}
#switch (A[1]) #case (2) #declare B = <1,2,3>; #break #else #declare B = 0; #end
#macro M(optional P) #ifdef(P) P #else 0 #end #end
#declare C = M(1) + M();
#while (C < 5) #declare C = C + 1; #end
