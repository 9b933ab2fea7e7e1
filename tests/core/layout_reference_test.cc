// The fast normalisation and layout against a slow, literal rendering of
// the row-by-row substitution and the cell-by-cell placement: rebuild the
// text for every replacement and every placed character, exactly as the
// algorithms read, with two repairs (every paragraph is widened and its
// control characters made "　" before it is padded, so no cell is ever half
// a character). Both must agree on every text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "convert/normalise.h"
#include "convert/page_layout.h"
#include "tests/core/test_util.h"
#include "text/numbers.h"
#include "text/text_ops.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;
using ::calvane::testing::utf8;

const std::string kIdeographicSpace = "\xA1\xA1";

// --- The slow rendering -------------------------------------------------

GbkText slowNormalise(std::string_view input) {
  GbkText text(input);
  for (const Substitution& row : substitutionTable()) {
    int32_t start = 1;
    for (;;) {
      const int32_t pos = find(text, row.pattern, start);
      if (pos == -1) break;
      text = replaceAt(text, pos, byteLength(row.pattern), row.replacement);
      start = pos + byteLength(row.replacement);
    }
  }
  int32_t start = 1;
  for (;;) {
    const int32_t pos = find(text, " ", start);
    if (pos == -1) break;
    text = replaceAt(text, pos, 1, toFullWidth(" "));
    start = pos + 2;
  }
  return text;
}

// toFullWidth, then every one-byte character that is left becomes "　".
GbkText slowWiden(std::string_view paragraph) {
  GbkText wide = toFullWidth(paragraph);
  int32_t pos = 1;
  while (pos <= byteLength(wide)) {
    const auto b = static_cast<unsigned char>(wide.view()[pos - 1]);
    if (b >= 0x80) {
      pos += 2;
    } else {
      wide = replaceAt(wide, pos, 1, kIdeographicSpace);
      pos += 2;
    }
  }
  return wide;
}

bool countsAsZero(double x) { return std::fabs(x) <= kTolerance; }

GbkText slowJoin(const TextList& paragraphs, PageShape shape) {
  const double chars = shape.charsPerColumn;
  GbkText joined;
  for (const GbkText& raw : paragraphs) {
    const GbkText p = slowWiden(raw);
    if (byteLength(p) == 0) {
      joined = concat({joined, toFullWidth(blanks(shape.charsPerColumn))});
      continue;
    }
    const double length = byteLength(p) / 2.0;
    const double rem = mod(length, chars);
    if (countsAsZero(rem)) {
      joined = concat({joined, p});
    } else {
      const int32_t k = truncToInt(chars - rem);
      joined = concat({joined, p, toFullWidth(blanks(k))});
    }
  }
  return joined;
}

int64_t slowPageCount(std::string_view joined, PageShape shape) {
  const double n = byteLength(joined) / 2.0;
  const double cap =
      double{1} * shape.charsPerColumn * shape.columnsPerPage;
  if (countsAsZero(mod(n, cap))) return truncToInt(n / cap);
  return floorToInt(n / cap) + 1;
}

GbkText frameLine(const GbkText& first, std::string_view middle,
                  const GbkText& join, const GbkText& last, int32_t cols) {
  GbkText line = first;
  for (int32_t c = 1; c <= cols; ++c) {
    line = concat({line, middle});
    if (c < cols) line = concat({line, join});
  }
  return concat({line, last, "\r\n"});
}

// The second form of the cell position: real numbers, then truncation.
int32_t slowCellPosition(int32_t p, int32_t c, int32_t r, PageShape shape) {
  const double cols = shape.columnsPerPage;
  const double chars = shape.charsPerColumn;
  return truncToInt((cols + 1) * (r + (chars + 1) * (p - 1) + 1) * 4 - 4 * c -
                    1 + (p - 1) * (cols + 1) * 4);
}

// REQUIRES: every symbol of border is two bytes.
GbkText slowLayout(const TextList& paragraphs, PageShape shape,
                   const BorderSet& b, int64_t& hookCalls) {
  const int32_t cols = shape.columnsPerPage;
  const int32_t chars = shape.charsPerColumn;
  const GbkText joined = slowJoin(paragraphs, shape);
  const int64_t pages = slowPageCount(joined, shape);
  const GbkText blank = toFullWidth(blanks(1));
  GbkText text;
  for (int64_t p = 0; p < pages; ++p) {
    text = concat({text, frameLine(b.topLeft, b.top, b.topJoin, b.topRight,
                                   cols)});
    for (int32_t r = 0; r < chars; ++r) {
      text = concat({text, frameLine(b.left, blank, b.divider, b.right,
                                     cols)});
    }
    text = concat({text, frameLine(b.bottomLeft, b.bottom, b.bottomJoin,
                                   b.bottomRight, cols)});
  }
  int32_t n = 0;
  for (int32_t p = 1; p <= pages; ++p) {
    for (int32_t c = 1; c <= cols; ++c) {
      for (int32_t r = 1; r <= chars; ++r) {
        ++n;
        const GbkText s = mid(joined, 2 * n - 1, 2);
        if (s.empty()) break;
        text = replaceAt(text, slowCellPosition(p, c, r, shape), 2, s);
        ++hookCalls;
      }
    }
  }
  return text;
}

