#include "reader/numbers.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Tokens that std::from_chars reads exactly as strtod does: an optional
// "-", then a digit or "." and no hexadecimal prefix. Everything else
// ("+1", "0x1p3", "inf", words) goes to strtod itself.
bool FromCharsAgrees(const char* token) {
  const char* p = token[0] == '-' ? token + 1 : token;
  if (!IsDigit(p[0]) && p[0] != '.') return false;
  return !(p[0] == '0' && (p[1] == 'x' || p[1] == 'X'));
}

}  // namespace

double TokenToDouble(const char* token) {
  if (token == nullptr) return 0.0;
  if (FromCharsAgrees(token)) {
    double value;
    const char* end = token + std::strlen(token);
    auto [ptr, ec] = std::from_chars(token, end, value);
    // Both round correctly; out-of-range values and "." alone go to strtod.
    if (ec == std::errc() && ptr != token) return value;
  }
  const int saved = errno;
  double value = std::strtod(token, nullptr);
  errno = saved;
  return value;
}

int TokenToInt(const char* token) {
  if (token == nullptr) return 0;
  const char* p = token;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // strtol saturates at LONG_MIN / LONG_MAX; glibc's atoi keeps the low
  // 32 bits of that long.
  uint64_t magnitude = 0;
  bool overflow = false;
  for (; IsDigit(*p); ++p) {
    const uint64_t digit = static_cast<uint64_t>(*p - '0');
    if (magnitude > (UINT64_MAX - digit) / 10) {
      overflow = true;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  long value;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  if (overflow || magnitude > limit) {
    value = negative ? LONG_MIN : LONG_MAX;
  } else {
    value = negative ? static_cast<long>(0 - magnitude) : static_cast<long>(magnitude);
  }
  return static_cast<int>(value);
}
