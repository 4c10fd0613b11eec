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

// Powers of ten that are exact doubles.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr uint64_t kMaxExactInteger = uint64_t{1} << 53;

}  // namespace

std::from_chars_result DecimalFromChars(const char* first, const char* last, double& value) {
  const char* p = first;
  const bool negative = p < last && *p == '-';
  if (negative) ++p;
  uint64_t digits = 0;
  int count = 0;  // digits taken, leading zeros included
  int scale = 0;  // the power of ten the digits are to be multiplied by
  for (; p < last && IsDigit(*p); ++p, ++count) digits = digits * 10 + (*p - '0');
  if (p < last && *p == '.') {
    for (++p; p < last && IsDigit(*p); ++p, ++count, --scale) digits = digits * 10 + (*p - '0');
  }
  // No digits, too many to hold exactly, or not all of them: the library's.
  if (count == 0 || count > 19 || digits > kMaxExactInteger) {
    return std::from_chars(first, last, value);
  }
  if (p < last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    const bool minus = q < last && *q == '-';
    if (q < last && (*q == '-' || *q == '+')) ++q;
    if (q < last && IsDigit(*q)) {  // else the exponent is not part of the number
      int exponent = 0;
      for (; q < last && IsDigit(*q); ++q) {
        if (exponent > 1000) return std::from_chars(first, last, value);
        exponent = exponent * 10 + (*q - '0');
      }
      scale += minus ? -exponent : exponent;
      p = q;
    }
  }
  if (scale < -kMaxExactPower || scale > kMaxExactPower) return std::from_chars(first, last, value);
  double result = static_cast<double>(digits);
  result = scale < 0 ? result / kExactPowersOfTen[-scale] : result * kExactPowersOfTen[scale];
  value = negative ? -result : result;
  return {p, std::errc()};
}

double TokenToDouble(const char* token) {
  return token == nullptr ? 0.0 : TokenToDouble(token, std::strlen(token));
}

double TokenToDouble(const char* token, size_t length) {
  if (token == nullptr) return 0.0;
  if (FromCharsAgrees(token)) {
    double value;
    auto [ptr, ec] = DecimalFromChars(token, token + length, value);
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
