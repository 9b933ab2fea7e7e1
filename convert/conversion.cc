#include "convert/conversion.h"

#include <cassert>
#include <cmath>
#include <limits>
#include <vector>

#include "convert/normalise.h"
#include "convert/traditional.h"
#include "text/numbers.h"
#include "text/text_ops.h"

namespace calvane {

namespace {

// A page-shape field from its box's text: below 1 (with the tolerance) or
// truncating below 1 is refused with the field's own message. A value of
// 2^31 or more would wrap around in the truncation and could come out as a
// small, plausible count; no such page fits in memory, so it is refused as
// too large instead.
std::variant<int32_t, Refusal> readShapeField(std::string_view text,
                                              std::string_view belowOne,
                                              InputField field) {
  const double x = toNumber(text);
  if (x - 1 < -kTolerance) return Refusal{belowOne, field};
  if (std::trunc(x) >= 2147483648.0) {
    return Refusal{messages::kPagesTooLarge, field};
  }
  const int32_t value = truncToInt(x);
  if (value < 1) return Refusal{belowOne, field};
  return value;
}

constexpr std::string_view kLineBreak = "\r\n";

// The pieces split(text, "\r\n") gives, as views into text: the layout
// reads each once, so copying every paragraph into a text of its own would
// cost more than laying it out.
// REQUIRES: text.size() <= INT32_MAX (find counts in 32-bit positions).
std::vector<std::string_view> paragraphViews(std::string_view text) {
  std::vector<std::string_view> pieces;
  const auto n = static_cast<int32_t>(text.size());
  int32_t q = 1;  // where the next piece starts, counted from 1
  for (int32_t p; (p = find(text, kLineBreak, q)) != -1;
       q = p + static_cast<int32_t>(kLineBreak.size())) {
    pieces.push_back(text.substr(static_cast<std::size_t>(q - 1),
                                 static_cast<std::size_t>(p - q)));
  }
  if (q <= n) pieces.push_back(text.substr(static_cast<std::size_t>(q - 1)));
  return pieces;
}

}  // namespace

std::variant<PageShape, Refusal> readPageShape(std::string_view columnsText,
                                               std::string_view charsText) {
  const auto columns = readShapeField(columnsText, messages::kColumnsBelowOne,
                                      InputField::kColumns);
  if (const auto* refusal = std::get_if<Refusal>(&columns)) return *refusal;
  const auto chars = readShapeField(charsText, messages::kCharsBelowOne,
                                    InputField::kChars);
  if (const auto* refusal = std::get_if<Refusal>(&chars)) return *refusal;
  return PageShape{std::get<int32_t>(columns), std::get<int32_t>(chars)};
}

std::variant<BorderSet, Refusal> readBorderSet(int32_t borderPosition,
                                               std::string_view borderText) {
  std::optional<BorderSet> set = parseBorderSet(borderText);
  if (set) return *std::move(set);
  return Refusal{borderPosition == -1 ? messages::kNoBorderSelected
                                      : messages::kBorderIncomplete,
                 InputField::kBorder};
}

ConversionResult convertToPages(std::string_view source, bool traditional,
                                PageShape shape, const BorderSet& border,
                                const PumpHook& pump) {
  assert(shape.columnsPerPage >= 1 && shape.charsPerColumn >= 1);
  const GbkText normalised = traditional
                                 ? normaliseCharacters(toTraditional(source))
                                 : normaliseCharacters(source);
  // Every paragraph of L bytes has at least ceil(L / 2) cells (one blank
  // column when empty) and there is at most one "\r\n" per paragraph, so
  // the text holds at most 4 bytes per cell, plus a lone lead byte at its
  // end; each cell is two bytes of page text, and every page adds a frame.
  // A text over INT32_MAX bytes therefore needs more than
  // kMaxPageTextBytes of pages.
  if (normalised.size() > static_cast<std::size_t>(
                              std::numeric_limits<int32_t>::max())) {
    return {ConversionResult::Outcome::kTooLarge, GbkText()};
  }
  const std::vector<std::string_view> paragraphs = paragraphViews(normalised);
  // Counting the characters is needed only when the cheap bound is over.
  if (pageTextSize(pageCountBound(paragraphs, shape), shape, border) >
          kMaxPageTextBytes &&
      pageTextSize(pageCount(paragraphs, shape), shape, border) >
          kMaxPageTextBytes) {
    return {ConversionResult::Outcome::kTooLarge, GbkText()};
  }
  std::optional<GbkText> pages = layoutPages(paragraphs, shape, border, pump);
  if (!pages) return {ConversionResult::Outcome::kStopped, GbkText()};
  return {ConversionResult::Outcome::kDone, *std::move(pages)};
}

}  // namespace calvane
