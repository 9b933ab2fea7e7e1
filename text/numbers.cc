#include "text/numbers.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "text/text_ops.h"

namespace calvane {

namespace {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr bool isBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == ' '; }

std::size_t skipDigits(std::string_view s, std::size_t i) {
  while (i < s.size() && isDigit(s[i])) ++i;
  return i;
}

// The decimal exponent X with 10^X <= |value| < 10^(X+1), from the digits and
// exponent as written; saturates far beyond the range of a double.
int64_t decimalOrder(std::string_view intDigits, std::string_view fracDigits,
                     std::string_view expDigits, bool expNegative) {
  constexpr int64_t kFar = int64_t{1} << 40;
  int64_t exponent = 0;
  for (char c : expDigits) {
    exponent = exponent * 10 + (c - '0');
    if (exponent > kFar) {
      exponent = kFar;
      break;
    }
  }
  if (expNegative) exponent = -exponent;
  const std::size_t firstInt = intDigits.find_first_not_of('0');
  if (firstInt != std::string_view::npos) {
    return exponent + static_cast<int64_t>(intDigits.size() - firstInt) - 1;
  }
  const std::size_t firstFrac = fracDigits.find_first_not_of('0');
  assert(firstFrac != std::string_view::npos);  // zero is never out of range
  return exponent - static_cast<int64_t>(firstFrac) - 1;
}

}  // namespace

double toNumber(std::string_view t) {
  const GbkText half = toHalfWidth(t);
  const std::string_view h = half.view();
  std::size_t i = 0;
  while (i < h.size() && isBlank(h[i])) ++i;
  bool negative = false;
  if (i < h.size() && (h[i] == '+' || h[i] == '-')) negative = h[i++] == '-';
  const std::size_t intStart = i;
  i = skipDigits(h, i);
  const std::string_view intDigits = h.substr(intStart, i - intStart);
  std::string_view fracDigits;
  if (i < h.size() && h[i] == '.') {
    const std::size_t fracStart = i + 1;
    i = skipDigits(h, fracStart);
    fracDigits = h.substr(fracStart, i - fracStart);
  }
  if (intDigits.empty() && fracDigits.empty()) return 0;

  // An exponent letter belongs to the number only when digits follow it.
  std::string_view expDigits;
  bool expNegative = false;
  if (i < h.size() &&
      (h[i] == 'e' || h[i] == 'E' || h[i] == 'd' || h[i] == 'D')) {
    std::size_t j = i + 1;
    bool sign = false;
    if (j < h.size() && (h[j] == '+' || h[j] == '-')) {
      sign = h[j] == '-';
      ++j;
    }
    const std::size_t end = skipDigits(h, j);
    if (end > j) {
      expDigits = h.substr(j, end - j);
      expNegative = sign;
    }
  }

  // from_chars is locale-free and correctly rounded, but knows neither a
  // leading "+" nor "d" as the exponent letter: hand it a rewritten copy.
  std::string ascii;
  ascii.reserve(intDigits.size() + fracDigits.size() + expDigits.size() + 5);
  if (negative) ascii += '-';
  if (intDigits.empty()) ascii += '0';
  ascii.append(intDigits);
  if (!fracDigits.empty()) {
    ascii += '.';
    ascii.append(fracDigits);
  }
  if (!expDigits.empty()) {
    ascii += expNegative ? "e-" : "e";
    ascii.append(expDigits);
  }
  double value = 0;
  const auto [ptr, ec] =
      std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  assert(ptr == ascii.data() + ascii.size());
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone when it overflows or underflows; the
    // nearest double is then an infinity or a zero.
    const bool huge =
        decimalOrder(intDigits, fracDigits, expDigits, expNegative) >= 0;
    value = huge ? std::numeric_limits<double>::infinity() : 0.0;
    if (negative) value = -value;
  }
  return value;
}

double toNumber(double x) { return x; }

GbkText numberToText(int32_t n) {
  char buf[16];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, n);
  assert(ec == std::errc());
  return GbkText(std::string_view(buf, static_cast<std::size_t>(ptr - buf)));
}

GbkText numberToText(double x) {
  // Every NaN reads the same, whatever its sign bit or payload.
  if (std::isnan(x)) return GbkText("nan");
  // to_chars with a precision writes exactly what printf "%.13g" writes in
  // the C locale, whatever locale the program runs in; the exponent is then
  // widened to the three digits of the Windows C runtime.
  char buf[40];
  const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, x,
                                       std::chars_format::general, 13);
  assert(ec == std::errc());
  std::string text(buf, static_cast<std::size_t>(ptr - buf));
  const std::size_t e = text.find('e');
  if (e != std::string::npos) {
    const std::size_t digits = text.size() - (e + 2);  // after "e+" / "e-"
    if (digits < 3) text.insert(e + 2, 3 - digits, '0');
  }
  return GbkText(std::move(text));
}

GbkText boolToText(bool b) {
  return GbkText(b ? "\xD5\xE6" : "\xBC\xD9");  // 真 / 假
}

double mod(double a, double b) {
  assert(b != 0);
  return std::fmod(a, b);
}

int32_t floorToInt(double x) {
  assert(!(x < 0));
  const double whole = std::trunc(x);
  // Exact: the fractional part of a double is itself a double.
  const double fraction = x - whole;
  return truncToInt(fraction > 0.999999999999 ? whole + 1 : whole);
}

int32_t truncToInt(double x) {
  if (!std::isfinite(x) || std::fabs(x) >= 0x1p63) return 0;
  const auto whole = static_cast<int64_t>(x);  // truncates toward zero
  return static_cast<int32_t>(static_cast<uint32_t>(whole));
}

}  // namespace calvane
