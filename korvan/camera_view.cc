#include "korvan/camera_view.h"

namespace {

struct Vec {
  double x = 0, y = 0, z = 0;
};

Vec Sub(const Vec& a, const Vec& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec Cross(const Vec& a, const Vec& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
Vec Unit(const Vec& v) {
  const double l = Length(v);
  return l > 0 ? Vec{v.x / l, v.y / l, v.z / l} : Vec{};
}
void Store(const Vec& v, double out[3]) {
  out[0] = v.x;
  out[1] = v.y;
  out[2] = v.z;
}

}  // namespace

bool PoseOf(const MCamera& camera, bool keep_handedness, CameraPose* pose) {
  auto axes = [keep_handedness](const MVector3& v) {
    return Vec{v.x, v.y, keep_handedness ? v.z : -v.z};
  };
  const Vec eye = axes(camera.location);
  const Vec forward = Unit(Sub(axes(camera.look_at), eye));
  Vec right = Unit(Cross(forward, axes(camera.sky)));
  if (Length(right) == 0) right = Unit(Cross(forward, Vec{0, 0, 1}));
  if (!std::isfinite(eye.x + eye.y + eye.z) || Length(forward) == 0 || Length(right) == 0) {
    return false;
  }
  Store(eye, pose->eye);
  Store(right, pose->right);
  Store(Cross(right, forward), pose->up);
  Store(Vec{-forward.x, -forward.y, -forward.z}, pose->back);
  return true;
}

ClipRange ClipRangeFor(const double eye[3], const double low[3], const double high[3], bool any) {
  Vec center, corner;
  if (any) {
    center = {(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
    corner = {high[0], high[1], high[2]};
  }
  double radius = Length(Sub(corner, center));
  if (!(radius > 0)) radius = 1;
  double far = 4 * (Length(Sub(center, Vec{eye[0], eye[1], eye[2]})) + radius);
  if (!std::isfinite(far)) far = 1e6;
  return {far / 1e4, far};
}
