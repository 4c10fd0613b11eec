// POV-Ray's perspective camera in the terms of other programs, for the
// export and the window: its `angle` is the horizontal field of view across
// an image of POV-Ray's default proportions (`right` 1.33, `up` 1). Plain
// functions.
#pragma once

#include <cmath>

#include "plugin/host/objects.h"

constexpr double kPovrayAspect = 4.0 / 3.0;
// Without `angle`: direction 1 and right 1.33 make 2 atan(1.33 / 2).
constexpr double kPovrayDefaultAngle = 67.380135;

// The vertical field of view in radians for a camera's `angle` in degrees
// (0 or out of range: POV-Ray's default).
inline double VerticalFieldOfView(double angle) {
  constexpr double kPi = 3.14159265358979323846;
  const double horizontal = angle > 0 && angle < 180 ? angle : kPovrayDefaultAngle;
  return 2 * std::atan(std::tan(horizontal * kPi / 360) / kPovrayAspect);
}

// Where a camera stands and how it is turned, in the written axes (z
// negated unless POV-Ray's are kept): its position and the unit columns of
// its rotation in the convention of glTF and COLLADA, which look down their
// -z with y up: right, up, and back (the direction looked in, negated).
struct CameraPose {
  double eye[3];
  double right[3], up[3], back[3];
};

// False for a camera without a direction to look in (look_at on the
// location, or values that are not finite).
bool PoseOf(const MCamera& camera, bool keep_handedness, CameraPose* pose);

// The clip distances for a camera at `eye` that sees all of a scene within
// the box `low`..`high` (written axes; `any` false for a scene with nothing
// in it) with room to move back: far is four times the distance to the
// farthest point the box's sphere can hold, near 1/10,000 of far (the depth
// a 24-bit buffer resolves well).
struct ClipRange {
  double near_distance, far_distance;
};
ClipRange ClipRangeFor(const double eye[3], const double low[3], const double high[3], bool any);
