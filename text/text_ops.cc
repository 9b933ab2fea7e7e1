#include "text/text_ops.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace calvane {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

constexpr bool isLeadByte(char c) {
  return static_cast<unsigned char>(c) >= 0x80;
}

// Finds a pattern at the character boundaries of a scan. A plain compare at
// every boundary costs up to m per boundary, quadratic for long patterns, so
// the bytes go through a Knuth-Morris-Pratt automaton once and every match it
// reports is then checked against the boundaries, which are walked forward
// alongside: both only ever move forward, so a scan is O(bytes + m).
class BoundaryMatcher {
 public:
  // REQUIRES: pattern is not empty. pattern must outlive the matcher.
  explicit BoundaryMatcher(std::string_view pattern) : pattern_(pattern) {
    assert(!pattern.empty());
    const std::size_t m = pattern.size();
    if (m > kInline) {
      heap_ = std::make_unique<std::size_t[]>(m);
      failure_ = heap_.get();
    }
    // failure_[i]: length of the longest proper border of pattern[0..i].
    failure_[0] = 0;
    std::size_t k = 0;
    for (std::size_t i = 1; i < m; ++i) {
      while (k > 0 && pattern[i] != pattern[k]) k = failure_[k - 1];
      if (pattern[i] == pattern[k]) ++k;
      failure_[i] = k;
    }
  }

  BoundaryMatcher(const BoundaryMatcher&) = delete;
  BoundaryMatcher& operator=(const BoundaryMatcher&) = delete;

  // 0-based offset in t of the first match at a boundary of a scan that
  // starts at offset `from` (a boundary whatever byte it is), or kNone.
  // Stepping on from a lead byte that is the last byte of t ends the scan;
  // no match could start after it anyway.
  [[nodiscard]] std::size_t next(std::string_view t, std::size_t from) const {
    const std::size_t n = t.size();
    const std::size_t m = pattern_.size();
    if (from >= n || n - from < m) return kNone;
    std::size_t boundary = from;
    std::size_t k = 0;
    for (std::size_t j = from; j < n; ++j) {
      const char c = t[j];
      while (k > 0 && c != pattern_[k]) k = failure_[k - 1];
      if (c == pattern_[k]) ++k;
      if (k == m) {
        const std::size_t start = j + 1 - m;
        while (boundary < start) boundary += isLeadByte(t[boundary]) ? 2 : 1;
        if (boundary == start) return start;
        k = failure_[m - 1];
      }
    }
    return kNone;
  }

 private:
  // Delimiters and search patterns are nearly always a few bytes; those
  // need no allocation.
  static constexpr std::size_t kInline = 16;

  std::string_view pattern_;
  std::size_t inline_[kInline];
  std::unique_ptr<std::size_t[]> heap_;
  std::size_t* failure_ = inline_;
};

// Texts stay far below 2 GiB (a page text is capped at 1 GiB), so every
// length fits the 32-bit positions callers use.
int64_t lengthOf(std::string_view t) {
  assert(t.size() <= static_cast<std::size_t>(
                         std::numeric_limits<int32_t>::max()));
  return static_cast<int64_t>(t.size());
}

}  // namespace

int32_t byteLength(std::string_view t) {
  return static_cast<int32_t>(lengthOf(t));
}

GbkText concat(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view p : parts) total += p.size();
  std::string out;
  out.reserve(total);
  for (std::string_view p : parts) out.append(p);
  return GbkText(std::move(out));
}

