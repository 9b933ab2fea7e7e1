#include "convert/normalise.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <string>

namespace calvane {

namespace {

constexpr Substitution kTable[] = {
    {"\x30", "\xA3\xB0"},  // 1: 0 -> ０
    {"\x31", "\xA3\xB1"},  // 2: 1 -> １
    {"\x32", "\xA3\xB2"},  // 3: 2 -> ２
    {"\x33", "\xA3\xB3"},  // 4: 3 -> ３
    {"\x34", "\xA3\xB4"},  // 5: 4 -> ４
    {"\x35", "\xA3\xB5"},  // 6: 5 -> ５
    {"\x36", "\xA3\xB6"},  // 7: 6 -> ６
    {"\x37", "\xA3\xB7"},  // 8: 7 -> ７
    {"\x38", "\xA3\xB8"},  // 9: 8 -> ８
    {"\x39", "\xA3\xB9"},  // 10: 9 -> ９
    {"\x61", "\xA3\xE1"},  // 11: a -> ａ
    {"\x62", "\xA3\xE2"},  // 12: b -> ｂ
    {"\x63", "\xA3\xE3"},  // 13: c -> ｃ
    {"\x64", "\xA3\xE4"},  // 14: d -> ｄ
    {"\x65", "\xA3\xE5"},  // 15: e -> ｅ
    {"\x66", "\xA3\xE6"},  // 16: f -> ｆ
    {"\x67", "\xA3\xE7"},  // 17: g -> ｇ
    {"\x68", "\xA3\xE8"},  // 18: h -> ｈ
    {"\x69", "\xA3\xE9"},  // 19: i -> ｉ
    {"\x6A", "\xA3\xEA"},  // 20: j -> ｊ
    {"\x6B", "\xA3\xEB"},  // 21: k -> ｋ
    {"\x6C", "\xA3\xEC"},  // 22: l -> ｌ
    {"\x6D", "\xA3\xED"},  // 23: m -> ｍ
    {"\x6E", "\xA3\xEE"},  // 24: n -> ｎ
    {"\x6F", "\xA3\xEF"},  // 25: o -> ｏ
    {"\x70", "\xA3\xF0"},  // 26: p -> ｐ
    {"\x71", "\xA3\xF1"},  // 27: q -> ｑ
    {"\x72", "\xA3\xF2"},  // 28: r -> ｒ
    {"\x73", "\xA3\xF3"},  // 29: s -> ｓ
    {"\x74", "\xA3\xF4"},  // 30: t -> ｔ
    {"\x75", "\xA3\xF5"},  // 31: u -> ｕ
    {"\x76", "\xA3\xF6"},  // 32: v -> ｖ
    {"\x77", "\xA3\xF7"},  // 33: w -> ｗ
    {"\x78", "\xA3\xF8"},  // 34: x -> ｘ
    {"\x79", "\xA3\xF9"},  // 35: y -> ｙ
    {"\x7A", "\xA3\xFA"},  // 36: z -> ｚ
    {"\x41", "\xA3\xC1"},  // 37: A -> Ａ
    {"\x42", "\xA3\xC2"},  // 38: B -> Ｂ
    {"\x43", "\xA3\xC3"},  // 39: C -> Ｃ
    {"\x44", "\xA3\xC4"},  // 40: D -> Ｄ
    {"\x45", "\xA3\xC5"},  // 41: E -> Ｅ
    {"\x46", "\xA3\xC6"},  // 42: F -> Ｆ
    {"\x47", "\xA3\xC7"},  // 43: G -> Ｇ
    {"\x48", "\xA3\xC8"},  // 44: H -> Ｈ
    {"\x49", "\xA3\xC9"},  // 45: I -> Ｉ
    {"\x4A", "\xA3\xCA"},  // 46: J -> Ｊ
    {"\x4B", "\xA3\xCB"},  // 47: K -> Ｋ
    {"\x4C", "\xA3\xCC"},  // 48: L -> Ｌ
    {"\x4D", "\xA3\xCD"},  // 49: M -> Ｍ
    {"\x4E", "\xA3\xCE"},  // 50: N -> Ｎ
    {"\x4F", "\xA3\xCF"},  // 51: O -> Ｏ
    {"\x50", "\xA3\xD0"},  // 52: P -> Ｐ
    {"\x51", "\xA3\xD1"},  // 53: Q -> Ｑ
    {"\x52", "\xA3\xD2"},  // 54: R -> Ｒ
    {"\x53", "\xA3\xD3"},  // 55: S -> Ｓ
    {"\x54", "\xA3\xD4"},  // 56: T -> Ｔ
    {"\x55", "\xA3\xD5"},  // 57: U -> Ｕ
    {"\x56", "\xA3\xD6"},  // 58: V -> Ｖ
    {"\x57", "\xA3\xD7"},  // 59: W -> Ｗ
    {"\x58", "\xA3\xD8"},  // 60: X -> Ｘ
    {"\x59", "\xA3\xD9"},  // 61: Y -> Ｙ
    {"\x5A", "\xA3\xDA"},  // 62: Z -> Ｚ
    {"\x28", "\xA6\xE0"},  // 63: ( -> ︵
    {"\x29", "\xA6\xE1"},  // 64: ) -> ︶
    {"\x5B", "\xA6\xEE"},  // 65: [ -> ︻
    {"\x5D", "\xA6\xEF"},  // 66: ] -> ︼
    {"\x7B", "\xA6\xF0"},  // 67: { -> ︷
    {"\x7D", "\xA6\xF1"},  // 68: } -> ︸
    {"\x3C", "\xA6\xE4"},  // 69: < -> ︿
    {"\x3E", "\xA6\xE5"},  // 70: > -> ﹀
    {"\x2A", "\xA3\xAA"},  // 71: * -> ＊
    {"\x26", "\xA3\xA6"},  // 72: & -> ＆
    {"\x5E", "\xA6\xE4"},  // 73: ^ -> ︿
    {"\x25", "\xA3\xA5"},  // 74: % -> ％
    {"\x24", "\xA1\xE7"},  // 75: $ -> ＄
    {"\x23", "\xA3\xA3"},  // 76: # -> ＃
    {"\x40", "\xA3\xC0"},  // 77: @ -> ＠
    {"\x21", "\xA3\xA1"},  // 78: ! -> ！
    {"\x7E", "\xA1\xAB"},  // 79: ~ -> ～
    {"\x60", "\xA3\xE0"},  // 80: ` -> ｀
    {"\x2B", "\xA3\xAB"},  // 81: + -> ＋
    {"\x2D", "\xA3\xAD"},  // 82: - -> －
    {"\x3D", "\xA1\xAC"},  // 83: = -> ‖
    {"\x5F", "\xA6\xF4"},  // 84: _ -> ︳
    {"\x7C", "\xA3\xFC"},  // 85: | -> ｜
    {"\x5C\x5C", "\xA3\xDC"},  // 86: \\ -> ＼
    {"\x5C\x27", "\xA3\xA7"},  // 87: \' -> ＇
    {"\x22", "\xA3\xA2"},  // 88: " -> ＂
    {"\x3B", "\xA3\xBB"},  // 89: ; -> ；
    {"\x3A", "\xA3\xBA"},  // 90: : -> ：
    {"\x2E", "\xA1\xA3"},  // 91: . -> 。
    {"\x2C", "\xA3\xAC"},  // 92: , -> ，
    {"\x3F", "\xA3\xBF"},  // 93: ? -> ？
    {"\x2F", "\xA3\xAF"},  // 94: / -> ／
    {"\xA3\xA8", "\xA6\xE0"},  // 95: （ -> ︵
    {"\xA3\xA9", "\xA6\xE1"},  // 96: ） -> ︶
    {"\xA1\xBE", "\xA6\xEE"},  // 97: 【 -> ︻
    {"\xA1\xBF", "\xA6\xEF"},  // 98: 】 -> ︼
    {"\xA1\xB6", "\xA6\xE6"},  // 99: 《 -> ︽
    {"\xA1\xB7", "\xA6\xE7"},  // 100: 》 -> ︾
    {"\xA1\xAD", "\xA9\xAB"},  // 101: … -> ┇
    {"\xA1\xAA", "\xA9\xA6"},  // 102: — -> │
    {"\xA1\xAB", "\xA1\xEC"},  // 103: ～ -> §
    {"\xA1\xB0", "\xA6\xE8"},  // 104: “ -> ﹁
    {"\xA1\xB1", "\xA6\xE9"},  // 105: ” -> ﹂
    {"\xA1\xAE", "\xA6\xEA"},  // 106: ‘ -> ﹃
    {"\xA1\xAF", "\xA6\xEB"},  // 107: ’ -> ﹄
    {"\xA1\xB8", "\xA6\xE8"},  // 108: 「 -> ﹁
    {"\xA1\xB9", "\xA6\xE9"},  // 109: 」 -> ﹂
    {"\xA1\xBA", "\xA6\xEA"},  // 110: 『 -> ﹃
    {"\xA1\xBB", "\xA6\xEB"},  // 111: 』 -> ﹄
    {"\xA3\xBC", "\xA1\xC4"},  // 112: ＜ -> ∧
    {"\xA3\xBE", "\xA1\xC5"},  // 113: ＞ -> ∨
    {"\xA3\xBD", "\xA1\xAC"},  // 114: ＝ -> ‖
};
static_assert(std::size(kTable) == 114);

constexpr std::string_view kIdeographicSpace = "\xA1\xA1";  // 　

using TwoBytes = std::array<char, 2>;

// What a single character finally becomes once every row has run over it:
// a row may rewrite what an earlier row wrote ("~" -> "～" -> "§").
std::string_view resolve(std::string_view character, std::size_t firstRow) {
  std::string_view current = character;
  for (std::size_t row = firstRow; row < std::size(kTable); ++row) {
    if (kTable[row].pattern == current) current = kTable[row].replacement;
  }
  return current;
}

TwoBytes cellOf(std::string_view twoBytes) {
  assert(twoBytes.size() == 2);
  return {twoBytes[0], twoBytes[1]};
}

TwoBytes replacementOf(std::string_view pattern) {
  for (std::size_t row = 0; row < std::size(kTable); ++row) {
    if (kTable[row].pattern == pattern) return cellOf(resolve(pattern, row));
  }
  assert(false && "pattern not in the table");
  return {};
}

// The final form of every character, built from the table once, so the
// pass copies one entry per character without a test. Only the
// two-character rows (a backslash pair, a backslash and an apostrophe) are
// left to the pass; no one-character row reads or writes a backslash or an
// apostrophe, so they can be handled on their own.
struct Lookup {
  struct OneByte {
    TwoBytes bytes;
    // Bytes of the result: 1 keeps the character, 2 replaces it, 0 (the
    // backslash) leaves it to the pass.
    uint8_t length;
  };
  std::array<OneByte, 128> oneByte{};
  // Indexed by lead * 256 + trail.
  std::array<TwoBytes, 65536> twoByte{};
  TwoBytes backslashPair{};
  TwoBytes backslashApostrophe{};

