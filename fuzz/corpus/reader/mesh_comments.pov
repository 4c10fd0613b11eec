mesh { triangle { <0,0,0>, <1,0,0>, <0,1,0> } /* block
 comment */ // line
 texture { T } }