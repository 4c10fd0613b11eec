// Hasher: FNV-1a over the bytes of plain values, for the fingerprints that
// tell geometry, functions and pigments that compute the same apart from
// those that do not (not for security). A value type; no state beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "sdl/transform.h"

namespace sdl {

class Hasher {
 public:
  void AddBytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ bytes[i]) * 1099511628211ULL;
  }
  template <class T>
  void Add(const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    AddBytes(&value, sizeof value);
  }
  void Add(const Vec3& v) {
    Add(v.x);
    Add(v.y);
    Add(v.z);
  }
  void Add(const std::vector<Vec3>& points) {
    Add(points.size());
    for (const Vec3& p : points) Add(p);
  }
  void Add(const std::vector<double>& values) {
    Add(values.size());
    for (double v : values) Add(v);
  }
  uint64_t hash() const { return hash_; }

 private:
  uint64_t hash_ = 14695981039346656037ULL;
};

}  // namespace sdl
