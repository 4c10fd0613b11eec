#include "plugin/host/polygon.h"

#include <cstring>

MIPolygon::MIPolygon(int /*reserved*/) : corners_(inline_) {}

MIPolygon::~MIPolygon() {
  if (corners_ != inline_) my_free(corners_);
}

void MIPolygon::AddSlow(int32_t index) {
  if (capacity_ > INT32_MAX / 2) return;
  const int32_t capacity = capacity_ * 2;
  auto* grown = static_cast<int32_t*>(my_malloc(sizeof(int32_t) * capacity));
  if (grown == nullptr) return;
  std::memcpy(grown, corners_, sizeof(int32_t) * count_);
  if (corners_ != inline_) my_free(corners_);
  corners_ = grown;
  capacity_ = capacity;
  corners_[count_++] = index;
}
