// The number rules that go with the text operations: reading a number from
// a text, writing numbers and truth values as text, the truncated remainder
// and the two ways a real number becomes a whole number.
//
// Integers are signed 32-bit, real numbers IEEE 754 doubles. All functions
// are pure, locale-free and thread-safe.
#ifndef CALVANE_TEXT_NUMBERS_H_
#define CALVANE_TEXT_NUMBERS_H_

#include <cstdint>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// Tolerance of every real-number test: a value counts as less than 1 when
// value - 1 < -kTolerance, and as zero when |value| <= kTolerance.
inline constexpr double kTolerance = 1e-7;

// The longest decimal number at the start of toHalfWidth(t) (blanks
// 0x09..0x0D and 0x20 skipped, optional sign, digits with at most one ".",
// optional exponent e/E/d/D with digits); 0 when there is none.
[[nodiscard]] double toNumber(std::string_view t);
// x unchanged.
[[nodiscard]] double toNumber(double x);

// Plain decimal, "-" for negative values.
[[nodiscard]] GbkText numberToText(int32_t n);
// As printf "%.13g" writes x, with an exponent of at least three digits
// (1e+015); trailing zeros and a bare point removed.
[[nodiscard]] GbkText numberToText(double x);

// "真" for true, "假" for false (GBK).
[[nodiscard]] GbkText boolToText(bool b);

// a - b * trunc(a / b), exactly (std::fmod): the sign of a.
// REQUIRES: b != 0.
[[nodiscard]] double mod(double a, double b);

// w + 1 when the fractional part of x is above 0.999999999999, else w (the
// whole part of x). REQUIRES: x >= 0.
[[nodiscard]] int32_t floorToInt(double x);

// x truncated toward zero, reduced to its low 32 bits (two's complement);
// NaN, infinities and |x| >= 2^63 give 0.
[[nodiscard]] int32_t truncToInt(double x);

}  // namespace calvane

#endif  // CALVANE_TEXT_NUMBERS_H_