// --- Inputs -------------------------------------------------------------

// Random texts built from the kinds of character that matter here.
class TextMaker {
 public:
  explicit TextMaker(uint32_t seed) : rng_(seed) {}

  std::string text(int maxPieces) {
    std::string t;
    const int pieces = pick(maxPieces + 1);
    for (int i = 0; i < pieces; ++i) t += piece();
    if (pick(8) == 0) t += static_cast<char>(0x81 + pick(0x7E));  // lone lead
    return t;
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

 private:
  std::string piece() {
    static const std::string_view kSpecial[] = {
        "\\", "\\", "'", "'", "~", " ", " ", "\r\n", "\r\n", "\r", "\n", "\t",
        "\x1B", "\x7F", "\x01", ".", "$", "<", "=", "^", "|",
        "\xA1\xAB",  // ～
        "\xA3\xBC",  // ＜
        "\xA3\xBD",  // ＝
        "\xA1\xAD",  // …
        "\xA1\xB0",  // “
        "\xA1\xA1",  // 　
        "\x81\x5C",  // trail bytes that are ASCII codes
        "\x81\x27", "\x95\x20", "\x85\x65", "\xA3\x7C",
    };
    switch (pick(4)) {
      case 0:
        return std::string(kSpecial[pick(std::size(kSpecial))]);
      case 1:
        return std::string(1, static_cast<char>(0x20 + pick(0x5F)));
      case 2: {  // any pair below the 0xFF lead the placeholders use
        std::string pair(1, static_cast<char>(0x80 + pick(0x7F)));
        pair += static_cast<char>(1 + pick(0xFF));
        return pair;
      }
      default:  // common GBK characters
        return std::string{static_cast<char>(0xB0 + pick(0x28)),
                           static_cast<char>(0xA1 + pick(0x5E))};
    }
  }

  std::mt19937 rng_;
};

BorderSet builtIn(int i) {
  return *parseBorderSet(builtInBorders()[static_cast<std::size_t>(i)].text);
}

// Real Chinese text, one poem or fortune a piece, as GBK with "\r\n" line
// ends (what the converter makes of a UTF-8 file).
std::vector<GbkText> fortunes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::vector<GbkText> pieces;
  std::string line, piece;
  auto flush = [&] {
    if (!piece.empty()) pieces.push_back(gbk(piece));
    piece.clear();
  };
  while (std::getline(in, line)) {
    if (line == "%") {
      flush();
    } else {
      piece += line + "\r\n";
    }
  }
  flush();
  return pieces;
}

// The slow layout, after checking that the fast one gives the same text and
// calls the hook as often.
GbkText expectSameLayout(const TextList& paragraphs, PageShape shape,
                         const BorderSet& border, const std::string& what) {
  int64_t slowCalls = 0;
  const GbkText want = slowLayout(paragraphs, shape, border, slowCalls);
  int64_t fastCalls = 0;
  const std::optional<GbkText> got =
      layoutPages(paragraphs, shape, border, [&] {
        ++fastCalls;
        return true;
      });
  EXPECT_TRUE(got.has_value());
  EXPECT_EQ(got.value_or(GbkText()).bytes(), want.bytes())
      << what << "\n" << utf8(want);
  EXPECT_EQ(fastCalls, slowCalls) << what;
  const GbkText joined = slowJoin(paragraphs, shape);
  EXPECT_EQ(joinParagraphs(paragraphs, shape).bytes(), joined.bytes()) << what;
  EXPECT_EQ(pageCount(paragraphs, shape), slowPageCount(joined, shape))
      << what;
  EXPECT_EQ(pageCount(joined, shape), slowPageCount(joined, shape)) << what;
  return want;
}

std::string hex(std::string_view bytes) {
  std::ostringstream out;
  for (unsigned char b : bytes) out << std::hex << int{b} << ' ';
  return out.str();
}

// --- Tests --------------------------------------------------------------

