#include "convert/border_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/test_util.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;
using ::calvane::testing::utf8;

std::vector<std::string> symbolsOf(const BorderSet& set) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    out.push_back(utf8(set.symbol(i)));
  }
  return out;
}

TEST(BorderSetTest, BuiltInsParseIntoTheirSymbolsAndFormatBack) {
  struct Case {
    std::string_view name;
    std::vector<std::string> symbols;  // field order
  } const cases[] = {
      {"默认1", {"╔", "═", "╗", "║", "│", "║", "╚", "═", "╝", "╤", "╧"}},
      {"默认2", {"┏", "━", "┓", "┃", "│", "┃", "┗", "━", "┛", "┯", "┷"}},
      {"默认3", {"卐", "━", "卐", "│", "┆", "│", "卐", "━", "卐", "┯", "┷"}},
  };
  const auto& builtIns = builtInBorders();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const NamedBorder& border = builtIns[i];
    EXPECT_EQ(border.name, gbk(cases[i].name));
    EXPECT_EQ(border.text.size(), 32u);
    const std::optional<BorderSet> set = parseBorderSet(border.text);
    ASSERT_TRUE(set.has_value()) << cases[i].name;
    EXPECT_EQ(symbolsOf(*set), cases[i].symbols);
    // 卐 is 85 65: its trail byte is "e", and the text still comes back.
    EXPECT_EQ(formatBorderSet(*set), border.text);
  }
  EXPECT_EQ(builtIns[2].text.view().substr(0, 2), "\x85\x65");
}

TEST(BorderSetTest, SymbolOrderIsTheFieldOrder) {
  BorderSet set;
  GbkText* const fields[] = {
      &set.topLeft,    &set.top,    &set.topRight,    &set.left,
      &set.divider,    &set.right,  &set.bottomLeft,  &set.bottom,
      &set.bottomRight, &set.topJoin, &set.bottomJoin,
  };
  for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
    EXPECT_EQ(&set.symbol(i), fields[i]) << i;
  }
}

TEST(BorderSetTest, ParseTakesElevenPartsOrNone) {
  struct Case {
    std::string_view text;
    // The symbols, space-joined for reading; empty when no set is made.
    std::string_view want;
  } const cases[] = {
      {"", ""},
      {"a b c d e f g h i j", ""},       // ten parts
      {"a b c d e f g h i j ", ""},      // a trailing space adds nothing
      {"a b c d e f g h i j k", "a|b|c|d|e|f|g|h|i|j|k"},
      {"a b c d e f g h i j k l m", "a|b|c|d|e|f|g|h|i|j|k"},  // rest dropped
      {" a b c d e f g h i j", "|a|b|c|d|e|f|g|h|i|j"},      // leading space
      {"a  c d e f g h i j k", "a||c|d|e|f|g|h|i|j|k"},      // empty symbol
      {"a b c d e f g h i j kk ", "a|b|c|d|e|f|g|h|i|j|kk"},
      {"aaa b c d e f g h i j k", "aaa|b|c|d|e|f|g|h|i|j|k"},  // any width
  };
  for (const Case& c : cases) {
    const std::optional<BorderSet> set = parseBorderSet(c.text);
    if (c.want.empty()) {
      EXPECT_FALSE(set.has_value()) << c.text;
      continue;
    }
    ASSERT_TRUE(set.has_value()) << c.text;
    std::string joined;
    for (std::size_t i = 0; i < BorderSet::kSymbolCount; ++i) {
      if (i > 0) joined += '|';
      joined += set->symbol(i).view();
    }
    EXPECT_EQ(joined, c.want) << c.text;
  }
}

TEST(BorderSetTest, SymbolWithASpaceShiftsTheLaterFields) {
  BorderSet set = *parseBorderSet(builtInBorders()[0].text);
  set.top = gbk("= ");   // a space at its end
  set.left = gbk("| |");  // a space inside
  const GbkText text = formatBorderSet(set);
  EXPECT_EQ(utf8(text), "╔ =  ╗ | | │ ║ ╚ ═ ╝ ╤ ╧");
  const BorderSet back = *parseBorderSet(text);
  EXPECT_EQ(symbolsOf(back),
            (std::vector<std::string>{"╔", "=", "", "╗", "|", "|", "│", "║",
                                      "╚", "═", "╝"}));
}

TEST(BorderSetTest, ReservedNamesAreExact) {
  struct Case {
    std::string_view name;
    bool reserved;
  } const cases[] = {
      {"默认1", true}, {"默认2", true},  {"默认3", true},   {"默认4", false},
      {"默认１", false}, {"默认", false}, {"默认1 ", false}, {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(isReservedBorderName(gbk(c.name)), c.reserved) << c.name;
  }
}

}  // namespace
}  // namespace calvane
