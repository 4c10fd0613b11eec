// The unit sphere that shape_judge_selftest measures its UV spheres against.
#declare Shape = sphere { <0, 0, 0>, 1 }
object { Shape }
