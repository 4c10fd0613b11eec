// The box that shape_judge_selftest measures its exact box mesh against
// (the same corners are in selftest.cc).
#declare Shape = box { <-1, -0.5, -2>, <2, 1, 0.5> }
object { Shape }
