#include "sdl/values.h"

#include <cstdio>

namespace sdl {

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::kNone:
      return "nothing";
    case ValueType::kFloat:
      return "a float";
    case ValueType::kVector:
      return "a vector";
    case ValueType::kString:
      return "a string";
    case ValueType::kArray:
      return "an array";
    case ValueType::kObject:
      return "an object";
    case ValueType::kTexture:
      return "a texture";
    case ValueType::kTransform:
      return "a transform";
    case ValueType::kMacro:
      return "a macro";
    case ValueType::kOther:
      return "a declared item";
  }
  return "a value";
}

void Promote(const Value& value, int dim, double* out) {
  if (value.type == ValueType::kFloat) {
    for (int i = 0; i < dim; ++i) out[i] = value.v[0];
    return;
  }
  for (int i = 0; i < dim; ++i) out[i] = i < value.dim ? value.v[i] : 0.0;
}

std::string FormatNumber(double value, int width, int precision) {
  char buffer[128];
  if (precision < 0) precision = 6;
  if (precision > 40) precision = 40;
  if (width < 0 || width > 60) width = 0;
  std::snprintf(buffer, sizeof buffer, "%*.*f", width, precision, value);
  return buffer;
}

}  // namespace sdl