int compare(std::string_view a, std::string_view b) {
  // char_traits<char>::compare compares as unsigned char, like memcmp.
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

GbkText mid(std::string_view t, int32_t start, int32_t count) {
  const int64_t n = lengthOf(t);
  if (start < 1 || start > n || count < 1) return GbkText();
  const int64_t i = start - 1;
  const int64_t len = std::min<int64_t>(count, n - i);
  return GbkText(t.substr(static_cast<std::size_t>(i),
                          static_cast<std::size_t>(len)));
}

int32_t find(std::string_view t, std::string_view pattern, int32_t start) {
  assert(!pattern.empty());
  const int64_t n = lengthOf(t);
  const int64_t s = std::max<int64_t>(int64_t{start} - 1, 0);
  if (s >= n) return -1;
  const std::size_t at =
      BoundaryMatcher(pattern).next(t, static_cast<std::size_t>(s));
  return at == kNone ? -1 : static_cast<int32_t>(at + 1);
}

GbkText replaceAt(std::string_view t, int32_t start, int32_t count,
                  std::string_view replacement) {
  const int64_t n = lengthOf(t);
  const int64_t i = std::clamp<int64_t>(int64_t{start} - 1, 0, n);
  const int64_t k = std::clamp<int64_t>(count, 0, n - i);
  const auto head = static_cast<std::size_t>(i);
  const auto tail = static_cast<std::size_t>(i + k);
  std::string out;
  out.reserve(head + replacement.size() + (t.size() - tail));
  out.append(t.substr(0, head));
  out.append(replacement);
  out.append(t.substr(tail));
  return GbkText(std::move(out));
}

TextList split(std::string_view t, std::string_view delimiter) {
  assert(!delimiter.empty());
  TextList pieces;
  if (t.empty()) return pieces;
  const BoundaryMatcher matcher(delimiter);
  std::size_t q = 0;
  // After a delimiter the scan restarts at the byte that follows it, which
  // counts as a boundary even if the delimiter ended inside a character.
  for (std::size_t p; (p = matcher.next(t, q)) != kNone;
       q = p + delimiter.size()) {
    pieces.emplace_back(t.substr(q, p - q));
  }
  if (q < t.size()) pieces.emplace_back(t.substr(q));
  return pieces;
}

GbkText blanks(int32_t n) {
  if (n < 1) return GbkText();
  return GbkText(std::string(static_cast<std::size_t>(n), ' '));
}

GbkText toFullWidth(std::string_view t) {
  const std::size_t n = t.size();
  std::string out(2 * n, '\0');
  char* w = out.data();
  for (std::size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (c >= 0x80) {
      if (i + 1 == n) break;  // a lone lead byte is dropped
      *w++ = t[i];
      *w++ = t[i + 1];
      i += 2;
      continue;
    }
    if (c == 0x20) {
      *w++ = '\xA1';
      *w++ = '\xA1';
    } else if (c == 0x7E) {  // A3 FE would be the overline, not the tilde
      *w++ = '\xA1';
      *w++ = '\xAB';
    } else if (c >= 0x21 && c <= 0x7D) {
      *w++ = '\xA3';
      *w++ = static_cast<char>(c + 0x80);
    } else {
      *w++ = t[i];  // control characters and DEL stay one byte
    }
    ++i;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return GbkText(std::move(out));
}

GbkText toHalfWidth(std::string_view t) {
  const std::size_t n = t.size();
  std::string out(n, '\0');
  char* w = out.data();
  for (std::size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (c < 0x80) {
      *w++ = t[i++];
      continue;
    }
    if (i + 1 == n) break;  // a lone lead byte is dropped
    const auto d = static_cast<unsigned char>(t[i + 1]);
    if (c == 0xA3 && d >= 0xA1 && d <= 0xFE) {
      *w++ = static_cast<char>(d - 0x80);
    } else if (c == 0xA1 && d == 0xA1) {
      *w++ = ' ';
    } else if (c == 0xA1 && d == 0xAB) {
      *w++ = '~';
    } else if (c == 0xA1 && (d == 0xEE || d == 0xEF)) {  // the two stars
      *w++ = '*';
    } else {
      *w++ = t[i];
      *w++ = t[i + 1];
    }
    i += 2;
  }
  out.resize(static_cast<std::size_t>(w - out.data()));
  return GbkText(std::move(out));
}

}  // namespace calvane
