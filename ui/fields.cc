#include "ui/fields.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kFieldTextMax = 254;  // what the dialog reads of a field

std::string FieldText(const std::string& text) { return text.substr(0, kFieldTextMax); }

}  // namespace

DoubleField ReadDoubleField(const std::string& text, double fallback) {
  DoubleField field{fallback, false, ""};
  const int scanned = std::sscanf(FieldText(text).c_str(), "%lf", &field.value);
  if (scanned == 0) {
    field.malformed = true;
    field.value = fallback;
  } else if (scanned != 1) {
    field.value = fallback;  // blank: the end of the input, no message
  }
  char shown[64];
  // Bounded: a huge value's "%.3f" form does not fit 64 characters.
  if (std::snprintf(shown, sizeof shown, "%.3f", field.value) >= static_cast<int>(sizeof shown)) {
    std::snprintf(shown, sizeof shown, "%g", field.value);
  }
  field.shown = shown;
  return field;
}

IntField ReadIntField(const std::string& text, int fallback) {
  IntField field{fallback, false, ""};
  const int scanned = std::sscanf(FieldText(text).c_str(), "%d", &field.value);
  if (scanned == 0) {
    field.malformed = true;
    field.value = fallback;
  } else if (scanned != 1) {
    field.value = fallback;
  }
  field.shown = std::to_string(field.value);
  return field;
}

void DropTrailingSeparator(char* folder) {
  const size_t n = std::strlen(folder);
  if (n > 0 && folder[n - 1] == '/') folder[n - 1] = '\0';
}

void EnsureTrailingSeparator(char* path) {
  size_t n = std::strlen(path);
  if (n > 0 && path[n - 1] == '/') return;
  if (n + 1 >= kFolderPathCapacity) n = kFolderPathCapacity - 2;
  path[n] = '/';
  path[n + 1] = '\0';
}
