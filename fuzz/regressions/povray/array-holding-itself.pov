#declare A = array[2]
#declare A[0] = 1;
#declare A[1] = A;
#declare A[0] = A;
