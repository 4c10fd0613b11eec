// A blob of 1,000 spheres along a wandering path: the goal is under 2 s at
// the default tolerance.
camera { location <0, 12, -30> look_at <0, 0, 0> }
light_source { <20, 30, -20> color rgb 1 }
#declare R = seed(7);
blob {
  threshold 0.6
  #declare P = <0, 0, 0>;
  #for (I, 0, 999)
    #declare P = P + <rand(R) - 0.5, rand(R) - 0.5, rand(R) - 0.5> * 0.8;
    sphere { P, 0.6 + 0.4 * rand(R), 1 }
  #end
  pigment { color rgb <0.3, 0.6, 0.9> }
}
