// Vertices written as expressions: operators, precedence, promotion of a
// float to a vector, built-in vectors and functions, component access and
// a conditional inside parentheses.
// expect-mesh: Expr 4
#declare Size = 2.5;
#declare Base = <1, 2, 3>;
#declare Tilt = vrotate(<1, 0, 0>, <0, 0, 90>);
#declare Expr = mesh2 {
  vertex_vectors {
    7,
    -1.5*x, x+y, 2, Base.z*y - Base,
    <Size*cos(pi/3), sqrt(16)/2, (Size > 2 ? 1 : -1)>,
    Tilt + vnormalize(<3, 0, 4>)*10,
    <max(1, 2, 3), min(-4, 5) + abs(-2), mod(7, 3) + pow(2, 3) + int(-2.7)>
  }
  face_indices { 4, <0, 1, 2>, <2, 3, 4>, <4, 5, 6>, <6, 0, 3> }
}
