// Number tokens: the values strtod and atoi give, bit for bit, with a fast
// path for the plain decimal forms. A null token (the end of the input) is
// never converted and reads as 0.
#pragma once

#include <charconv>
#include <cstddef>

// strtod(token, nullptr): the leading floating-point number (hex, inf and nan
// forms included), 0.0 when the token does not begin with one.
double TokenToDouble(const char* token);
// The same for a token of known `length` (its terminator at token[length]).
double TokenToDouble(const char* token, size_t length);
// atoi(token) as glibc computes it, (int)strtol(token, nullptr, 10): the
// leading decimal integer, 0 when there is none.
int TokenToInt(const char* token);

// std::from_chars(first, last, value) for decimal text: the same value, bit
// for bit, and the same result. Plain numbers of up to 19 digits whose
// exponent is small take a shortcut that is exact (the digits and the power
// of ten are both exact doubles, so one operation rounds correctly).
std::from_chars_result DecimalFromChars(const char* first, const char* last, double& value);
