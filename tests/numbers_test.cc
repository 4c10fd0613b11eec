#include "reader/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

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

TEST(Numbers, DecimalFromCharsIsFromCharsBitForBit) {
  // Random decimal texts around the shortcut's limits (19 digits, 2^53,
  // powers of ten up to 22, exponents given and implied by the point), with
  // the table's tokens and a character after the number or not.
  std::vector<std::string> texts(std::begin(kNumberTokens), std::end(kNumberTokens));
  std::mt19937 random(5);
  auto digits = [&](int n) {
    std::string d;
    for (int i = 0; i < n; ++i) d += static_cast<char>('0' + random() % 10);
    return d;
  };
  const char* tails[] = {"", "", "x", ",", ".", "e", "e+", "E-"};
  for (int i = 0; i < 200000; ++i) {
    std::string t = random() % 4 == 0 ? "-" : "";
    t += digits(random() % 12);
    if (random() % 2 == 0) {
      t += '.';
      t += digits(random() % 12);
    }
    if (random() % 3 == 0) {
      t += random() % 2 == 0 ? "e" : "E";
      t += random() % 3 == 0 ? "-" : random() % 2 == 0 ? "+" : "";
      t += digits(random() % 3);
    }
    t += tails[random() % std::size(tails)];
    texts.push_back(t);
  }
  texts.push_back("9007199254740993");      // 2^53 + 1: not exact
  texts.push_back("9007199254740992e-22");  // 2^53 at the smallest exact power
  texts.push_back("1234567890123456789");   // 19 digits, above 2^53
  texts.push_back("0.0000000000000000000001");
  for (const std::string& t : texts) {
    const char* first = t.data();
    const char* last = first + t.size();
    double want = -7, got = -7;
    const auto w = std::from_chars(first, last, want);
    const auto g = DecimalFromChars(first, last, got);
    ASSERT_EQ(g.ec, w.ec) << "text: " << t;
    ASSERT_EQ(g.ptr - first, w.ptr - first) << "text: " << t;
    ASSERT_EQ(std::memcmp(&want, &got, sizeof got), 0)
        << "text: " << t << " from_chars " << want << " got " << got;
  }
}

TEST(Numbers, MissingTokenIsZero) {
  EXPECT_EQ(TokenToDouble(nullptr), 0.0);
  EXPECT_EQ(TokenToInt(nullptr), 0);
}

}  // namespace
