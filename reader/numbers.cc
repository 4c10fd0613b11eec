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
  return token == nullptr ? 0.0 : TokenToDouble(token, std::strlen(token));
}

double TokenToDouble(const char* token, size_t length) {
  if (token == nullptr) return 0.0;
  if (FromCharsAgrees(token)) {
    double value;
    auto [ptr, ec] = std::from_chars(token, token + length, value);
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
  // Up to 18 digits cannot overflow: the common case, without checks.
  int64_t small = 0;
  const char* q = p;
  while (IsDigit(*q) && q - p < 18) small = small * 10 + (*q++ - '0');
  if (!IsDigit(*q)) return static_cast<int>(negative ? -small : small);
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
