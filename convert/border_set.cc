#include "convert/border_set.h"

#include <cassert>

#include "text/text_ops.h"

namespace calvane {

namespace {

// The fields in the order of the text form.
constexpr GbkText BorderSet::*kFields[BorderSet::kSymbolCount] = {
    &BorderSet::topLeft,    &BorderSet::top,         &BorderSet::topRight,
    &BorderSet::left,       &BorderSet::divider,     &BorderSet::right,
    &BorderSet::bottomLeft, &BorderSet::bottom,      &BorderSet::bottomRight,
    &BorderSet::topJoin,    &BorderSet::bottomJoin,
};

}  // namespace

GbkText& BorderSet::symbol(std::size_t i) {
  assert(i < kSymbolCount);
  return this->*kFields[i];
}

const GbkText& BorderSet::symbol(std::size_t i) const {
  assert(i < kSymbolCount);
  return this->*kFields[i];
}

std::optional<BorderSet> parseBorderSet(std::string_view text) {
  TextList parts = split(text, " ");
  if (parts.size() < BorderSet::kSymbolCount) return std::nullopt;
  BorderSet set;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    set.symbol(i) = std::move(parts[i]);
  }
  return set;
}

GbkText formatBorderSet(const BorderSet& set) {
  std::string text;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    if (i > 0) text += ' ';
    text += set.symbol(i).view();
  }
  return GbkText(std::move(text));
}

const std::array<NamedBorder, 3>& builtInBorders() {
  static const std::array<NamedBorder, 3> kBorders = {{
      // 默认1: ╔ ═ ╗ ║ │ ║ ╚ ═ ╝ ╤ ╧
      {GbkText("\xC4\xAC\xC8\xCF" "1"),
       GbkText("\xA8\x58 \xA8\x54 \xA8\x5B \xA8\x55 \xA9\xA6 \xA8\x55 "
               "\xA8\x5E \xA8\x54 \xA8\x61 \xA8\x68 \xA8\x6B")},
      // 默认2: ┏ ━ ┓ ┃ │ ┃ ┗ ━ ┛ ┯ ┷
      {GbkText("\xC4\xAC\xC8\xCF" "2"),
       GbkText("\xA9\xB3 \xA9\xA5 \xA9\xB7 \xA9\xA7 \xA9\xA6 \xA9\xA7 "
               "\xA9\xBB \xA9\xA5 \xA9\xBF \xA9\xD3 \xA9\xDB")},
      // 默认3: 卐 ━ 卐 │ ┆ │ 卐 ━ 卐 ┯ ┷ (卐 is 85 65: its trail byte is
      // the code of "e")
      {GbkText("\xC4\xAC\xC8\xCF" "3"),
       GbkText("\x85\x65 \xA9\xA5 \x85\x65 \xA9\xA6 \xA9\xAA \xA9\xA6 "
               "\x85\x65 \xA9\xA5 \x85\x65 \xA9\xD3 \xA9\xDB")},
  }};
  return kBorders;
}

bool isReservedBorderName(std::string_view name) {
  for (const NamedBorder& border : builtInBorders()) {
    if (name == border.name.view()) return true;
  }
  return false;
}

}  // namespace calvane
