#include "reader/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const kNumberTokens[] = {
    "0",
    "1",
    "-1",
    "+1",
    "1.5",
    "-1.5e-3",
    "3e-1",
    "1e-3",
    ".5",
    "-.5",
    "5.",
    "1+1",
    "1e",
    "1e+",
    "1.5.3",
    "00012",
    "-0",
    "-0.0",
    "x",
    "-",
    ".",
    "-.",
    "+",
    "1e400",
    "-1e400",
    "1e-400",
    "4.9e-324",
    "2.2250738585072011e-308",
    "0.1",
    "123456789012345678901234567890",
    "0x1p3",
    "0X10",
    "-0x1.8p1",
    "inf",
    "-inf",
    "INF",
    "infinity",
    "nan",
    "1_000",
    "7.9",
    "12abc",
    "9007199254740993",
    "1.7976931348623157e308",
    "1.7976931348623159e308",
    "e5",
    "0e0",
    "0.000000000000000000000000000001",
    "2147483648",
    "-2147483649",
    "99999999999999999999",
    "-99999999999999999999",
    "4294967296",
    "2147483647",
    "-2147483648",
    "+-1",
    "--1",
    "0012abc",
};

TEST(Numbers, DoubleIsStrtodBitForBit) {
  for (const char* token : kNumberTokens) {
    const double expected = std::strtod(token, nullptr);
    const double got = TokenToDouble(token);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(got)) << "token: " << token;
    } else {
      EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0)
          << "token: " << token << " strtod " << expected << " got " << got;
    }
  }
}

TEST(Numbers, IntIsAtoi) {
  for (const char* token : kNumberTokens) {
    EXPECT_EQ(TokenToInt(token), std::atoi(token)) << "token: " << token;
  }
}

TEST(Numbers, MissingTokenIsZero) {
  EXPECT_EQ(TokenToDouble(nullptr), 0.0);
  EXPECT_EQ(TokenToInt(nullptr), 0);
}

}  // namespace
