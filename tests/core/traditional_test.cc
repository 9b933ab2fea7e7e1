#include "convert/traditional.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/core/test_util.h"
#include "text/gbk_codec.h"

namespace calvane {
namespace {

using testing::gbk;
using testing::utf8;

std::string bytesOf(std::string_view utf8Text) { return gbk(utf8Text).bytes(); }

bool isTrail(unsigned b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

std::string pairText(unsigned lead, unsigned trail) {
  return {static_cast<char>(lead), static_cast<char>(trail)};
}

// The table entry for (lead, trail), read by the layout the header states.
std::string entry(unsigned lead, unsigned trail) {
  const unsigned column = trail <= 0x7E ? trail - 0x40 : trail - 0x41;
  const std::size_t offset = (lead - 0x81) * 380 + 2 * column;
  return pairText(conversionTable[offset], conversionTable[offset + 1]);
}

struct Position {
  unsigned lead;
  unsigned trail;
};

std::vector<Position> allPositions() {
  std::vector<Position> positions;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F) positions.push_back({lead, trail});
  return positions;
}

// A pair GBK defines: it decodes to a character that encodes back to it.
bool isGbkCharacter(const std::string& pair) {
  const std::string decoded = gbkToUtf8(pair);
  if (decoded == "\xEF\xBF\xBD") return false;
  const EncodeResult back = utf8ToGbk(decoded);
  return back.replaced == 0 && back.text.bytes() == pair;
}

TEST(ConversionTableTest, ChangedEntriesAreCountedAndAreGbkCharacters) {
  const std::vector<Position> positions = allPositions();
  ASSERT_EQ(positions.size(), 23940u);
  int changed = 0;
  for (const Position& p : positions) {
    const std::string from = pairText(p.lead, p.trail);
    const std::string to = entry(p.lead, p.trail);
    if (to == from) continue;
    ++changed;
    const auto toLead = static_cast<unsigned char>(to[0]);
    const auto toTrail = static_cast<unsigned char>(to[1]);
    EXPECT_TRUE(toLead >= 0x81 && toLead <= 0xFE && isTrail(toTrail))
        << utf8(from);
    EXPECT_TRUE(isGbkCharacter(to)) << utf8(from) << " -> undefined pair";
    // Undefined and user-defined positions hold their own bytes.
    EXPECT_TRUE(isGbkCharacter(from)) << "undefined pair changes";
  }
  EXPECT_EQ(changed, kChangedConversionEntries);
  // The published correspondence within GBK gives about 2,500; far off
  // means a broken generator (an empty table, or a misread column).
  EXPECT_GT(changed, 2000);
  EXPECT_LT(changed, 3000);
}

TEST(ConversionTableTest, EveryTargetMapsToItself) {
  for (const Position& p : allPositions()) {
    const std::string to = entry(p.lead, p.trail);
    const auto toLead = static_cast<unsigned char>(to[0]);
    const auto toTrail = static_cast<unsigned char>(to[1]);
    if (toLead < 0x81 || toLead > 0xFE || !isTrail(toTrail)) continue;
    EXPECT_EQ(entry(toLead, toTrail), to)
        << utf8(pairText(p.lead, p.trail)) << " -> " << utf8(to) << " -> "
        << utf8(entry(toLead, toTrail));
  }
}

TEST(ConversionTableTest, InSymbolRowsOnlyCurlyQuotationMarksChange) {
  std::set<std::string> changed;
  for (const Position& p : allPositions()) {
    if (p.lead < 0xA1 || p.lead > 0xA9) continue;
    if (entry(p.lead, p.trail) != pairText(p.lead, p.trail))
      changed.insert(utf8(pairText(p.lead, p.trail)));
  }
  EXPECT_EQ(changed, (std::set<std::string>{"“", "”", "‘", "’"}));
}

// The entries the table must hold, with their bytes as code page 936 gives
// them; the bytes are checked against the codec too, so a wrong literal
// cannot pass unnoticed.
TEST(ConversionTableTest, HoldsTheFixedEntries) {
  struct Case {
    const char* from;
    const char* fromBytes;
    const char* to;
    const char* toBytes;
  } const cases[] = {
      {"这", "\xD5\xE2", "這", "\xDF\x40"},
      {"个", "\xB8\xF6", "個", "\x82\x80"},
      {"书", "\xCA\xE9", "書", "\x95\xF8"},
      {"门", "\xC3\xC5", "門", "\xE9\x54"},
      {"发", "\xB7\xA2", "發", "\xB0\x6C"},
      {"国", "\xB9\xFA", "國", "\x87\xF8"},
      {"后", "\xBA\xF3", "後", "\xE1\xE1"},
      {"干", "\xB8\xC9", "乾", "\xC7\xAC"},
      {"里", "\xC0\xEF", "裡", "\xD1\x65"},
      {"钟", "\xD6\xD3", "鍾", "\xE6\x52"},
      {"中", "\xD6\xD0", "中", "\xD6\xD0"},
      {"嘑", "\x87\x46", "呼", "\xBA\xF4"},
      {"櫈", "\x99\x9E", "凳", "\xB5\xCA"},
      {"“", "\xA1\xB0", "『", "\xA1\xBA"},
      {"”", "\xA1\xB1", "』", "\xA1\xBB"},
      {"‘", "\xA1\xAE", "「", "\xA1\xB8"},
      {"’", "\xA1\xAF", "」", "\xA1\xB9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    ASSERT_EQ(gbk(c.from).bytes(), c.fromBytes);
    ASSERT_EQ(gbk(c.to).bytes(), c.toBytes);
    EXPECT_EQ(toTraditional(c.fromBytes).bytes(), c.toBytes)
        << utf8(toTraditional(c.fromBytes));
  }
}

// Every two-byte text: which pairs are looked up and which stay, and that
// the lookup reads the table at the position the header gives.
TEST(ToTraditionalTest, TreatsEveryTwoByteTextAsTheWalkSays) {
  for (unsigned a = 1; a <= 0xFF; ++a) {
    for (unsigned b = 1; b <= 0xFF; ++b) {
      const std::string text = pairText(a, b);
      std::string expected = text;
      if (a >= 0x81 && a <= 0xFE && isTrail(b)) expected = entry(a, b);
      ASSERT_EQ(toTraditional(text).bytes(), expected)
          << std::hex << a << " " << b;
    }
  }
}

TEST(ToTraditionalTest, ConvertsTexts) {
  struct Case {
    const char* name;
    std::string text;
    std::string expected;
  } const cases[] = {
      {"simplified", bytesOf("这个书门"), bytesOf("這個書門")},
      {"already traditional", bytesOf("這個書門"), bytesOf("這個書門")},
      {"double quotes", bytesOf("“中文”"), bytesOf("『中文』")},
      {"single quotes", bytesOf("‘书’"), bytesOf("「書」")},
      {"ASCII and line breaks keep their places", bytesOf("ab这\r\n个 1\r\n"),
       bytesOf("ab這\r\n個 1\r\n")},
      {"box drawing and full-width forms", bytesOf("┌─┬┐│ＡＢ１，。"),
       bytesOf("┌─┬┐│ＡＢ１，。")},
      {"empty", "", ""},
      // 个 is B8 F6 -> 82 80, 这 is D5 E2 -> DF 40.
      {"lone lead byte", "\xB8", "\xB8"},
      {"lone lead byte after a pair", "a\xD5\xE2\xB8", "a\xDF\x40\xB8"},
      {"0x80 lead takes the next byte along", "\x80\xB8\xF6", "\x80\xB8\xF6"},
      {"0xFF lead takes the next byte along", "\xFF\xB8\xF6", "\xFF\xB8\xF6"},
      {"trail 0xFF is skipped, not read as a lead", "\xB8\xFF\xB8\xF6",
       "\xB8\xFF\x82\x80"},
      {"trail 0x7F", "\xB8\x7F\xB8\xF6", "\xB8\x7F\x82\x80"},
      {"trail below 0x40", "\xB8\x39\xD5\xE2", "\xB8\x39\xDF\x40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(toTraditional(c.text).bytes(), c.expected)
        << utf8(toTraditional(c.text));
  }
}

// The character-by-character walk, the plain form of what toTraditional
// does many characters at a time.
std::string walk(std::string s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (i + 1 == s.size()) break;
    const auto trail = static_cast<unsigned char>(s[i + 1]);
    if (lead != 0x80 && lead != 0xFF && isTrail(trail))
      s.replace(i, 2, entry(lead, trail));
    i += 2;
  }
  return s;
}

// Random texts of every length around the 64-byte blocks, with runs of
// bytes 0x80..0xFF of both parities crossing block ends, trails below 0x80,
// 0x80 and 0xFF leads and lone lead bytes at the end.
TEST(ToTraditionalTest, AgreesWithTheCharacterWalkOnRandomBytes) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t length = random() % 300;
    // Some texts almost all two-byte, some mostly ASCII.
    const unsigned highPercent = 30 + random() % 71;
    std::string text;
    for (std::size_t k = 0; k < length; ++k) {
      const bool high = random() % 100 < highPercent;
      text += static_cast<char>(high ? 0x80 + random() % 0x80
                                     : 0x01 + random() % 0x7F);
    }
    ASSERT_EQ(toTraditional(text).bytes(), walk(text)) << "round " << round;
  }
}

// The Chinese fortunes (simplified, with ASCII, escape sequences and line
// breaks): the same as the plain walk, same length, ASCII where it was, and
// a second pass changes nothing.
TEST(ToTraditionalTest, RealTextKeepsItsShapeAndSettlesInOnePass) {
  std::ifstream in("/usr/share/games/fortunes/chinese", std::ios::binary);
  if (!in) GTEST_SKIP() << "fortunes-zh is not installed";
  const std::string source = utf8ToGbk(std::string(
      std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()))
                                 .text.bytes();
  const std::string once = toTraditional(source).bytes();
  ASSERT_EQ(once.size(), source.size());
  EXPECT_TRUE(once == walk(source));
  EXPECT_NE(once, source);
  for (std::size_t i = 0; i < source.size();) {
    if (static_cast<unsigned char>(source[i]) < 0x80) {
      ASSERT_EQ(once[i], source[i]) << "at byte " << i;
      ++i;
    } else {
      i += 2;
    }
  }
  EXPECT_TRUE(toTraditional(once).bytes() == once);
}

}  // namespace
}  // namespace calvane
