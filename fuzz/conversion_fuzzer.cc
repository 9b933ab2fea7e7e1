// The whole window-free conversion on any source text, with a small page
// shape, the border, the traditional option and a stopping point drawn
// from the first input bytes. With two-byte symbols every line has the
// same length and every content cell is one whole two-byte character; with
// symbols of other widths the pages are the same pages with the symbols
// swapped; the hook runs once per cell, and stopping stops at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "convert/border_set.h"
#include "convert/conversion.h"
#include "convert/normalise.h"
#include "convert/page_layout.h"
#include "convert/traditional.h"
#include "text/text_ops.h"

namespace {

using calvane::BorderSet;
using calvane::ConversionResult;
using calvane::GbkText;
using calvane::PageShape;

void check(bool ok) {
  if (!ok) std::abort();
}

constexpr int kMaxCols = 5;
constexpr int kMaxChars = 7;

// Symbols of widths 0 to 4 for the second run.
const std::string_view kOddSymbols[] = {
    "", "+", "ab", "\xA9\xA6-", "\x85\x65\xA8\x54", "\xA8\x58",
};

// A frame line drawn from its symbols, with the given content cells.
std::string line(const GbkText& first, const GbkText& join,
                 const GbkText& last, const std::string* middles,
                 int32_t cols) {
  std::string out(first.view());
  for (int32_t c = 0; c < cols; ++c) {
    if (c > 0) out += join.view();
    out += middles[c];
  }
  out += last.view();
  out += "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const PageShape shape{1 + data[0] % kMaxCols, 1 + data[1] % kMaxChars};
  const bool traditional = (data[2] & 1) != 0;
  const BorderSet border = *calvane::parseBorderSet(
      calvane::builtInBorders()[(data[2] >> 1) % 3].text);
  const int stopAt = data[3];  // 0: never stop
  BorderSet odd;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    odd.symbol(i) = GbkText(kOddSymbols[(data[4] + i * 7) % 6]);
  }
  std::string source(reinterpret_cast<const char*>(data) + 5, size - 5);
  for (char& c : source) {
    if (c == '\0') c = '\n';  // texts never hold 0x00
  }

  const int32_t cols = shape.columnsPerPage;
  const int32_t chars = shape.charsPerColumn;
  int64_t calls = 0;
  const ConversionResult result =
      calvane::convertToPages(source, traditional, shape, border, [&] {
        return ++calls != stopAt;
      });

  // What the layout is fed, worked out again.
  const GbkText normalised =
      calvane::normaliseCharacters(traditional ? calvane::toTraditional(source)
                                               : GbkText(source));
  const calvane::TextList paragraphs = calvane::split(normalised, "\r\n");
  const GbkText joined = calvane::joinParagraphs(paragraphs, shape);
  const int64_t cells = static_cast<int64_t>(joined.size() / 2);
  check(joined.size() % 2 == 0);
  check(cells % chars == 0);
  const int64_t pages = calvane::pageCount(paragraphs, shape);
  check(pages == calvane::pageCount(joined, shape));

  if (stopAt != 0 && stopAt <= cells) {
    check(result.outcome == ConversionResult::Outcome::kStopped);
    check(calls == stopAt && result.pages.empty());
    return 0;
  }
  check(result.outcome == ConversionResult::Outcome::kDone);
  check(calls == cells);
  const std::string_view text = result.pages;
  const auto lineLength = static_cast<std::size_t>(4 * (cols + 1));
  check(static_cast<int64_t>(text.size()) ==
        pages * static_cast<int64_t>(lineLength) * (chars + 2));
  check(static_cast<int64_t>(text.size()) ==
        calvane::pageTextSize(pages, shape, border));

  // Every line ends where a two-byte frame says; every content cell holds
  // the next character of the joined text, or "　" once it is used up.
  std::size_t next = 0;
  std::string expectedOdd;
  for (int64_t p = 0; p < pages; ++p) {
    const std::size_t pageStart =
        static_cast<std::size_t>(p) * lineLength * (chars + 2);
    for (int32_t l = 0; l < chars + 2; ++l) {
      check(text.substr(pageStart + (l + 1) * lineLength - 2, 2) == "\r\n");
    }
    // Content cells by row, and by column from the left.
    std::string rows[kMaxChars][kMaxCols];
    for (int32_t c = 1; c <= cols; ++c) {
      for (int32_t r = 1; r <= chars; ++r) {
        const auto at = static_cast<std::size_t>(
            calvane::cellPosition(p + 1, c, r, shape) - 1);
        const std::string_view cell = text.substr(at, 2);
        check(static_cast<unsigned char>(cell[0]) >= 0x80);
        if (next < joined.size()) {
          check(cell == joined.view().substr(next, 2));
          next += 2;
        } else {
          check(cell == "\xA1\xA1");
        }
        rows[r - 1][cols - c] = std::string(cell);
      }
    }
    std::string tops[kMaxCols], bottoms[kMaxCols];
    for (int32_t c = 0; c < cols; ++c) {
      tops[c] = odd.top.bytes();
      bottoms[c] = odd.bottom.bytes();
    }
    expectedOdd += line(odd.topLeft, odd.topJoin, odd.topRight, tops, cols);
    for (int32_t r = 0; r < chars; ++r) {
      expectedOdd += line(odd.left, odd.divider, odd.right, rows[r], cols);
    }
    expectedOdd +=
        line(odd.bottomLeft, odd.bottomJoin, odd.bottomRight, bottoms, cols);
  }
  check(next == joined.size());

  // The same conversion framed with symbols of other widths.
  const ConversionResult oddResult = calvane::convertToPages(
      source, traditional, shape, odd, [] { return true; });
  check(oddResult.outcome == ConversionResult::Outcome::kDone);
  check(oddResult.pages.bytes() == expectedOdd);
  check(static_cast<int64_t>(expectedOdd.size()) ==
        calvane::pageTextSize(pages, shape, odd));
  return 0;
}
