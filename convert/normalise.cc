#include "convert/normalise.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

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

// What a single character finally becomes once every row has run over it:
// a row may rewrite what an earlier row wrote ("~" -> "～" -> "§").
std::string_view resolve(std::string_view character, std::size_t firstRow) {
  std::string_view current = character;
  for (std::size_t row = firstRow; row < std::size(kTable); ++row) {
    if (kTable[row].pattern == current) current = kTable[row].replacement;
  }
  return current;
}

std::string_view replacementOf(std::string_view pattern) {
  for (std::size_t row = 0; row < std::size(kTable); ++row) {
    if (kTable[row].pattern == pattern) return resolve(pattern, row);
  }
  assert(false && "pattern not in the table");
  return pattern;
}

// The final form of every one-byte character and of every two-byte
// character, built from the table once. Only the two-character rows (a
// backslash pair, a backslash and an apostrophe) are not covered; no
// one-character row reads or writes a backslash or an apostrophe, so they
// can be handled on their own.
struct Lookup {
  // Replacement bytes for each one-byte character; size 0 keeps it. The
  // space rule, which runs after the table, is folded in.
  std::array<std::string_view, 128> oneByte{};
  // For each lead byte, an index into trailTables plus one; 0 means no
  // two-byte character with that lead is replaced.
  std::array<uint8_t, 256> leadIndex{};
  std::vector<std::array<std::string_view, 256>> trailTables;
  std::string_view backslashPair;
  std::string_view backslashApostrophe;

  Lookup() {
    for (std::size_t row = 0; row < std::size(kTable); ++row) {
      const std::string_view pattern = kTable[row].pattern;
      const auto lead = static_cast<uint8_t>(pattern[0]);
      if (pattern.size() == 1) {
        if (oneByte[lead].empty()) oneByte[lead] = resolve(pattern, row);
      } else if (lead >= 0x80) {
        if (leadIndex[lead] == 0) {
          trailTables.emplace_back();
          leadIndex[lead] = static_cast<uint8_t>(trailTables.size());
        }
        auto& trails = trailTables[leadIndex[lead] - 1];
        const auto trail = static_cast<uint8_t>(pattern[1]);
        if (trails[trail].empty()) trails[trail] = resolve(pattern, row);
      }
    }
    assert(oneByte['\\'].empty() && oneByte['\''].empty());
    oneByte[' '] = kIdeographicSpace;
    backslashPair = replacementOf("\\\\");
    backslashApostrophe = replacementOf("\\'");
  }
};

const Lookup& lookup() {
  static const Lookup kLookup;
  return kLookup;
}

inline char* put(char* out, std::string_view bytes) {
  for (char b : bytes) *out++ = b;
  return out;
}

}  // namespace

std::span<const Substitution> substitutionTable() { return kTable; }

GbkText normaliseCharacters(std::string_view text) {
  const Lookup& table = lookup();
  const std::size_t n = text.size();
  // Every character grows to at most two bytes per input byte.
  std::string result(2 * n, '\0');
  char* out = result.data();
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = in[i];
    if (b >= 0x80) {
      // A lone lead byte at the end matches nothing and stays.
      if (i + 1 == n) {
        *out++ = static_cast<char>(b);
        break;
      }
      const uint8_t index = table.leadIndex[b];
      const unsigned char trail = in[i + 1];
      if (index != 0 && !table.trailTables[index - 1][trail].empty()) {
        out = put(out, table.trailTables[index - 1][trail]);
      } else {
        *out++ = static_cast<char>(b);
        *out++ = static_cast<char>(trail);
      }
      i += 2;
    } else if (b == '\\') {
      // A run of backslashes pairs off from its left; an odd one left at
      // its end pairs with an apostrophe right after it.
      std::size_t run = 1;
      while (i + run < n && in[i + run] == '\\') ++run;
      for (std::size_t k = 0; k < run / 2; ++k) out = put(out, table.backslashPair);
      i += run;
      if (run % 2 == 1) {
        if (i < n && in[i] == '\'') {
          out = put(out, table.backslashApostrophe);
          ++i;
        } else {
          *out++ = '\\';
        }
      }
    } else {
      const std::string_view replacement = table.oneByte[b];
      if (replacement.empty()) {
        *out++ = static_cast<char>(b);
      } else {
        out = put(out, replacement);
      }
      ++i;
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return GbkText(std::move(result));
}

}  // namespace calvane
