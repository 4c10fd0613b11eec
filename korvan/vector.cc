// Built with -ffp-contract=off: Normal must give the same bits everywhere.
#include "plugin/host/vector.h"

#include <cmath>

MVector3 Normal(const MVector3& a, const MVector3& b, const MVector3& c) {
  const double ex = b.x - a.x, ey = b.y - a.y, ez = b.z - a.z;
  const double fx = c.x - a.x, fy = c.y - a.y, fz = c.z - a.z;
  const double nx = ey * fz - ez * fy;
  const double ny = ez * fx - ex * fz;
  const double nz = ex * fy - ey * fx;
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0.0) || !std::isfinite(length)) return MVector3();
  return MVector3(nx / length, ny / length, nz / length);
}
