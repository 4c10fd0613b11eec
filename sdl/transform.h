// Transform: an affine transformation as POV-Ray composes them, points as
// row vectors (p' = p * M + t), with the inverse kept beside it for normals.
// A plain value.
#pragma once

namespace sdl {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

class Transform {
 public:
  Transform();  // identity

  static Transform Translate(const Vec3& v);
  static Transform Scale(const Vec3& v);
  // Degrees about x, then y, then z.
  static Transform Rotate(const Vec3& degrees);
  // The 12 numbers of `matrix <...>`: the 3x3 part by rows, then the translation.
  static Transform Matrix(const double m[12]);

  // This transformation followed by `next`.
  void Then(const Transform& next);
  Transform Inverse() const;
  bool IsIdentity() const { return identity_; }
  // False for a matrix that cannot be inverted (a scale by 0).
  bool Invertible() const { return invertible_; }

  Vec3 Point(const Vec3& p) const;
  // A direction: the linear part only.
  Vec3 Vector(const Vec3& v) const;
  // The largest factor by which the linear part stretches any direction.
  double LargestScale() const;
  // Whether it turns the space inside out (a negative determinant).
  bool Mirrors() const;
  // The 12 numbers of Matrix(): the linear part by rows, then the translation.
  void Rows(double out[12]) const;
  // A normal: by the inverse's transpose, not normalised.
  Vec3 Normal(const Vec3& n) const;

 private:
  double m_[4][3];    // rows 0-2 the linear part, row 3 the translation
  double inv_[4][3];  // the inverse
  bool identity_ = true;
  bool invertible_ = true;
};

}  // namespace sdl
