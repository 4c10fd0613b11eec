// A merge of 50 overlapping spheres: one boolean of many operands.
merge {
  #for (I, 0, 49)
    sphere { <mod(I, 7) * 0.6, div(I, 7) * 0.6, 0>, 0.5 }
  #end
}
