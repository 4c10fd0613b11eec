#declare A = array[1]
#declare A[0] = union { #declare A = 1; }
