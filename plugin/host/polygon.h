// MIPolygon: the corner indices of one face, filled by Add and handed to a
// mesh's Add_Face / Add_NFace / Add_UVFace, which copy it. Indices are kept
// exactly as given (0-based in the scene file's sense, never checked). Lives
// on the stack; up to kInline corners need no allocation.
#pragma once

#include <cstdint>

#include "plugin/host/api.h"
#include "plugin/host/memory.h"

class KORVAN_API MIPolygon {
 public:
  static constexpr int kInline = 4;

  // `reserved` carries no meaning for this host; the reader passes 0.
  explicit MIPolygon(int reserved = 0);
  MIPolygon(const MIPolygon&) = delete;
  MIPolygon& operator=(const MIPolygon&) = delete;
  ~MIPolygon();

  // Appends one corner index; a corner that finds no memory is dropped.
  void Add(int32_t index) {
    if (count_ < capacity_) {
      corners_[count_++] = index;
    } else {
      AddSlow(index);
    }
  }
  void Set_MatId(int32_t material) { material_ = material; }

  int32_t Get_Count() const { return count_; }
  int32_t Get_MatId() const { return material_; }
  const int32_t* Get_Corners() const { return corners_; }

 private:
  void AddSlow(int32_t index);

  int32_t* corners_;  // inline_ or a my_malloc block
  int32_t count_ = 0;
  int32_t capacity_ = kInline;
  int32_t material_ = 0;
  int32_t inline_[kInline];
};
