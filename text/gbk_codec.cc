#include "text/gbk_codec.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace calvane {
namespace {

// The codec works from two tables that iconv fills once, so a conversion is
// one lookup per character instead of one iconv call, and every decision
// about what GBK "holds" is made in one place: a two-byte character is a
// lead 0x81..0xFE with a trail 0x40..0x7E or 0x80..0xFE that code page 936
// maps to a Unicode character. The single byte 0x80, which code page 936
// makes the euro sign, is not a character of ours: a GbkText reads it as a
// lead byte.
constexpr int kLeadCount = 0xFE - 0x81 + 1;
constexpr int kTrailCount = 0xFE - 0x40 + 1;  // 0x7F stays empty

struct Tables {
  // Unicode of pair (lead, trail), 0 where code page 936 defines none.
  std::array<char16_t, kLeadCount * kTrailCount> decode{};
  // GBK pair of each BMP code point, lead byte high; 0 where none.
  std::array<uint16_t, 0x10000> encode{};
};

int pairIndex(unsigned lead, unsigned trail) {
  return static_cast<int>((lead - 0x81) * kTrailCount + (trail - 0x40));
}

bool isTrail(unsigned b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

iconv_t openIconv(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1) && std::string_view(from) == "CP936")
    cd = iconv_open(to, "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1) && std::string_view(to) == "CP936")
    cd = iconv_open("GBK", from);
  return cd;
}

// Converts one short input with cd; returns the output length or -1.
long convertOnce(iconv_t cd, const char* in, std::size_t inLength, char* out,
                 std::size_t outCapacity) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  std::size_t inLeft = inLength;
  std::size_t outLeft = outCapacity;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
    return -1;
  if (inLeft != 0) return -1;
  return static_cast<long>(outCapacity - outLeft);
}

char16_t decodeUtf16(const char* p, long n) {
  if (n != 2) return 0;  // a character outside the BMP: not one of ours
  const auto hi = static_cast<unsigned char>(p[0]);
  const auto lo = static_cast<unsigned char>(p[1]);
  const char16_t c = static_cast<char16_t>(hi << 8 | lo);
  return (c >= 0xD800 && c <= 0xDFFF) ? 0 : c;
}

std::unique_ptr<Tables> buildTables() {
  auto t = std::make_unique<Tables>();
  iconv_t toUnicode = openIconv("UTF-16BE", "CP936");
  iconv_t toGbk = openIconv("CP936", "UTF-16BE");
  if (toUnicode == reinterpret_cast<iconv_t>(-1) ||
      toGbk == reinterpret_cast<iconv_t>(-1))
    return t;  // no converter installed: every non-ASCII character is marked

  char out[8];
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const long n = convertOnce(toUnicode, in, 2, out, sizeof out);
      const char16_t c = n > 0 ? decodeUtf16(out, n) : 0;
      if (c >= 0x80) t->decode[pairIndex(lead, trail)] = c;
    }
  }
  // The encoding direction comes from iconv too: where several pairs decode
  // to one character, iconv's choice is the one code page 936 writes.
  for (unsigned c = 0x80; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const char in[2] = {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    const long n = convertOnce(toGbk, in, 2, out, sizeof out);
    if (n != 2) continue;  // unmappable, or the one-byte euro sign 0x80
    const auto lead = static_cast<unsigned char>(out[0]);
    const auto trail = static_cast<unsigned char>(out[1]);
    if (lead < 0x81 || lead > 0xFE || !isTrail(trail)) continue;
    if (t->decode[pairIndex(lead, trail)] != c) continue;  // not a round trip
    t->encode[c] = static_cast<uint16_t>(lead << 8 | trail);
  }
  iconv_close(toUnicode);
  iconv_close(toGbk);
  return t;
}

const Tables& tables() {
  static const std::unique_ptr<Tables> t = buildTables();
  return *t;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when the
// bytes there are not a valid, shortest-form sequence (c is then unset).
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& c) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  std::size_t length;
  char32_t min;
  if (b0 < 0x80) {
    c = b0;
    return 1;
  } else if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80, c = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800, c = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000, c = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

EncodeResult utf8ToGbk(std::string_view utf8) {
  const Tables& t = tables();
  std::string out;
  out.reserve(utf8.size());
  int64_t replaced = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    const std::size_t length = decodeUtf8(utf8, i, c);
    if (length == 0) {
      // One mark for each byte that starts no valid sequence.
      out.append(kReplacementMark);
      ++replaced;
      ++i;
      continue;
    }
    i += length;
    if (c >= 0x01 && c <= 0x7F) {
      out.push_back(static_cast<char>(c));
    } else if (c <= 0xFFFF && t.encode[c] != 0) {
      out.push_back(static_cast<char>(t.encode[c] >> 8));
      out.push_back(static_cast<char>(t.encode[c] & 0xFF));
    } else {
      out.append(kReplacementMark);
      ++replaced;
    }
  }
  return {GbkText(std::move(out)), replaced};
}

std::string gbkToUtf8(std::string_view gbk) {
  const Tables& t = tables();
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  std::size_t i = 0;
  while (i < gbk.size()) {
    const auto lead = static_cast<unsigned char>(gbk[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    if (i + 1 == gbk.size()) {  // a lone lead byte
      appendUtf8(out, 0xFFFD);
      break;
    }
    const auto trail = static_cast<unsigned char>(gbk[i + 1]);
    char16_t c = 0;
    if (lead >= 0x81 && lead <= 0xFE && isTrail(trail))
      c = t.decode[pairIndex(lead, trail)];
    appendUtf8(out, c != 0 ? c : 0xFFFD);
    i += 2;
  }
  return out;
}

}  // namespace calvane
