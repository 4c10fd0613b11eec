// Number tokens: the values strtod and atoi give, bit for bit, with a fast
// path for the plain decimal forms. A null token (the end of the input) is
// never converted and reads as 0.
#pragma once

#include <cstddef>

// strtod(token, nullptr): the leading floating-point number (hex, inf and nan
// forms included), 0.0 when the token does not begin with one.
double TokenToDouble(const char* token);
// The same for a token of known `length` (its terminator at token[length]).
double TokenToDouble(const char* token, size_t length);
// atoi(token) as glibc computes it, (int)strtol(token, nullptr, 10): the
// leading decimal integer, 0 when there is none.
int TokenToInt(const char* token);
