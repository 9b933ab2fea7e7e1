// BorderSet: the eleven symbols that draw a page frame, its one-line text
// form (the symbols joined by single ASCII spaces) and the three built-in
// sets "默认1", "默认2" and "默认3".
//
// A BorderSet is a plain value. Symbols are meant to be two bytes each, but a
// set read from a hand-edited settings file or given on the command line may
// hold symbols of any width; the page layout draws them as they stand.
#ifndef CALVANE_CONVERT_BORDER_SET_H_
#define CALVANE_CONVERT_BORDER_SET_H_

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

struct BorderSet {
  static constexpr std::size_t kSymbolCount = 11;

  GbkText topLeft, top, topRight;
  GbkText left, divider, right;
  GbkText bottomLeft, bottom, bottomRight;
  GbkText topJoin, bottomJoin;

  // The symbols in field order (the order of the text form and of the
  // editor's symbol boxes). REQUIRES: i < kSymbolCount.
  [[nodiscard]] GbkText& symbol(std::size_t i);
  [[nodiscard]] const GbkText& symbol(std::size_t i) const;

  friend bool operator==(const BorderSet&, const BorderSet&) = default;
};

// The text split at every single ASCII space (split's rules: two spaces give
// an empty symbol, a trailing space adds nothing); parts 1..11 become the
// fields in order, later parts are dropped. Fewer than eleven parts (the
// empty text among them) make no set.
[[nodiscard]] std::optional<BorderSet> parseBorderSet(std::string_view text);

// The eleven symbols in field order joined by single ASCII spaces.
[[nodiscard]] GbkText formatBorderSet(const BorderSet& set);

struct NamedBorder {
  GbkText name;  // "默认1", "默认2", "默认3"
  GbkText text;  // its text form
};

// The built-in sets in list order (positions 0, 1, 2).
[[nodiscard]] const std::array<NamedBorder, 3>& builtInBorders();

// Whether name is one of the built-ins' names, byte for byte.
[[nodiscard]] bool isReservedBorderName(std::string_view name);

}  // namespace calvane

#endif  // CALVANE_CONVERT_BORDER_SET_H_
