// Fuzzes the text operations and number rules: searching and splitting are
// compared with a literal character-by-character scan, and the rest are held
// to the invariants their contracts promise. Any broken invariant aborts.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_util.h"
#include "text/gbk_text.h"
#include "text/numbers.h"
#include "text/text_ops.h"

namespace calvane {
namespace {

using fuzzing::check;

std::string withoutNul(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\0'), s.end());
  return s;
}

bool hasNul(std::string_view s) { return s.find('\0') != s.npos; }

bool isLead(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// The search as a plain scan: compare at every character boundary from byte
// `from` (0-based); stepping on from a lone lead byte ends it.
int64_t slowFind(std::string_view t, std::string_view p, std::size_t from) {
  const std::size_t n = t.size(), m = p.size();
  std::size_t at = from;
  while (at < n && n - at >= m) {
    if (t.compare(at, m, p) == 0) return static_cast<int64_t>(at);
    if (isLead(t[at]) && at + 1 == n) return -1;
    at += isLead(t[at]) ? 2 : 1;
  }
  return -1;
}

// Positions may be anything; mostly keep them near the text so that they hit.
int32_t position(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(-3, 80)
                          : in.ConsumeIntegral<int32_t>();
}

void checkSearchAndSplit(std::string_view t, std::string_view pattern,
                         int32_t start) {
  if (pattern.empty()) return;
  const int64_t s = std::max<int64_t>(int64_t{start} - 1, 0);
  const int64_t want =
      s >= static_cast<int64_t>(t.size())
          ? -1
          : slowFind(t, pattern, static_cast<std::size_t>(s));
  const int32_t got = find(t, pattern, start);
  check(got == (want < 0 ? -1 : want + 1), "find agrees with a plain scan");

  const TextList pieces = split(t, pattern);
  std::size_t q = 0;
  std::size_t k = 0;
  for (int64_t at; (at = slowFind(t, pattern, q)) >= 0;
       q = static_cast<std::size_t>(at) + pattern.size(), ++k) {
    check(k < pieces.size() &&
              pieces[k].view() == t.substr(q, static_cast<std::size_t>(at) - q),
          "split piece agrees with a plain scan");
  }
  if (q < t.size()) {
    check(k < pieces.size() && pieces[k].view() == t.substr(q),
          "split keeps the rest");
    ++k;
  }
  check(k == pieces.size(), "split gives no extra piece");

  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined.append(pattern);
    joined.append(pieces[i].view());
  }
  check(joined == t || joined + std::string(pattern) == t,
        "split then join gives back the text minus a final delimiter");
}

void checkSlices(std::string_view t, std::string_view r, int32_t start,
                 int32_t count) {
  const int64_t n = static_cast<int64_t>(t.size());
  const GbkText piece = mid(t, start, count);
  const int64_t want_len = (start < 1 || start > n || count < 1)
                               ? 0
                               : std::min<int64_t>(count, n - start + 1);
  check(static_cast<int64_t>(piece.size()) == want_len, "mid length");
  if (want_len > 0) {
    check(piece.view() == t.substr(static_cast<std::size_t>(start - 1),
                                   static_cast<std::size_t>(want_len)),
          "mid bytes");
  }

  const GbkText replaced = replaceAt(t, start, count, r);
  const int64_t i = std::clamp<int64_t>(int64_t{start} - 1, 0, n);
  const int64_t k = std::clamp<int64_t>(count, 0, n - i);
  check(static_cast<int64_t>(replaced.size()) ==
            n - k + static_cast<int64_t>(r.size()),
        "replaceAt length");
  const std::string_view v = replaced.view();
  check(v.substr(0, static_cast<std::size_t>(i)) ==
                t.substr(0, static_cast<std::size_t>(i)) &&
            v.substr(static_cast<std::size_t>(i), r.size()) == r &&
            v.substr(static_cast<std::size_t>(i) + r.size()) ==
                t.substr(static_cast<std::size_t>(i + k)),
        "replaceAt keeps head and tail");

  const GbkText joined = concat({t, r, t});
  check(joined.size() == 2 * t.size() + r.size() && !hasNul(joined),
        "concat length");
  const int ab = compare(t, r);
  const int ba = compare(r, t);
  check((ab > 0) == (ba < 0) && (ab == 0) == (ba == 0) && compare(t, t) == 0,
        "compare is antisymmetric");
  check((ab == 0) == (t == r), "compare is zero only on equal texts");
}

void checkWidths(std::string_view t) {
  const GbkText full = toFullWidth(t);
  const GbkText half = toHalfWidth(t);
  check(!hasNul(full) && !hasNul(half), "no NUL from the width conversions");
  std::size_t i = 0;
  for (; i < full.size(); i += isLead(full.view()[i]) ? 2 : 1) {
    const char c = full.view()[i];
    check(!(c >= 0x20 && c <= 0x7E), "no printable one-byte character left");
  }
  check(i == full.size(), "no lone lead byte left");
  check(toFullWidth(full) == full, "toFullWidth is idempotent");
  check(toHalfWidth(half) == half, "toHalfWidth is idempotent");
  check(toHalfWidth(full) == half, "toHalfWidth undoes toFullWidth");
  check(half.size() <= t.size() && full.size() <= 2 * t.size(),
        "width conversions stay within bounds");
}

// Reads the number as the C library does, where the two grammars agree.
void checkNumberReading(std::string_view t) {
  const double got = toNumber(t);
  std::string h = toHalfWidth(t).bytes();
  std::size_t i = 0;
  while (i < h.size() && ((h[i] >= 0x09 && h[i] <= 0x0D) || h[i] == ' ')) ++i;
  if (i < h.size() && (h[i] == '+' || h[i] == '-')) ++i;
  const std::string_view rest = std::string_view(h).substr(i);
  // strtod also reads hexadecimal, infinities and NaNs, which are not
  // numbers here.
  if (rest.starts_with("0x") || rest.starts_with("0X")) return;
  if (!rest.empty() && std::strchr("iInN", rest[0]) != nullptr) return;
  std::replace(h.begin(), h.end(), 'd', 'e');
  std::replace(h.begin(), h.end(), 'D', 'e');
  const double want = std::strtod(h.c_str(), nullptr);  // C locale here
  check(std::bit_cast<uint64_t>(got) == std::bit_cast<uint64_t>(want),
        "toNumber agrees with strtod");
}

void checkNumbers(FuzzedDataProvider& in) {
  const double x = std::bit_cast<double>(in.ConsumeIntegral<uint64_t>());
  const double y = in.ConsumeBool()
                       ? std::bit_cast<double>(in.ConsumeIntegral<uint64_t>())
                       : in.ConsumeIntegralInRange<int32_t>(-70, 70);
  check(toNumber(x) == x || std::isnan(x), "toNumber(x) is x");

  const GbkText text = numberToText(x);
  check(!text.empty() && !hasNul(text), "numberToText writes something");
  if (std::isfinite(x)) {
    const double back = toNumber(text);
    check(std::fabs(back - x) <= std::fabs(x) * 5.01e-13 + 1e-320,
          "numberToText keeps 13 digits");
  }
  const auto n = static_cast<int32_t>(in.ConsumeIntegral<int32_t>());
  check(toNumber(numberToText(n)) == n, "integers round-trip");

  if (y != 0 && std::isfinite(x) && std::isfinite(y)) {
    const double r = mod(x, y);
    check(std::fabs(r) < std::fabs(y) &&
              (r == 0 || std::signbit(r) == std::signbit(x)),
          "mod is below the divisor with the sign of the dividend");
  }

  const int32_t whole = truncToInt(x);
  if (std::fabs(x) < 2147483648.0) {
    check(whole == static_cast<int32_t>(x), "truncToInt truncates");
  } else if (!std::isfinite(x) || std::fabs(x) >= 0x1p63) {
    check(whole == 0, "truncToInt gives 0 far out");
  } else {
    // fmod is exact, and so is the difference of two integers below 2^33.
    const double d = whole - std::fmod(std::trunc(x), 0x1p32);
    check(d == 0 || std::fabs(d) == 0x1p32, "truncToInt keeps the low 32 bits");
  }
  if (x >= 0 && x < 2147483647.0) {
    const int32_t f = floorToInt(x);
    const double w = std::floor(x);
    check(f == static_cast<int32_t>(w) + (x - w > 0.999999999999 ? 1 : 0),
          "floorToInt is the forgiving floor");
  }
}

}  // namespace
}  // namespace calvane

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  using namespace calvane;
  FuzzedDataProvider in(data, size);
  const int32_t start = position(in);
  const int32_t count = position(in);
  const std::string pattern = withoutNul(in.ConsumeRandomLengthString(40));
  const std::string replacement = withoutNul(in.ConsumeRandomLengthString(40));
  const std::string number_text = withoutNul(in.ConsumeRandomLengthString(64));
  const bool numbers = in.ConsumeBool();
  const std::string text = withoutNul(in.ConsumeRandomLengthString());
  checkSearchAndSplit(text, pattern, start);
  checkSlices(text, replacement, start, count);
  checkWidths(text);
  checkNumberReading(number_text);
  checkNumberReading(text);
  if (numbers) checkNumbers(in);
  if (count <= 100000) {
    const GbkText b = blanks(count);
    check(b.size() == static_cast<std::size_t>(std::max(count, 0)) &&
              b.view().find_first_not_of(' ') == std::string_view::npos,
          "blanks are count spaces");
  }
  return 0;
}
