// A scene of shapes only, for the speed of their tessellation: 400 of the
// round and flat kinds on a grid, under rotations and uneven scales.
camera { location <10, 20, -30> look_at <10, 0, 10> }
light_source { <0, 50, -50> color rgb 1 }
#declare S = seed(7);
#for (I, 0, 19)
  #for (J, 0, 19)
    #switch (mod(I + J, 5))
      #case (0) sphere { 0, 0.4 scale <1, 1.5, 1> #break
      #case (1) box { -0.4, 0.4 rotate 30 * y #break
      #case (2) cylinder { -0.4 * y, 0.4 * y, 0.3 rotate 20 * x #break
      #case (3) cone { -0.4 * y, 0.4, 0.4 * y, 0.1 #break
      #case (4) torus { 0.35, 0.1 rotate 60 * x #break
    #end
      translate <I, rand(S), J> pigment { rgb <rand(S), rand(S), rand(S)> } }
  #end
#end
