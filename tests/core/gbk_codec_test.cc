#include "text/gbk_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace calvane {
namespace {

std::string utf8Of(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

// Every symbol the character table and the built-in borders write or match,
// with the code point code page 936 gives it (Microsoft's cp936 table), so a
// converter that maps, say, A1 AA to U+2015 or A1 AB to U+301C is caught.
TEST(GbkCodecTest, PinsEverySymbolOfTheTablesInBothDirections) {
  struct Case {
    const char* gbk;
    char32_t code;
  } const cases[] = {
      {"\x85\x65", 0x5350},  // 卐
      {"\xA1\xA1", 0x3000},  // 　
      {"\xA1\xA3", 0x3002},  // 。
      {"\xA1\xAA", 0x2014},  // —
      {"\xA1\xAB", 0xFF5E},  // ～
      {"\xA1\xAC", 0x2016},  // ‖
      {"\xA1\xAD", 0x2026},  // …
      {"\xA1\xAE", 0x2018},  // ‘
      {"\xA1\xAF", 0x2019},  // ’
      {"\xA1\xB0", 0x201C},  // “
      {"\xA1\xB1", 0x201D},  // ”
      {"\xA1\xB6", 0x300A},  // 《
      {"\xA1\xB7", 0x300B},  // 》
      {"\xA1\xB8", 0x300C},  // 「
      {"\xA1\xB9", 0x300D},  // 」
      {"\xA1\xBA", 0x300E},  // 『
      {"\xA1\xBB", 0x300F},  // 』
      {"\xA1\xBE", 0x3010},  // 【
      {"\xA1\xBF", 0x3011},  // 】
      {"\xA1\xC4", 0x2227},  // ∧
      {"\xA1\xC5", 0x2228},  // ∨
      {"\xA1\xE7", 0xFF04},  // ＄
      {"\xA1\xEC", 0x00A7},  // §
      {"\xA1\xFE", 0x3013},  // 〓
      {"\xA3\xA1", 0xFF01},  // ！
      {"\xA3\xA2", 0xFF02},  // ＂
      {"\xA3\xA3", 0xFF03},  // ＃
      {"\xA3\xA5", 0xFF05},  // ％
      {"\xA3\xA6", 0xFF06},  // ＆
      {"\xA3\xA7", 0xFF07},  // ＇
      {"\xA3\xA8", 0xFF08},  // （
      {"\xA3\xA9", 0xFF09},  // ）
      {"\xA3\xAA", 0xFF0A},  // ＊
      {"\xA3\xAB", 0xFF0B},  // ＋
      {"\xA3\xAC", 0xFF0C},  // ，
      {"\xA3\xAD", 0xFF0D},  // －
      {"\xA3\xAF", 0xFF0F},  // ／
      {"\xA3\xB0", 0xFF10},  // ０
      {"\xA3\xB1", 0xFF11},  // １
      {"\xA3\xB2", 0xFF12},  // ２
      {"\xA3\xB3", 0xFF13},  // ３
      {"\xA3\xB4", 0xFF14},  // ４
      {"\xA3\xB5", 0xFF15},  // ５
      {"\xA3\xB6", 0xFF16},  // ６
      {"\xA3\xB7", 0xFF17},  // ７
      {"\xA3\xB8", 0xFF18},  // ８
      {"\xA3\xB9", 0xFF19},  // ９
      {"\xA3\xBA", 0xFF1A},  // ：
      {"\xA3\xBB", 0xFF1B},  // ；
      {"\xA3\xBC", 0xFF1C},  // ＜
      {"\xA3\xBD", 0xFF1D},  // ＝
      {"\xA3\xBE", 0xFF1E},  // ＞
      {"\xA3\xBF", 0xFF1F},  // ？
      {"\xA3\xC0", 0xFF20},  // ＠
      {"\xA3\xC1", 0xFF21},  // Ａ
      {"\xA3\xC2", 0xFF22},  // Ｂ
      {"\xA3\xC3", 0xFF23},  // Ｃ
      {"\xA3\xC4", 0xFF24},  // Ｄ
      {"\xA3\xC5", 0xFF25},  // Ｅ
      {"\xA3\xC6", 0xFF26},  // Ｆ
      {"\xA3\xC7", 0xFF27},  // Ｇ
      {"\xA3\xC8", 0xFF28},  // Ｈ
      {"\xA3\xC9", 0xFF29},  // Ｉ
      {"\xA3\xCA", 0xFF2A},  // Ｊ
      {"\xA3\xCB", 0xFF2B},  // Ｋ
      {"\xA3\xCC", 0xFF2C},  // Ｌ
      {"\xA3\xCD", 0xFF2D},  // Ｍ
      {"\xA3\xCE", 0xFF2E},  // Ｎ
      {"\xA3\xCF", 0xFF2F},  // Ｏ
      {"\xA3\xD0", 0xFF30},  // Ｐ
      {"\xA3\xD1", 0xFF31},  // Ｑ
      {"\xA3\xD2", 0xFF32},  // Ｒ
      {"\xA3\xD3", 0xFF33},  // Ｓ
      {"\xA3\xD4", 0xFF34},  // Ｔ
      {"\xA3\xD5", 0xFF35},  // Ｕ
      {"\xA3\xD6", 0xFF36},  // Ｖ
      {"\xA3\xD7", 0xFF37},  // Ｗ
      {"\xA3\xD8", 0xFF38},  // Ｘ
      {"\xA3\xD9", 0xFF39},  // Ｙ
      {"\xA3\xDA", 0xFF3A},  // Ｚ
      {"\xA3\xDC", 0xFF3C},  // ＼
      {"\xA3\xE0", 0xFF40},  // ｀
      {"\xA3\xE1", 0xFF41},  // ａ
      {"\xA3\xE2", 0xFF42},  // ｂ
      {"\xA3\xE3", 0xFF43},  // ｃ
      {"\xA3\xE4", 0xFF44},  // ｄ
      {"\xA3\xE5", 0xFF45},  // ｅ
      {"\xA3\xE6", 0xFF46},  // ｆ
      {"\xA3\xE7", 0xFF47},  // ｇ
      {"\xA3\xE8", 0xFF48},  // ｈ
      {"\xA3\xE9", 0xFF49},  // ｉ
      {"\xA3\xEA", 0xFF4A},  // ｊ
      {"\xA3\xEB", 0xFF4B},  // ｋ
      {"\xA3\xEC", 0xFF4C},  // ｌ
      {"\xA3\xED", 0xFF4D},  // ｍ
      {"\xA3\xEE", 0xFF4E},  // ｎ
      {"\xA3\xEF", 0xFF4F},  // ｏ
      {"\xA3\xF0", 0xFF50},  // ｐ
      {"\xA3\xF1", 0xFF51},  // ｑ
      {"\xA3\xF2", 0xFF52},  // ｒ
      {"\xA3\xF3", 0xFF53},  // ｓ
      {"\xA3\xF4", 0xFF54},  // ｔ
      {"\xA3\xF5", 0xFF55},  // ｕ
      {"\xA3\xF6", 0xFF56},  // ｖ
      {"\xA3\xF7", 0xFF57},  // ｗ
      {"\xA3\xF8", 0xFF58},  // ｘ
      {"\xA3\xF9", 0xFF59},  // ｙ
      {"\xA3\xFA", 0xFF5A},  // ｚ
      {"\xA3\xFC", 0xFF5C},  // ｜
      {"\xA6\xE0", 0xFE35},  // ︵
      {"\xA6\xE1", 0xFE36},  // ︶
      {"\xA6\xE4", 0xFE3F},  // ︿
      {"\xA6\xE5", 0xFE40},  // ﹀
      {"\xA6\xE6", 0xFE3D},  // ︽
      {"\xA6\xE7", 0xFE3E},  // ︾
      {"\xA6\xE8", 0xFE41},  // ﹁
      {"\xA6\xE9", 0xFE42},  // ﹂
      {"\xA6\xEA", 0xFE43},  // ﹃
      {"\xA6\xEB", 0xFE44},  // ﹄
      {"\xA6\xEE", 0xFE3B},  // ︻
      {"\xA6\xEF", 0xFE3C},  // ︼
      {"\xA6\xF0", 0xFE37},  // ︷
      {"\xA6\xF1", 0xFE38},  // ︸
      {"\xA6\xF4", 0xFE33},  // ︳
      {"\xA8\x54", 0x2550},  // ═
      {"\xA8\x55", 0x2551},  // ║
      {"\xA8\x58", 0x2554},  // ╔
      {"\xA8\x5B", 0x2557},  // ╗
      {"\xA8\x5E", 0x255A},  // ╚
      {"\xA8\x61", 0x255D},  // ╝
      {"\xA8\x68", 0x2564},  // ╤
      {"\xA8\x6B", 0x2567},  // ╧
      {"\xA9\xA5", 0x2501},  // ━
      {"\xA9\xA6", 0x2502},  // │
      {"\xA9\xA7", 0x2503},  // ┃
      {"\xA9\xAA", 0x2506},  // ┆
      {"\xA9\xAB", 0x2507},  // ┇
      {"\xA9\xB3", 0x250F},  // ┏
      {"\xA9\xB7", 0x2513},  // ┓
      {"\xA9\xBB", 0x2517},  // ┗
      {"\xA9\xBF", 0x251B},  // ┛
      {"\xA9\xD3", 0x252F},  // ┯
      {"\xA9\xDB", 0x2537},  // ┷
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << static_cast<uint32_t>(c.code));
    EXPECT_EQ(gbkToUtf8(c.gbk), utf8Of(c.code));
    const EncodeResult back = utf8ToGbk(utf8Of(c.code));
    EXPECT_EQ(back.text.bytes(), c.gbk);
    EXPECT_EQ(back.replaced, 0);
  }
}

TEST(GbkCodecTest, AsciiPassesThroughUnchanged) {
  for (int b = 1; b < 0x80; ++b) {
    const std::string s(1, static_cast<char>(b));
    EXPECT_EQ(gbkToUtf8(s), s);
    EXPECT_EQ(utf8ToGbk(s).text.bytes(), s);
  }
}

TEST(GbkCodecTest, CharactersGbkCannotHoldBecomeTheMarkAndAreCounted) {
  struct Case {
    std::string utf8;
    std::string gbk;
    int64_t replaced;
  } const cases[] = {
      {utf8Of(0x20AC), "\xA1\xFE", 1},          // euro: cp936's single byte 0x80
      {utf8Of(0x1F600), "\xA1\xFE", 1},         // emoji
      {utf8Of(0x20000), "\xA1\xFE", 1},         // ideograph outside the BMP
      {std::string(1, '\0'), "\xA1\xFE", 1},    // U+0000
      {"a" + utf8Of(0x20AC) + "b" + utf8Of(0x1F600), "a\xA1\xFE" "b\xA1\xFE", 2},
      {"\xFF", "\xA1\xFE", 1},                  // not UTF-8 at all
      {"\xE4\xB8", "\xA1\xFE\xA1\xFE", 2},      // a cut-off sequence
      {"\xC0\xAF", "\xA1\xFE\xA1\xFE", 2},      // an overlong "/"
      {"\xED\xA0\x80", "\xA1\xFE\xA1\xFE\xA1\xFE", 3},  // a surrogate
      {utf8Of(0x4E2D) + "\r\n", "\xD6\xD0\r\n", 0},    // 中
  };
  for (const Case& c : cases) {
    const EncodeResult r = utf8ToGbk(c.utf8);
    EXPECT_EQ(r.text.bytes(), c.gbk);
    EXPECT_EQ(r.replaced, c.replaced);
  }
}

TEST(GbkCodecTest, BytesThatDoNotDecodeBecomeTheReplacementCharacter) {
  const std::string fffd = utf8Of(0xFFFD);
  struct Case {
    std::string gbk;
    std::string utf8;
  } const cases[] = {
      {"\xD6", fffd},                  // a lone lead byte
      {"a\xD6", "a" + fffd},
      {"\x80\x41", fffd},              // 0x80 is no lead byte of code page 936
      {"\xFF\xA1", fffd},
      {"\xD6\x7F", fffd},              // 0x7F is no trail byte
      {"\xD6\x30" "a", fffd + "a"},    // nor is a digit; the pair is one character
      {"\xA2\xA0", fffd},              // a hole in the symbol rows
  };
  for (const Case& c : cases) EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
}

// Every pair that decodes comes back as the same pair, and nothing but the
// mark is ever written for a character that does not.
TEST(GbkCodecTest, EveryDefinedPairRoundTrips) {
  int defined = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string u = gbkToUtf8(pair);
      if (u == utf8Of(0xFFFD)) continue;
      ++defined;
      const EncodeResult back = utf8ToGbk(u);
      EXPECT_EQ(back.text.bytes(), pair) << std::hex << lead << ' ' << trail;
    }
  }
  // GBK defines 21,886 characters; the user-defined areas are not ours.
  EXPECT_GT(defined, 21000);
}

}  // namespace
}  // namespace calvane
