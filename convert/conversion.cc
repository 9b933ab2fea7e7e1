#include "convert/conversion.h"

#include <cassert>
#include <cmath>

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
  const TextList paragraphs = split(normalised, "\r\n");
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
