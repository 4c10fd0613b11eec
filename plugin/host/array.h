// A growable array of plain values in host memory, the storage behind the
// host's meshes. The owner (a mesh) frees it with Release(); copying is not
// allowed. Growth is geometric through korvan_grow_array, so appending n
// items costs O(n) and a handful of allocations, never one per item.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "plugin/host/api.h"

// Makes room for at least `min_capacity` items of `item_size` bytes in the
// block `*data` (null for none) that holds `*capacity` items, keeping its
// contents. Answers false, leaving everything as it was, when memory is out.
KORVAN_API bool korvan_grow_array(void** data, int64_t* capacity, size_t item_size,
                                  int64_t min_capacity);
KORVAN_API void korvan_free_array(void* data);

template <class T>
class HostArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  HostArray() = default;
  HostArray(const HostArray&) = delete;
  HostArray& operator=(const HostArray&) = delete;
  ~HostArray() { Release(); }

  int64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const T* data() const { return data_; }
  const T& operator[](int64_t i) const { return data_[i]; }
  T& operator[](int64_t i) { return data_[i]; }

  // Appends `value`; answers false (nothing appended) when memory is out.
  bool push_back(const T& value) {
    if (size_ == capacity_ && !Grow(size_ + 1)) return false;
    data_[size_++] = value;
    return true;
  }
  // Appends `n` values; all or nothing.
  bool append(const T* values, int64_t n) {
    if (size_ + n > capacity_ && !Grow(size_ + n)) return false;
    std::memcpy(data_ + size_, values, sizeof(T) * n);
    size_ += n;
    return true;
  }
  void clear() { size_ = 0; }
  // Drops the items from position `n` on.
  void truncate(int64_t n) {
    if (n < size_) size_ = n;
  }
  void Release() {
    korvan_free_array(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  bool Grow(int64_t min_capacity) {
    void* block = data_;
    bool ok = korvan_grow_array(&block, &capacity_, sizeof(T), min_capacity);
    data_ = static_cast<T*>(block);
    return ok;
  }

  T* data_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_ = 0;
};
