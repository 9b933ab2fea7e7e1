#include "text/text_ops.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/test_util.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;

std::vector<std::string> piecesOf(const TextList& list) {
  std::vector<std::string> out;
  for (const GbkText& t : list) out.push_back(t.bytes());
  return out;
}

TEST(TextOpsTest, LengthConcatAndCompareAreByteWise) {
  EXPECT_EQ(byteLength(""), 0);
  EXPECT_EQ(byteLength(gbk("中文a")), 5);
  EXPECT_EQ(concat({"ab", "", "\xD6\xD0", "", "c"}).view(), "ab\xD6\xD0" "c");
  EXPECT_EQ(concat({"", ""}).view(), "");

  struct Case {
    std::string_view a, b;
    int sign;
  } const cases[] = {
      {"", "", 0},
      {"", "a", -1},            // a prefix sorts first
      {"ab", "a", 1},
      {"\x7F", "\x80", -1},     // bytes are unsigned: 0x80 is above 0x7F
      {"\xFF", "\x01", 1},
      {"A", "a", -1},           // no case folding
      {"\xD6\xD0", "\xD6\xD0", 0},
  };
  for (const Case& c : cases) {
    const int r = compare(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
  }
}

TEST(TextOpsTest, MidTakesBytesAndEmptiesOutsideTheText) {
  const std::string_view zhongwen = "\xD6\xD0\xCE\xC4";  // 中文
  struct Case {
    std::string_view t;
    int32_t start, count;
    std::string_view want;
  } const cases[] = {
      {"abc", 0, 2, ""},
      {"abc", 4, 2, ""},
      {"abc", -5, 9, ""},
      {"abc", 1, 0, ""},
      {"abc", 1, -1, ""},
      {"ab", 2, 5, "b"},
      {"abc", 1, 3, "abc"},
      {"abc", 3, INT32_MAX, "c"},  // start + count overflows 32 bits
      {"abc", INT32_MAX, 1, ""},
      {"abc", INT32_MIN, 1, ""},
      {zhongwen, 2, 2, "\xD0\xCE"},  // may split characters
      {"", 1, 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mid(c.t, c.start, c.count).view(), c.want)
        << c.t << " " << c.start << " " << c.count;
  }
}

TEST(TextOpsTest, FindEdgeCases) {
  const std::string p20(20, 'A');
  const std::string lead_then_21a = "\xB0" + std::string(21, 'A');
  const std::string a40b = std::string(40, 'a') + "b";
  const std::string a17b = std::string(17, 'a') + "b";
  struct Case {
    std::string_view t, pattern;
    int32_t start, want;
  } const cases[] = {
      {"\xD6\xD0\xCE\xC4", "\xCE\xC4", 1, 3},  // 中文, 文
      {"\xD6\xD0", "\xD0", 1, -1},             // a trail byte never starts one
      {"\xD6\xD0", "\xD0", 2, 2},              // unless the scan starts there
      {"abcabc", "bc", 0, 2},
      {"abcabc", "bc", -5, 2},
      {"abcabc", "bc", 3, 5},
      {"abc", "c", 4, -1},
      {"abc", "c", INT32_MAX, -1},
      {"abc", "c", INT32_MIN, 3},
      {"abc", "abcd", 1, -1},
      {"abc", "bc", 3, -1},  // longer than what remains
      {"ABC", "b", 1, -1},   // case always matters
      {"", "a", 1, -1},
      // A pattern may end inside a character.
      {"a\xD6\xD0", "a\xD6", 1, 1},
      // Lone lead byte at the end: the scan stops there unless the pattern
      // is that very byte.
      {"ab\xB0", "\xB0", 1, 3},
      {"ab\xB0", "b\xB0", 1, 2},
      {"ab\xB0", "\xB0\x41", 1, -1},
      {"a\xB0\xB0", "\xB0", 1, 2},
      // The first byte-wise match sits on a trail byte; the overlapping one
      // just after it is on a boundary. Short and long patterns.
      {"\xB0\x41\x41\x41", "AA", 1, 3},
      {lead_then_21a, p20, 1, 3},
      {lead_then_21a, p20, 2, 2},
      {"aaaab", "aab", 1, 3},  // the search falls back within a partial match
      {a40b, a17b, 1, 24},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(find(c.t, c.pattern, c.start), c.want)
        << c.t << " / " << c.pattern << " from " << c.start;
  }
}

// Every first byte followed by every byte twice, searched and split by that
// byte: where a match may begin depends only on whether the first byte leads
// a two-byte character.
TEST(TextOpsTest, EveryPairRespectsCharacterBoundaries) {
  for (int b1 = 1; b1 <= 0xFF; ++b1) {
    for (int b2 = 1; b2 <= 0xFF; ++b2) {
      const std::string x(1, static_cast<char>(b2));
      const std::string t = static_cast<char>(b1) + x + x;
      const bool lead = b1 >= 0x80;
      int32_t want;
      std::vector<std::string> pieces;
      if (b1 == b2) {
        want = 1;
        pieces = {"", "", ""};  // no empty piece after the last delimiter
      } else if (lead) {
        want = 3;
        pieces = {t.substr(0, 2)};
      } else {
        want = 2;
        pieces = {t.substr(0, 1), ""};
      }
      ASSERT_EQ(calvane::find(t, x, 1), want) << b1 << " " << b2;
      // A scan that starts on the trail byte takes it as a boundary.
      ASSERT_EQ(calvane::find(t, x, 2), 2) << b1 << " " << b2;
      ASSERT_EQ(piecesOf(split(t, x)), pieces) << b1 << " " << b2;
    }
  }
}

// Runs of lead bytes of every length up to a few machine words, after runs
// of one-byte characters: an "A" right after an odd run is the trail of the
// run's last character.
TEST(TextOpsTest, LeadRunsOfEveryLengthAndParity) {
  const std::string tail(16, 'y');  // makes the pattern a long one
  for (int ascii = 0; ascii <= 9; ++ascii) {
    for (int leads = 0; leads <= 25; ++leads) {
      const std::string head = std::string(ascii, 'x') + std::string(leads, '\xB0');
      const std::string t = head + "A" + tail;
      const bool odd = leads % 2 == 1;
      const int32_t at = odd ? -1 : ascii + leads + 1;
      SCOPED_TRACE(::testing::Message() << ascii << " " << leads);
      EXPECT_EQ(calvane::find(t, "A", 1), at);
      EXPECT_EQ(calvane::find(t, "A" + tail, 1), at);
      EXPECT_EQ(piecesOf(split(t, "A")).size(), odd ? 1u : 2u);

      std::string widened;
      for (int i = 0; i < ascii; ++i) widened += "\xA3\xF8";  // ｘ
      widened += std::string(leads, '\xB0');
      widened += odd ? "A" : "\xA3\xC1";  // A or Ａ
      std::string widened_tail = widened;
      for (int i = 0; i < 16; ++i) widened_tail += "\xA3\xF9";  // ｙ
      EXPECT_EQ(toFullWidth(t).view(), widened_tail);
      EXPECT_EQ(toFullWidth(head + "A").view(), widened);
      // Without the "A" an odd run ends in a lone lead byte, which goes.
      EXPECT_EQ(toFullWidth(head).view(),
                widened.substr(0, 2 * ascii + leads - (odd ? 1 : 0)));
    }
  }
}

TEST(TextOpsTest, ReplaceAtClampsStartAndCount) {
  struct Case {
    std::string_view t;
    int32_t start, count;
    std::string_view replacement, want;
  } const cases[] = {
      {"abc", 0, 1, "x", "xbc"},
      {"abc", 9, 1, "x", "abcx"},
      {"abc", 2, -1, "x", "axbc"},
      {"abc", 2, 99, "", "a"},
      {"abc", 2, 1, "xyz", "axyzc"},
      {"abc", INT32_MIN, INT32_MAX, "x", "x"},
      {"abc", INT32_MAX, INT32_MAX, "x", "abcx"},
      {"abc", 3, INT32_MAX, "", "ab"},
      {"", 1, 1, "x", "x"},
      {"\xD6\xD0\xCE\xC4", 2, 2, "-", "\xD6-\xC4"},  // bytes, not characters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(replaceAt(c.t, c.start, c.count, c.replacement).view(), c.want)
        << c.t << " " << c.start << " " << c.count;
  }
}

TEST(TextOpsTest, SplitPieces) {
  using Pieces = std::vector<std::string>;
  const std::string dashes(20, '-');
  const std::string long_delimited = "xxx" + dashes + "y";
  struct Case {
    std::string_view t, delimiter;
    Pieces want;
  } const cases[] = {
      {"a\r\nb", "\r\n", {"a", "b"}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"a\r\n", "\r\n", {"a"}},
      {"a\r\n\r\n", "\r\n", {"a", ""}},
      {"\r\na", "\r\n", {"", "a"}},
      {"\r\n", "\r\n", {""}},
      {"", "\r\n", {}},
      {"a\rb\nc", "\r\n", {"a\rb\nc"}},  // a lone CR or LF does not split
      {"a\r", "\r\n", {"a\r"}},
      {"\xA9\xB3 \xA8\x54 \xA9\xB7", " ", {"\xA9\xB3", "\xA8\x54", "\xA9\xB7"}},
      {"ab\xB0", "b", {"a", "\xB0"}},
      {"a b\xB0", " ", {"a", "b\xB0"}},  // the lone lead byte stays
      // 中 is D6 D0: the "\xD0" delimiter never matches its trail byte.
      {"\xD6\xD0\xD0", "\xD0", {"\xD6\xD0"}},
      // After a delimiter that ends on a lead byte the scan restarts on the
      // next byte, so B0 41 there is a character and 41 B0 inside it is no
      // delimiter.
      {"\x41\xB0\xB0\x41\xB0\x41", "\x41\xB0", {"", "\xB0\x41\xB0\x41"}},
      {long_delimited, dashes, {"xxx", "y"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(piecesOf(split(c.t, c.delimiter)), c.want) << c.t;
  }
}

TEST(TextOpsTest, BlanksAreAsciiSpaces) {
  EXPECT_EQ(blanks(0).view(), "");
  EXPECT_EQ(blanks(-3).view(), "");
  EXPECT_EQ(blanks(INT32_MIN).view(), "");
  EXPECT_EQ(blanks(3).view(), "   ");
  EXPECT_EQ(toFullWidth(blanks(3)).view(), "\xA1\xA1\xA1\xA1\xA1\xA1");
}

// The full-width form of a one-byte text, as the conversion table defines it.
std::string fullWidthOf(int b) {
  if (b == 0x20) return "\xA1\xA1";
  if (b == 0x7E) return "\xA1\xAB";
  if (b >= 0x21 && b <= 0x7D) return {'\xA3', static_cast<char>(b + 0x80)};
  if (b < 0x80) return std::string(1, static_cast<char>(b));
  return "";  // a lone lead byte
}

TEST(TextOpsTest, EverySingleByteThroughBothWidths) {
  for (int b = 1; b <= 0xFF; ++b) {
    const std::string t(1, static_cast<char>(b));
    const GbkText full = toFullWidth(t);
    ASSERT_EQ(full.view(), fullWidthOf(b)) << b;
    if (b < 0x80) {
      EXPECT_EQ(toHalfWidth(t).view(), t) << b;
      EXPECT_EQ(toHalfWidth(full).view(), t) << b;  // round trip
    } else {
      EXPECT_EQ(toHalfWidth(t).view(), "") << b;
    }
  }
  // Values checked against GBK's own glyphs: ０ Ａ ａ ． ， ￥ ｝.
  EXPECT_EQ(toFullWidth("0Aa.,$}").view(),
            "\xA3\xB0\xA3\xC1\xA3\xE1\xA3\xAE\xA3\xAC\xA3\xA4\xA3\xFD");
}

TEST(TextOpsTest, EveryPairThroughBothWidths) {
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 1; trail <= 0xFF; ++trail) {
      const std::string pair = {static_cast<char>(lead),
                                static_cast<char>(trail)};
      ASSERT_EQ(toFullWidth(pair).view(), pair);
      std::string half = pair;
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        half = std::string(1, static_cast<char>(trail - 0x80));
      } else if (lead == 0xA1 && trail == 0xA1) {
        half = " ";
      } else if (lead == 0xA1 && trail == 0xAB) {
        half = "~";
      } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
        half = "*";
      }
      ASSERT_EQ(toHalfWidth(pair).view(), half) << lead << " " << trail;
    }
  }
}

TEST(TextOpsTest, WidthsOfMixedTexts) {
  EXPECT_EQ(toFullWidth("a b~"), gbk("ａ　ｂ～"));
  EXPECT_EQ(toFullWidth(gbk("中\r\n╔═")), gbk("中\r\n╔═"));
  EXPECT_EQ(toFullWidth("\t1\x7F").view(), "\t\xA3\xB1\x7F");
  EXPECT_EQ(toFullWidth("a\xB0").view(), "\xA3\xE1");  // the lone lead goes
  EXPECT_EQ(toHalfWidth(gbk("１２．５　～☆★中")),
            concat({"12.5 ~**", gbk("中")}));
  EXPECT_EQ(toHalfWidth(concat({gbk("ａ"), "\xB0"})).view(), "a");
  // ￣ (A3 FE) goes back to "~"; the tilde itself widens to ～.
  EXPECT_EQ(toHalfWidth("\xA3\xFE").view(), "~");
}

}  // namespace
}  // namespace calvane
