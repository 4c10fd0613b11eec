// A growable array of plain values in host memory, the storage behind the
// host's meshes. The owner (a mesh) frees it with Release(); copying is not
// allowed. Growth is geometric through korvan_grow_array, so appending n
// items costs O(n) and a handful of allocations, never one per item.
// HostArrayAllocator gives standard containers the same blocks.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
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

// An allocator for a plug-in's own large arrays of plain values (a mesh as
// read, before it goes to the host): blocks of 1 MiB and more come from the
// host's array blocks, which the system can back with large pages (first
// touching them costs a fraction of fresh small pages); smaller ones from
// operator new. Throws std::bad_alloc when memory is out, as
// std::allocator does. Stateless; any thread.
template <class T>
struct HostArrayAllocator {
  static_assert(std::is_trivially_copyable_v<T>);
  using value_type = T;
  static constexpr size_t kLargeBytes = size_t{1} << 20;

  HostArrayAllocator() = default;
  template <class U>
  HostArrayAllocator(const HostArrayAllocator<U>&) {}

  T* allocate(size_t n) {
    if (n > static_cast<size_t>(INT64_MAX) / 2 / sizeof(T)) throw std::bad_alloc();
    if (n * sizeof(T) < kLargeBytes) return static_cast<T*>(::operator new(n * sizeof(T)));
    void* data = nullptr;
    int64_t capacity = 0;
    if (!korvan_grow_array(&data, &capacity, sizeof(T), static_cast<int64_t>(n))) {
      throw std::bad_alloc();
    }
    return static_cast<T*>(data);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kLargeBytes) {
      ::operator delete(p);
    } else {
      korvan_free_array(p);
    }
  }
  friend bool operator==(const HostArrayAllocator&, const HostArrayAllocator&) { return true; }
};
