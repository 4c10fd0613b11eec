#include "sdl/transform.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace sdl {

namespace {

constexpr double kIdentity[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};

// a * b for affine matrices in row-vector form.
void Multiply(const double a[4][3], const double b[4][3], double out[4][3]) {
  double r[4][3];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    }
  }
  for (int j = 0; j < 3; ++j) r[3][j] += b[3][j];
  std::memcpy(out, r, sizeof r);
}

// The inverse of an affine matrix; false when its linear part is singular.
bool Invert(const double m[4][3], double out[4][3]) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (det == 0 || !std::isfinite(det)) return false;
  double r[4][3];
  r[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
  r[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  r[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  r[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
  r[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  r[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  r[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
  r[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  r[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  for (int j = 0; j < 3; ++j) {
    r[3][j] = -(m[3][0] * r[0][j] + m[3][1] * r[1][j] + m[3][2] * r[2][j]);
  }
  std::memcpy(out, r, sizeof r);
  return true;
}

Transform FromMatrix(const double m[4][3]);

}  // namespace

Transform::Transform() {
  std::memcpy(m_, kIdentity, sizeof m_);
  std::memcpy(inv_, kIdentity, sizeof inv_);
}

namespace {

Transform FromMatrix(const double m[4][3]) {
  double flat[12];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) flat[i * 3 + j] = m[i][j];
  }
  return Transform::Matrix(flat);
}

}  // namespace

Transform Transform::Translate(const Vec3& v) {
  const double m[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {v.x, v.y, v.z}};
  return FromMatrix(m);
}

Transform Transform::Scale(const Vec3& v) {
  const double m[4][3] = {{v.x, 0, 0}, {0, v.y, 0}, {0, 0, v.z}, {0, 0, 0}};
  return FromMatrix(m);
}

Transform Transform::Rotate(const Vec3& degrees) {
  const double rx = degrees.x * M_PI / 180.0, ry = degrees.y * M_PI / 180.0,
               rz = degrees.z * M_PI / 180.0;
  const double cx = std::cos(rx), sx = std::sin(rx);
  const double cy = std::cos(ry), sy = std::sin(ry);
  const double cz = std::cos(rz), sz = std::sin(rz);
  const double mx[4][3] = {{1, 0, 0}, {0, cx, sx}, {0, -sx, cx}, {0, 0, 0}};
  const double my[4][3] = {{cy, 0, -sy}, {0, 1, 0}, {sy, 0, cy}, {0, 0, 0}};
  const double mz[4][3] = {{cz, sz, 0}, {-sz, cz, 0}, {0, 0, 1}, {0, 0, 0}};
  Transform t = FromMatrix(mx);
  t.Then(FromMatrix(my));
  t.Then(FromMatrix(mz));
  return t;
}

Transform Transform::Matrix(const double m[12]) {
  Transform t;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) t.m_[i][j] = m[i * 3 + j];
  }
  t.identity_ = std::memcmp(t.m_, kIdentity, sizeof t.m_) == 0;
  t.invertible_ = Invert(t.m_, t.inv_);
  if (!t.invertible_) std::memcpy(t.inv_, kIdentity, sizeof t.inv_);
  return t;
}

void Transform::Then(const Transform& next) {
  if (next.identity_) return;
  Multiply(m_, next.m_, m_);
  Multiply(next.inv_, inv_, inv_);
  identity_ = false;
  invertible_ = invertible_ && next.invertible_;
}

Transform Transform::Inverse() const {
  Transform t = *this;
  std::swap(t.m_, t.inv_);
  return t;
}

Vec3 Transform::Point(const Vec3& p) const {
  if (identity_) return p;
  return {p.x * m_[0][0] + p.y * m_[1][0] + p.z * m_[2][0] + m_[3][0],
          p.x * m_[0][1] + p.y * m_[1][1] + p.z * m_[2][1] + m_[3][1],
          p.x * m_[0][2] + p.y * m_[1][2] + p.z * m_[2][2] + m_[3][2]};
}

Vec3 Transform::Normal(const Vec3& n) const {
  if (identity_) return n;
  // n' = n * (M^-1)^T: row i of the result uses row i of the inverse.
  return {n.x * inv_[0][0] + n.y * inv_[0][1] + n.z * inv_[0][2],
          n.x * inv_[1][0] + n.y * inv_[1][1] + n.z * inv_[1][2],
          n.x * inv_[2][0] + n.y * inv_[2][1] + n.z * inv_[2][2]};
}

Vec3 Transform::Vector(const Vec3& v) const {
  return {v.x * m_[0][0] + v.y * m_[1][0] + v.z * m_[2][0],
          v.x * m_[0][1] + v.y * m_[1][1] + v.z * m_[2][1],
          v.x * m_[0][2] + v.y * m_[1][2] + v.z * m_[2][2]};
}

double Transform::LargestScale() const {
  // The square root of the largest eigenvalue of M Mt, by power iteration
  // from a start that no rotation makes orthogonal to every eigenvector.
  double a[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      a[i][j] = m_[i][0] * m_[j][0] + m_[i][1] * m_[j][1] + m_[i][2] * m_[j][2];
    }
  }
  double v[3] = {0.57735, 0.57735 + 1e-3, 0.57735 - 2e-3}, lambda = 0;
  for (int it = 0; it < 64; ++it) {
    double w[3];
    for (int i = 0; i < 3; ++i) w[i] = a[i][0] * v[0] + a[i][1] * v[1] + a[i][2] * v[2];
    const double l = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    if (!(l > 0) || !std::isfinite(l)) return std::isfinite(l) ? 0 : HUGE_VAL;
    for (int i = 0; i < 3; ++i) v[i] = w[i] / l;
    if (std::fabs(l - lambda) <= 1e-12 * l) {
      lambda = l;
      break;
    }
    lambda = l;
  }
  return std::sqrt(lambda);
}

bool Transform::Mirrors() const {
  const double det = m_[0][0] * (m_[1][1] * m_[2][2] - m_[1][2] * m_[2][1]) -
                     m_[0][1] * (m_[1][0] * m_[2][2] - m_[1][2] * m_[2][0]) +
                     m_[0][2] * (m_[1][0] * m_[2][1] - m_[1][1] * m_[2][0]);
  return det < 0;
}

void Transform::Rows(double out[12]) const {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) out[i * 3 + j] = m_[i][j];
  }
}

}  // namespace sdl
