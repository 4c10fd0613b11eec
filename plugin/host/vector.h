// The host's 3-vector of doubles and its face normal. Plain value type.
// Coordinates are as the scene file writes them: POV-Ray's left-handed
// system, y up; nothing converts them.
#pragma once

#include <cmath>

#include "plugin/host/api.h"

struct MVector3 {
  double x = 0.0, y = 0.0, z = 0.0;

  MVector3() = default;
  MVector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
};

// Whether all three coordinates are finite (no NaN, no infinity).
inline bool IsFinite(const MVector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Unit normal of the triangle (a, b, c): (b - a) x (c - a) divided by its
// length when the length is above 0 and finite, otherwise (0, 0, 0).
// Computed without fused multiply-add, so the bits are the same everywhere.
KORVAN_API MVector3 Normal(const MVector3& a, const MVector3& b, const MVector3& c);