  Lookup() {
    for (int b = 0; b < 128; ++b) {
      oneByte[b] = {{static_cast<char>(b), 0}, 1};
    }
    for (int pair = 0; pair < 65536; ++pair) {
      twoByte[pair] = {static_cast<char>(pair >> 8), static_cast<char>(pair)};
    }
    std::array<bool, 65536> taken{};
    for (std::size_t row = 0; row < std::size(kTable); ++row) {
      const std::string_view pattern = kTable[row].pattern;
      const auto lead = static_cast<uint8_t>(pattern[0]);
      if (pattern.size() == 1) {
        if (oneByte[lead].length == 1) {
          oneByte[lead] = {cellOf(resolve(pattern, row)), 2};
        }
      } else if (lead >= 0x80) {
        const int pair = lead * 256 + static_cast<uint8_t>(pattern[1]);
        if (!taken[pair]) twoByte[pair] = cellOf(resolve(pattern, row));
        taken[pair] = true;
      }
    }
    assert(oneByte['\\'].length == 1 && oneByte['\''].length == 1);
    oneByte['\\'].length = 0;
    oneByte[' '] = {cellOf(kIdeographicSpace), 2};
    backslashPair = replacementOf("\\\\");
    backslashApostrophe = replacementOf("\\'");
  }
};

const Lookup& lookup() {
  static const Lookup kLookup;
  return kLookup;
}

inline char* put(char* out, const TwoBytes& cell) {
  std::memcpy(out, cell.data(), 2);
  return out + 2;
}

}  // namespace

std::span<const Substitution> substitutionTable() { return kTable; }

GbkText normaliseCharacters(std::string_view text) {
  const Lookup& table = lookup();
  // Every character grows to at most two bytes per input byte, so each
  // step may write two bytes even when it keeps only one.
  std::string result(2 * text.size(), '\0');
  char* out = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* const end = in + text.size();
  while (in < end) {
    const unsigned char b = *in;
    if (b >= 0x80) {
      // A lone lead byte at the end matches nothing and stays.
      if (in + 1 == end) {
        *out++ = static_cast<char>(b);
        break;
      }
      out = put(out, table.twoByte[b * 256 + in[1]]);
      in += 2;
      continue;
    }
    const Lookup::OneByte& one = table.oneByte[b];
    if (one.length != 0) {
      std::memcpy(out, one.bytes.data(), 2);
      out += one.length;
      ++in;
      continue;
    }
    // A run of backslashes pairs off from its left; an odd one left at its
    // end pairs with an apostrophe right after it.
    const unsigned char* run = in;
    while (in < end && *in == '\\') ++in;
    for (auto pairs = (in - run) / 2; pairs > 0; --pairs) {
      out = put(out, table.backslashPair);
    }
    if ((in - run) % 2 == 1) {
      if (in < end && *in == '\'') {
        out = put(out, table.backslashApostrophe);
        ++in;
      } else {
        *out++ = '\\';
      }
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return GbkText(std::move(result));
}

}  // namespace calvane
