#declare T = texture { pigment { rgb <1, 0, 0> } } texture { pigment { boxed } }
#declare deprecated once "old" T2 = texture { T }
default { finish { ambient 0 } }
#declare A = array[2]
#declare A[0] = mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } }
#declare A[1] = object { A[0] translate y }
#declare L = light_source { <1, 2, 3> color rgb 1 }
#declare F = function { x * y }
#declare P = trace(A[0], <0, 5, 0>, -y, N) + N * F(1, 2, 3);
#if (inside(A[1], P)) #declare Q = 1; #end
union { object { A[1] texture { T2 } } light_source { L translate P } rotate 30*y }
light_source { L }
