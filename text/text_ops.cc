#include "text/text_ops.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace calvane {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The bytes a character takes: 2 from a lead byte, 1 from any other.
constexpr std::size_t charWidth(char c) {
  return 1 + (static_cast<unsigned char>(c) >> 7);
}

constexpr uint64_t kHighBits = 0x8080808080808080u;

// The bytes p[0..7] with p[i] in bits 8i..8i + 7.
uint64_t eightBytes(const char* p) {
  uint64_t word;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, p, 8);
  } else {
    word = 0;
    for (int i = 0; i < 8; ++i) {
      word |= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
  }
  return word;
}

// How many bytes from data[i] on, up to n, are lead bytes (0x80..0xFF).
std::size_t leadRun(const char* data, std::size_t i, std::size_t n) {
  std::size_t j = i;
  for (; n - j >= 8; j += 8) {
    const uint64_t others = ~eightBytes(data + j) & kHighBits;
    if (others != 0) {
      return j - i + static_cast<std::size_t>(std::countr_zero(others)) / 8;
    }
  }
  while (j < n && charWidth(data[j]) == 2) ++j;
  return j - i;
}

// Whether c is a character boundary of a scan that has reached the boundary
// b (b <= c). A byte below 0x80 always ends a character, being one or the
// trail of one, so the byte after the last such byte in [b, c) is a boundary
// too; from there to c there are only lead bytes, which go two by two. Only
// that run is looked at, backwards, eight bytes at a time.
bool isBoundary(const char* data, std::size_t b, std::size_t c) {
  std::size_t i = c;  // no byte below 0x80 in [i, c)
  for (; i - b >= 8; i -= 8) {
    const uint64_t others = ~eightBytes(data + i - 8) & kHighBits;
    if (others != 0) {
      const auto last = static_cast<std::size_t>(63 - std::countl_zero(others));
      return (c - (i - 8 + last / 8 + 1)) % 2 == 0;
    }
  }
  while (i > b && charWidth(data[i - 1]) == 2) --i;
  return (c - i) % 2 == 0;
}

// Finds a pattern at the character boundaries of a scan, in time linear in
// the bytes scanned. Candidates for a short pattern (delimiters, search
// words) come from memchr on its first byte and cost at most kShort bytes of
// compare each. A long pattern would make that quadratic, so its bytes go
// through a Knuth-Morris-Pratt automaton once instead. Either way a candidate
// is checked with isBoundary from the last boundary known, which only moves
// forward, so no byte is looked at more than a few times.
class BoundaryMatcher {
 public:
  // REQUIRES: pattern is not empty. pattern must outlive the matcher.
  explicit BoundaryMatcher(std::string_view pattern) : pattern_(pattern) {
    assert(!pattern.empty());
    const std::size_t m = pattern.size();
    if (m <= kShort) return;
    // failure_[i]: length of the longest proper border of pattern[0..i].
    failure_ = std::make_unique<std::size_t[]>(m);
    failure_[0] = 0;
    std::size_t k = 0;
    for (std::size_t i = 1; i < m; ++i) {
      while (k > 0 && pattern[i] != pattern[k]) k = failure_[k - 1];
      if (pattern[i] == pattern[k]) ++k;
      failure_[i] = k;
    }
  }

  // 0-based offset in t of the first match at a boundary of a scan that
  // starts at offset `from` (a boundary whatever byte it is), or kNone.
  // Stepping on from a lone lead byte would end the scan, but no match could
  // start after it anyway.
  [[nodiscard]] std::size_t next(std::string_view t, std::size_t from) const {
    if (from >= t.size() || t.size() - from < pattern_.size()) return kNone;
    return failure_ ? nextLong(t, from) : nextShort(t, from);
  }

 private:
  static constexpr std::size_t kShort = 16;

  std::size_t nextShort(std::string_view t, std::size_t from) const {
    const std::size_t n = t.size();
    const std::size_t m = pattern_.size();
    const char* const data = t.data();
    std::size_t b = from;  // a boundary, or past the end
    while (b + m <= n) {
      const void* hit = std::memchr(data + b, pattern_[0], n - m + 1 - b);
      if (hit == nullptr) return kNone;
      const auto at =
          static_cast<std::size_t>(static_cast<const char*>(hit) - data);
      if (!isBoundary(data, b, at)) {
        b = at + 1;  // at is the trail of the character before it
      } else if (std::memcmp(data + at + 1, pattern_.data() + 1, m - 1) == 0) {
        return at;
      } else {
        b = at + charWidth(data[at]);
      }
    }
    return kNone;
  }

  std::size_t nextLong(std::string_view t, std::size_t from) const {
    const std::size_t n = t.size();
    const std::size_t m = pattern_.size();
    const char* const data = t.data();
    std::size_t b = from;  // a boundary at or before every later match
    std::size_t k = 0;
    for (std::size_t j = from; j < n; ++j) {
      if (k == 0) {  // nothing matched yet: skip to the next first byte
        const void* hit = std::memchr(data + j, pattern_[0], n - j);
        if (hit == nullptr) return kNone;
        j = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
      }
      const char c = data[j];
      while (k > 0 && c != pattern_[k]) k = failure_[k - 1];
      if (c == pattern_[k]) ++k;
      if (k == m) {
        const std::size_t at = j + 1 - m;
        if (isBoundary(data, b, at)) return at;
        b = at + 1;  // at is the trail of the character before it
        k = failure_[m - 1];
      }
    }
    return kNone;
  }

  std::string_view pattern_;
  std::unique_ptr<std::size_t[]> failure_;  // only for long patterns
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
      // A run of lead bytes is whole characters two by two, copied as they
      // stand; an odd run's last lead takes the byte after the run as its
      // trail, unless the text ends there: a lone lead byte, dropped.
      const std::size_t run = leadRun(t.data(), i, n);
      std::size_t whole = run + run % 2;
      const bool lone = i + whole > n;
      if (lone) whole -= 2;
      std::memcpy(w, t.data() + i, whole);
      w += whole;
      i += whole;
      if (lone) break;
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
