// BlobField: a blob's density made quick to evaluate (its components in a
// grid of buckets by their reach), its inside test, box and mesh. Built
// once from the shape; read-only afterwards and safe to share between
// threads.
#pragma once

#include <unordered_map>
#include <vector>

#include "shapes/mesh_builder.h"
#include "shapes/shape.h"

namespace shapes {

class BlobField {
 public:
  explicit BlobField(const Blob& blob);

  double Density(const Vec3& p) const;
  // Whether the surface may cross the box lo..hi: some component reaches
  // it whose strengths could bring the density to the threshold.
  bool MayCross(const Vec3& lo, const Vec3& hi) const;
  // A box around every component's reach.
  Bounds Reach() const;
  double SmallestRadius() const { return smallest_; }

 private:
  struct Placed {
    const BlobComponent* c;
    Vec3 lo, hi;  // its reach in the blob's space
  };
  double Contribution(const BlobComponent& c, const Vec3& p) const;
  uint64_t Bucket(int64_t x, int64_t y, int64_t z) const;

  const Blob& blob_;
  std::vector<Placed> placed_;
  double bucket_ = 1, smallest_ = 1;
  std::unordered_map<uint64_t, std::vector<int32_t>> buckets_;
};

// POV-Ray's box: each sphere component's ball, scaled by its largest
// scale; a cylinder's two end balls and the ball about its middle.
Bounds BlobBounds(const Blob& blob);
bool InsideBlob(const Blob& blob, const Vec3& p);
void BlobMesh(const Blob& blob, double tolerance, MeshBuilder& out);
int64_t BlobTriangles(const Blob& blob, double tolerance);

}  // namespace shapes
