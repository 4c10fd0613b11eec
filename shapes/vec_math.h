// The few vector operations the shapes' geometry is written in, on
// sdl::Vec3 (a plain x, y, z). Header-only, pure.
#pragma once

#include <cmath>

#include "sdl/transform.h"

namespace shapes::vec {

using sdl::Vec3;

inline Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 Scale(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
// `a` of unit length; `a` itself when it has none.
inline Vec3 Normalized(const Vec3& a) {
  const double l = Length(a);
  return l > 0 ? Scale(a, 1 / l) : a;
}

}  // namespace shapes::vec