TEST(LayoutReferenceTest, NormaliseMatchesRowByRowOnEveryShortText) {
  // Every byte alone, and every byte pair alone and between the characters
  // that interact with it (backslash runs, apostrophes, tildes).
  std::vector<std::string> texts;
  for (int a = 1; a < 256; ++a) {
    texts.emplace_back(1, static_cast<char>(a));
    for (int b = 1; b < 256; ++b) {
      texts.push_back({static_cast<char>(a), static_cast<char>(b)});
    }
  }
  for (const std::string& t : texts) {
    for (const std::string& text : {t, "\\" + t + "'", "~" + t + "\\\\ "}) {
      ASSERT_EQ(normaliseCharacters(text).bytes(), slowNormalise(text).bytes())
          << hex(text);
    }
  }
}

TEST(LayoutReferenceTest, RandomTextsConvertAsTheSlowRendering) {
  TextMaker maker(20240611);
  for (int i = 0; i < 6000; ++i) {
    const std::string text = maker.text(40);
    const GbkText normalised = normaliseCharacters(text);
    ASSERT_EQ(normalised.bytes(), slowNormalise(text).bytes()) << hex(text);
    const PageShape shape{1 + maker.pick(4), 1 + maker.pick(5)};
    const BorderSet border = builtIn(maker.pick(3));
    const GbkText want =
        expectSameLayout(split(normalised, "\r\n"), shape, border, hex(text));
    if (::testing::Test::HasFailure()) return;
    const ConversionResult got =
        convertToPages(text, false, shape, border, [] { return true; });
    ASSERT_EQ(got.outcome, ConversionResult::Outcome::kDone);
    ASSERT_EQ(got.pages.bytes(), want.bytes()) << hex(text);
  }
}

// A frame of any symbol widths is the two-byte frame with every symbol
// swapped for its real one: the content cells are the same and no symbol
// is cut or overwritten.
TEST(LayoutReferenceTest, SymbolsOfAnyWidthKeepEveryCellIntact) {
  BorderSet placeholders;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    placeholders.symbol(i) =
        GbkText(std::string{'\xFF', static_cast<char>(0x41 + i)});
  }
  TextMaker maker(7);
  for (int i = 0; i < 3000; ++i) {
    BorderSet border;
    for (std::size_t s = 0; s < BorderSet::kSymbolCount; ++s) {
      // Widths 0 to 4: empty, ASCII, one or two characters, a character
      // between two ASCII bytes.
      static const std::string_view kSymbols[] = {
          "", "+", "ab", "\xA8\x58", "-\xA9\xA6", "\xA9\xA6-",
          "\x85\x65\xA8\x54", "*\xA9\xA5*"};
      border.symbol(s) = GbkText(kSymbols[maker.pick(std::size(kSymbols))]);
    }
    const TextList paragraphs =
        split(normaliseCharacters(maker.text(30)), "\r\n");
    const PageShape shape{1 + maker.pick(4), 1 + maker.pick(4)};

    int64_t calls = 0;
    const GbkText twoByte =
        slowLayout(paragraphs, shape, placeholders, calls);
    std::string want;
    for (std::size_t k = 0; k < twoByte.size(); ++k) {
      const char b = twoByte.view()[k];
      if (b == '\xFF') {
        want += border.symbol(static_cast<std::size_t>(
            twoByte.view()[k + 1] - 0x41));
        ++k;
      } else {
        want += b;
        // Cells are whole characters: copy a pair at once so a trail 0xFF
        // is never read as a placeholder.
        if (static_cast<unsigned char>(b) >= 0x80) want += twoByte.view()[++k];
      }
    }
    const std::optional<GbkText> got =
        layoutPages(paragraphs, shape, border, {});
    ASSERT_TRUE(got.has_value());
    ASSERT_EQ(got->bytes(), want) << formatBorderSet(border).bytes();
    ASSERT_EQ(pageTextSize(pageCount(paragraphs, shape), shape, border),
              static_cast<int64_t>(want.size()));
  }
}

TEST(LayoutReferenceTest, RealChineseTextConvertsAsTheSlowRendering) {
  const std::string dir = "/usr/share/games/fortunes/";
  std::vector<GbkText> pieces = fortunes(dir + "tang300");
  for (GbkText& p : fortunes(dir + "song100")) pieces.push_back(std::move(p));
  if (pieces.empty()) GTEST_SKIP() << "fortunes-zh is not installed";

  const PageShape shapes[] = {{10, 10}, {3, 7}, {1, 1}};
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const GbkText& source = pieces[i];
    const GbkText normalised = normaliseCharacters(source);
    ASSERT_EQ(normalised.bytes(), slowNormalise(source).bytes()) << i;
    const PageShape shape = shapes[i % std::size(shapes)];
    (void)expectSameLayout(split(normalised, "\r\n"), shape,
                           builtIn(static_cast<int>(i % 3)),
                           "piece " + std::to_string(i));
    if (::testing::Test::HasFailure()) return;
  }
}

}  // namespace
}  // namespace calvane
