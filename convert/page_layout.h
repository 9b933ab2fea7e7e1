// The page layout: paragraphs in, the vertical page text out. Characters run
// top to bottom down each column, columns right to left, every page framed
// by the symbols of a BorderSet; every line ends in "\r\n".
//
// Every content cell is one two-byte character: paragraphs are widened
// before they are padded, and any one-byte character still left (a control
// character) becomes one ideographic space "　", so every paragraph starts at
// the top of a column and no character is split. Frame symbols of any width
// are drawn as they stand; content cells are found from the real widths.
//
// Pure functions; thread-safe. The hook runs on the caller's thread.
#ifndef CALVANE_CONVERT_PAGE_LAYOUT_H_
#define CALVANE_CONVERT_PAGE_LAYOUT_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "convert/border_set.h"
#include "text/gbk_text.h"

namespace calvane {

struct PageShape {
  int32_t columnsPerPage = 0;
  int32_t charsPerColumn = 0;
};

// Called once after each placed character. Returning false stops the layout
// at once (a newer conversion has superseded this one).
using PumpHook = std::function<bool()>;

// The joined text of the paragraphs: each widened, its one-byte characters
// turned into "　", then padded with "　" to whole columns; an empty paragraph
// is one blank column. Every character of the result is two bytes.
// REQUIRES: shape.charsPerColumn >= 1.
[[nodiscard]] GbkText joinParagraphs(const TextList& paragraphs,
                                     PageShape shape);

// Pages needed for a joined text: ceil(characters / (cols * chars)).
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] int64_t pageCount(std::string_view joined, PageShape shape);

// pageCount(joinParagraphs(paragraphs, shape), shape), without building the
// joined text, so a caller can refuse a huge layout before taking memory.
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] int64_t pageCount(const TextList& paragraphs, PageShape shape);
// The same for paragraphs held as views (of a text the caller keeps).
[[nodiscard]] int64_t pageCount(std::span<const std::string_view> paragraphs,
                                PageShape shape);

// At least pageCount(paragraphs, shape), from byte lengths alone (no
// character is narrower than one byte), so it costs nothing per byte; a
// caller for whom even this many pages are few need not count.
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] int64_t pageCountBound(const TextList& paragraphs,
                                     PageShape shape);
// The same for paragraphs held as views.
[[nodiscard]] int64_t pageCountBound(
    std::span<const std::string_view> paragraphs, PageShape shape);

// Byte length of the page text for pageCount pages with this border, from
// the real widths of its symbols; INT64_MAX when it would not fit in one.
// REQUIRES: both fields of shape >= 1, pages >= 0.
[[nodiscard]] int64_t pageTextSize(int64_t pages, PageShape shape,
                                   const BorderSet& border);

// 1-based byte position of the content cell of page p, column c (from the
// right), row r (from the top), for a frame whose symbols are all two bytes.
// REQUIRES: both fields of shape >= 1; 1 <= c <= cols; 1 <= r <= chars;
// p >= 1.
[[nodiscard]] int64_t cellPosition(int64_t p, int32_t c, int32_t r,
                                   PageShape shape);

// The vertical page text of the paragraphs, or nothing when the hook asked
// to stop. Calls pump once after each placed character and at no other time.
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] std::optional<GbkText> layoutPages(const TextList& paragraphs,
                                                 PageShape shape,
                                                 const BorderSet& border,
                                                 const PumpHook& pump);
// The same for paragraphs held as views, so a caller that cut a text into
// paragraphs need not copy them; the views are read during the call only.
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] std::optional<GbkText> layoutPages(
    std::span<const std::string_view> paragraphs, PageShape shape,
    const BorderSet& border, const PumpHook& pump);

}  // namespace calvane

#endif  // CALVANE_CONVERT_PAGE_LAYOUT_H_
