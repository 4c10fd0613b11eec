// Two hundred CSG objects, each different: boxes less spheres, cylinders
// cut by boxes, merged rounded bars.
#declare S = seed(11);
#for (I, 0, 199)
  #switch (mod(I, 3))
    #case (0)
      difference { box { -0.5, 0.5 } sphere { 0.5, 0.5 + 0.2 * rand(S) }
        translate <mod(I, 20) * 1.5, 0, div(I, 20) * 1.5> }
    #break
    #case (1)
      intersection { cylinder { -0.6 * y, 0.6 * y, 0.5 } box { -0.45, 0.45 rotate 45 * y * rand(S) }
        translate <mod(I, 20) * 1.5, 0, div(I, 20) * 1.5> }
    #break
    #case (2)
      merge { box { <-0.5, -0.1, -0.1>, <0.5, 0.1, 0.1> } sphere { 0.5 * x, 0.15 }
              sphere { -0.5 * x, 0.15 + 0.05 * rand(S) }
        translate <mod(I, 20) * 1.5, 0, div(I, 20) * 1.5> }
    #break
  #end
#end
