#include "shapes/blob.h"

#include <algorithm>
#include <cmath>

#include "implicit/mesher.h"

namespace shapes {

namespace {

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The component's reach in its own space.
Bounds LocalReach(const BlobComponent& c) {
  const double r = std::fabs(c.radius);
  Bounds out;
  out.Add({c.a.x - r, c.a.y - r, c.a.z - r});
  out.Add({c.a.x + r, c.a.y + r, c.a.z + r});
  if (c.cylinder) {
    out.Add({c.b.x - r, c.b.y - r, c.b.z - r});
    out.Add({c.b.x + r, c.b.y + r, c.b.z + r});
  }
  return out;
}

// The radius of the ball a lone component makes at the threshold.
double SurfaceRadius(const BlobComponent& c, double threshold) {
  const double r = std::fabs(c.radius) * c.scale;
  if (!(c.strength > 0) || !(threshold > 0)) return r;
  return r * std::sqrt(std::max(1 - std::sqrt(std::min(threshold / c.strength, 1.0)), 0.05));
}

// The cell that resolves the smallest component within the tolerance.
double BlobCell(const Blob& blob, double tolerance) {
  double smallest = HUGE_VAL, largest = 0;
  for (const BlobComponent& c : blob.components) {
    // One too weak to pass the threshold alone only shapes the others.
    if (!(c.strength >= blob.threshold) && blob.threshold > 0) continue;
    const double r = SurfaceRadius(c, blob.threshold);
    smallest = std::min(smallest, r);
    largest = std::max(largest, r);
  }
  if (!(largest > 0)) {
    // Only weak components: they pass the threshold together, about their
    // own sizes.
    for (const BlobComponent& c : blob.components) {
      if (c.strength > 0) largest = std::max(largest, std::fabs(c.radius) * c.scale);
    }
    smallest = largest * 0.3;
  }
  if (!(largest > 0)) return 0;
  const double t = std::clamp(std::isfinite(tolerance) ? tolerance : 0.005, 1e-6, 0.5);
  return 4.5 * std::max(smallest, largest / 50) * std::sqrt(t);
}

}  // namespace

BlobField::BlobField(const Blob& blob) : blob_(blob) {
  double largest = 0;
  smallest_ = HUGE_VAL;
  for (const BlobComponent& c : blob.components) {
    const Bounds reach = LocalReach(c).Transformed(c.to_local.Inverse());
    placed_.push_back({&c, reach.min, reach.max});
    largest = std::max(
        {largest, reach.max.x - reach.min.x, reach.max.y - reach.min.y, reach.max.z - reach.min.z});
    smallest_ = std::min(smallest_, std::fabs(c.radius) * c.scale);
  }
  // A third of the largest reach: each lookup meets few components.
  bucket_ = largest > 0 ? largest / 3 : 1;
  for (size_t i = 0; i < placed_.size(); ++i) {
    const Placed& p = placed_[i];
    for (int64_t x = std::floor(p.lo.x / bucket_); x <= std::floor(p.hi.x / bucket_); ++x) {
      for (int64_t y = std::floor(p.lo.y / bucket_); y <= std::floor(p.hi.y / bucket_); ++y) {
        for (int64_t z = std::floor(p.lo.z / bucket_); z <= std::floor(p.hi.z / bucket_); ++z) {
          // Cells may share a bucket (its key is a hash): a component
          // goes into each list once.
          auto& list = buckets_[Bucket(x, y, z)];
          if (list.empty() || list.back() != static_cast<int32_t>(i)) {
            list.push_back(static_cast<int32_t>(i));
          }
        }
      }
    }
  }
}

uint64_t BlobField::Bucket(int64_t x, int64_t y, int64_t z) const {
  return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ULL ^
         static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4FULL ^ static_cast<uint64_t>(z);
}

double BlobField::Contribution(const BlobComponent& c, const Vec3& p) const {
  const Vec3 q = c.to_local.Point(p);
  double d2;
  if (c.cylinder) {
    const Vec3 axis = Sub(c.b, c.a), from = Sub(q, c.a);
    const double l2 = Dot(axis, axis);
    const double t = l2 > 0 ? std::clamp(Dot(from, axis) / l2, 0.0, 1.0) : 0;
    const Vec3 d{from.x - t * axis.x, from.y - t * axis.y, from.z - t * axis.z};
    d2 = Dot(d, d);
  } else {
    const Vec3 d = Sub(q, c.a);
    d2 = Dot(d, d);
  }
  const double r2 = c.radius * c.radius;
  if (!(d2 < r2)) return 0;
  const double f = 1 - d2 / r2;
  return c.strength * f * f;
}

double BlobField::Density(const Vec3& p) const {
  const auto it = buckets_.find(Bucket(static_cast<int64_t>(std::floor(p.x / bucket_)),
                                       static_cast<int64_t>(std::floor(p.y / bucket_)),
                                       static_cast<int64_t>(std::floor(p.z / bucket_))));
  if (it == buckets_.end()) return 0;
  double sum = 0;
  for (int32_t i : it->second) {
    const Placed& c = placed_[static_cast<size_t>(i)];
    if (p.x < c.lo.x || p.x > c.hi.x || p.y < c.lo.y || p.y > c.hi.y || p.z < c.lo.z ||
        p.z > c.hi.z) {
      continue;
    }
    sum += Contribution(*c.c, p);
  }
  return sum;
}

bool BlobField::MayCross(const Vec3& lo, const Vec3& hi) const {
  // The most the density can be in the box: the positive strengths of the
  // components that reach it, found through the buckets it meets (one in
  // several buckets counts more than once: the bound only grows).
  const int64_t x0 = static_cast<int64_t>(std::floor(lo.x / bucket_)),
                x1 = static_cast<int64_t>(std::floor(hi.x / bucket_)),
                y0 = static_cast<int64_t>(std::floor(lo.y / bucket_)),
                y1 = static_cast<int64_t>(std::floor(hi.y / bucket_)),
                z0 = static_cast<int64_t>(std::floor(lo.z / bucket_)),
                z1 = static_cast<int64_t>(std::floor(hi.z / bucket_));
  if ((x1 - x0 + 1) * (y1 - y0 + 1) * (z1 - z0 + 1) > static_cast<int64_t>(buckets_.size())) {
    return true;  // a block larger than the buckets: look inside it
  }
  double most = 0;
  for (int64_t x = x0; x <= x1; ++x) {
    for (int64_t y = y0; y <= y1; ++y) {
      for (int64_t z = z0; z <= z1; ++z) {
        const auto it = buckets_.find(Bucket(x, y, z));
        if (it == buckets_.end()) continue;
        for (int32_t i : it->second) {
          const Placed& c = placed_[static_cast<size_t>(i)];
          if (c.hi.x < lo.x || c.lo.x > hi.x || c.hi.y < lo.y || c.lo.y > hi.y || c.hi.z < lo.z ||
              c.lo.z > hi.z) {
            continue;
          }
          most += std::max(c.c->strength, 0.0);
          if (most >= blob_.threshold) return true;
        }
      }
    }
  }
  return false;
}

Bounds BlobField::Reach() const {
  Bounds out;
  for (const Placed& c : placed_) {
    out.Add(c.lo);
    out.Add(c.hi);
  }
  return out;
}

Bounds BlobBounds(const Blob& blob) {
  Bounds out;
  auto ball = [&out](const BlobComponent& c, const Vec3& centre, double r) {
    const Vec3 at = c.to_local.Inverse().Point(centre);
    const double reach = r * c.scale;
    out.Add({at.x - reach, at.y - reach, at.z - reach});
    out.Add({at.x + reach, at.y + reach, at.z + reach});
  };
  for (const BlobComponent& c : blob.components) {
    const double r = std::fabs(c.radius);
    ball(c, c.a, r);
    if (c.cylinder) {
      ball(c, c.b, r);
      const Vec3 half{(c.b.x - c.a.x) / 2, (c.b.y - c.a.y) / 2, (c.b.z - c.a.z) / 2};
      ball(c, {c.a.x + half.x, c.a.y + half.y, c.a.z + half.z}, std::sqrt(Dot(half, half) + r * r));
    }
  }
  return out;
}

bool InsideBlob(const Blob& blob, const Vec3& p) {
  return BlobField(blob).Density(p) > blob.threshold;
}

void BlobMesh(const Blob& blob, double tolerance, MeshBuilder& out) {
  const BlobField field(blob);
  const Bounds reach = field.Reach();
  const double cell = BlobCell(blob, tolerance);
  if (reach.Empty() || !(cell > 0)) return;
  implicit::Grid grid;
  grid.min = {reach.min.x - cell, reach.min.y - cell, reach.min.z - cell};
  grid.max = {reach.max.x + cell, reach.max.y + cell, reach.max.z + cell};
  grid.cell = cell;
  grid.may_cross = [&field](const Vec3& lo, const Vec3& hi) { return field.MayCross(lo, hi); };
  implicit::Surface surface;
  constexpr int64_t kMostTriangles = 8'000'000;
  implicit::MeshSurface(
      [&field, &blob](const Vec3& p) { return blob.threshold - field.Density(p); }, grid,
      kMostTriangles, surface);
  // Within the tolerance of the smallest ball it makes (the cell's basis).
  out.Surface(std::move(surface), cell / 4.5 * std::sqrt(std::clamp(tolerance, 1e-6, 0.5)) * 0.5);
}

int64_t BlobTriangles(const Blob& blob, double tolerance) {
  const double cell = BlobCell(blob, tolerance);
  if (!(cell > 0)) return 0;
  double area = 0;
  for (const BlobComponent& c : blob.components) {
    const double r = SurfaceRadius(c, blob.threshold);
    area += 4 * M_PI * r * r;
  }
  return static_cast<int64_t>(std::min(4 * area / (cell * cell), 1e12));
}

}  // namespace shapes
