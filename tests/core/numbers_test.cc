#include "text/numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "tests/core/test_util.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumbersTest, ToNumberReadsTheLongestNumberAtTheStart) {
  struct Case {
    std::string text;  // UTF-8, turned into GBK
    double want;
  } const cases[] = {
      {"", 0},
      {"１２．５", 12.5},
      {"　７", 7},
      {" 7", 7},
      {"\t\n\v\f\r 7", 7},
      {"10个", 10},
      {"abc", 0},
      {"1e3", 1000},
      {"1d3", 1000},
      {"1D-3", 0.001},
      {"1E+3", 1000},
      {"１ｅ３", 1000},  // widened exponent letter and digits
      {"0x1A", 0},
      {"-2", -2},
      {"+5", 5},
      {"-.5", -0.5},
      {"5.", 5},
      {".", 0},
      {"-", 0},
      {"+-1", 0},
      {"- 1", 0},
      {"1e", 1},     // an exponent letter without digits is not read
      {"1e+", 1},
      {"1e-x", 1},
      {"1.2.3", 1.2},
      {"1e3e4", 1000},
      {"1,000", 1},  // no thousands separator
      {"inf", 0},
      {"nan", 0},
      {"1e999", kInf},
      {"-1e999", -kInf},
      {"1e99999999999999999999999999", kInf},
      {"0e99999999999999999999999999", 0},
      {"1e-999", 0},
      {"4e-320", 4e-320},  // subnormal, not flushed
      // Correct rounding (values from exact decimal expansions): 2^53 + 1
      // rounds to even; exactly half an ulp above 1 rounds to 1; a hair
      // more rounds up.
      {"9007199254740993", 9007199254740992.0},
      {"1.00000000000000011102230246251565404236316680908203125", 1.0},
      {"1.000000000000000111022302462515654042363166809082031251",
       1.0000000000000002},
      {"0.1", 0.1},
      {"★5", 0},  // the star halves to "*"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toNumber(gbk(c.text)), c.want) << c.text;
  }
  EXPECT_EQ(toNumber(2.5), 2.5);
  EXPECT_TRUE(std::signbit(toNumber(gbk("-0"))));
}

TEST(NumbersTest, ToNumberOnLongDigitRuns) {
  const std::string ones(100000, '1');
  EXPECT_EQ(toNumber(ones + "e-99999"), 10.0 / 9);
  const std::string tiny = "0." + std::string(400, '0') + "1e400";
  EXPECT_EQ(toNumber(tiny), 0.1);
  EXPECT_EQ(toNumber("0." + std::string(100000, '0') + "1"), 0);
  EXPECT_EQ(toNumber(ones), kInf);
}

TEST(NumbersTest, NumberToText) {
  EXPECT_EQ(numberToText(0).view(), "0");
  EXPECT_EQ(numberToText(-1).view(), "-1");
  EXPECT_EQ(numberToText(INT32_MAX).view(), "2147483647");
  EXPECT_EQ(numberToText(INT32_MIN).view(), "-2147483648");

  // Expected texts: glibc's printf "%.13g", its exponent widened to three
  // digits as the Windows C runtime writes it.
  struct Case {
    double x;
    std::string_view want;
  } const cases[] = {
      {0.125, "0.125"},
      {2.0, "2"},
      {1.5, "1.5"},
      {0.047, "0.047"},
      {0.0, "0"},
      {-0.0, "-0"},
      {-2.5, "-2.5"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.3333333333333"},
      {123456.7890123456, "123456.7890123"},
      {1234567890123.0, "1234567890123"},
      {12345678901234.0, "1.234567890123e+013"},
      {9999999999999.5, "1e+013"},  // rounding to 13 digits moves X to 13
      {1e15, "1e+015"},
      {1e100, "1e+100"},
      {1.7976931348623157e308, "1.797693134862e+308"},
      {0.0001, "0.0001"},
      {9.999999999999952e-05, "0.0001"},
      {0.00001, "1e-005"},
      {2.5e-7, "2.5e-007"},
      {5e-324, "4.940656458412e-324"},
      {kInf, "inf"},
      {-kInf, "-inf"},
      {std::nan(""), "nan"},
      {-std::nan(""), "nan"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(numberToText(c.x).view(), c.want) << c.x;
  }
}

TEST(NumbersTest, BoolToText) {
  EXPECT_EQ(boolToText(true), gbk("真"));
  EXPECT_EQ(boolToText(false), gbk("假"));
}

TEST(NumbersTest, ModIsTheExactTruncatedRemainder) {
  struct Case {
    double a, b, want;
  } const cases[] = {
      {7, 2, 1},
      {7.5, 2, 1.5},
      {-7, 2, -1},
      {7, -2, 1},
      {6, 3, 0},
      {0.3, 0.1, 0.09999999999999998},  // exact on the binary values
      {1e22, 3, 1},                      // a - b * trunc(a / b) gives 0 here
      {-1e22, 3, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mod(c.a, c.b), c.want) << c.a << " mod " << c.b;
  }
}

TEST(NumbersTest, FloorToIntForgivesATinyShortfall) {
  struct Case {
    double x;
    int32_t want;
  } const cases[] = {
      {0, 0},
      {2.5, 2},
      {3, 3},
      {2.9999999999995, 3},
      {2.999999999998, 2},
      {0.9999999999995, 1},
      {2147483647.5, INT32_MAX},
      {4294967296.5, 0},  // wraps to the low 32 bits like truncToInt
      {kInf, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(floorToInt(c.x), c.want) << c.x;
  }
}

TEST(NumbersTest, TruncToIntKeepsTheLow32Bits) {
  struct Case {
    double x;
    int32_t want;
  } const cases[] = {
      {10.9, 10},
      {-1.5, -1},
      {0.99999995, 0},
      {-0.5, 0},
      {4294967297.0, 1},              // 2^32 + 1
      {2147483648.0, INT32_MIN},      // 2^31
      {-2147483649.0, INT32_MAX},     // -2^31 - 1
      {4294967295.9, -1},
      {9223372036854774784.0, -1024},  // the largest double below 2^63
      {-9223372036854774784.0, 1024},
      {9223372036854775808.0, 0},     // 2^63
      {-9223372036854775808.0, 0},
      {1e300, 0},
      {kInf, 0},
      {-kInf, 0},
      {std::nan(""), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(truncToInt(c.x), c.want) << c.x;
  }
}

}  // namespace
}  // namespace calvane
