#include "convert/conversion.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/core/test_util.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;
using ::calvane::testing::utf8;

bool keepGoing() { return true; }

// 默认1, through the lookup the window makes.
BorderSet doubleLine() {
  return std::get<BorderSet>(readBorderSet(0, builtInBorders()[0].text));
}

TEST(ConversionTest, PageShapeChecksRunColumnsFirst) {
  using messages::kCharsBelowOne;
  using messages::kColumnsBelowOne;
  using messages::kPagesTooLarge;
  struct Case {
    std::string_view columns, chars;
    PageShape want;                // when accepted
    std::string_view message;      // empty when accepted
    InputField field = InputField::kNone;
  } const cases[] = {
      {"10", "10", {10, 10}, {}},
      {"2.9", "3.99", {2, 3}, {}},         // truncated toward zero
      {"３", " 7", {3, 7}, {}},            // full-width digit, leading blank
      {"1e1", "1", {10, 1}, {}},
      {"2147483647", "1", {INT32_MAX, 1}, {}},
      {"", "10", {}, kColumnsBelowOne, InputField::kColumns},
      {"abc", "10", {}, kColumnsBelowOne, InputField::kColumns},
      {"0", "0", {}, kColumnsBelowOne, InputField::kColumns},  // first only
      {"-3", "10", {}, kColumnsBelowOne, InputField::kColumns},
      // Passes "not less than 1" by the tolerance, truncates to 0.
      {"0.99999995", "10", {}, kColumnsBelowOne, InputField::kColumns},
      {"10", "0.9999999", {}, kCharsBelowOne, InputField::kChars},
      {"10", "0.5", {}, kCharsBelowOne, InputField::kChars},
      // Too big for a page count; truncation would wrap them to 0, a
      // negative number or, for 2^32 + 1, a plausible 1.
      {"2147483648", "10", {}, kPagesTooLarge, InputField::kColumns},
      {"4294967297", "10", {}, kPagesTooLarge, InputField::kColumns},
      {"10", "1e999", {}, kPagesTooLarge, InputField::kChars},
      {"0", "4294967297", {}, kColumnsBelowOne, InputField::kColumns},
  };
  for (const Case& c : cases) {
    const auto result = readPageShape(gbk(c.columns), gbk(c.chars));
    if (c.message.empty()) {
      ASSERT_TRUE(std::holds_alternative<PageShape>(result)) << c.columns;
      const PageShape shape = std::get<PageShape>(result);
      EXPECT_EQ(shape.columnsPerPage, c.want.columnsPerPage) << c.columns;
      EXPECT_EQ(shape.charsPerColumn, c.want.charsPerColumn) << c.chars;
    } else {
      ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << c.columns;
      EXPECT_EQ(utf8(std::get<Refusal>(result).message), utf8(c.message))
          << c.columns << " " << c.chars;
      EXPECT_EQ(std::get<Refusal>(result).field, c.field) << c.columns;
    }
  }
}

TEST(ConversionTest, BorderWithoutElevenSymbolsIsRefused) {
  const std::string_view full = builtInBorders()[1].text;
  struct Case {
    int32_t position;
    std::string_view text;
    std::string_view message;  // empty when a set is made
  } const cases[] = {
      {-1, "", messages::kNoBorderSelected},
      {-1, "a b c", messages::kNoBorderSelected},
      {0, "", messages::kBorderIncomplete},
      {4, "a b c d e f g h i j", messages::kBorderIncomplete},
      {-1, full, ""},  // the list shows a name it can still find
      {3, full, ""},
  };
  for (const Case& c : cases) {
    const auto result = readBorderSet(c.position, c.text);
    if (c.message.empty()) {
      ASSERT_TRUE(std::holds_alternative<BorderSet>(result));
      EXPECT_EQ(std::get<BorderSet>(result), parseBorderSet(full));
    } else {
      ASSERT_TRUE(std::holds_alternative<Refusal>(result)) << c.position;
      EXPECT_EQ(std::get<Refusal>(result).message, c.message) << c.position;
      EXPECT_EQ(std::get<Refusal>(result).field, InputField::kBorder);
    }
  }
}

TEST(ConversionTest, SourceBecomesNormalisedPages) {
  const std::string example =
      "╔═╤═╗\r\n║四│一║\r\n║五│二║\r\n║　│三║\r\n╚═╧═╝\r\n"
      "╔═╤═╗\r\n║　│六║\r\n║　│　║\r\n║　│　║\r\n╚═╧═╝\r\n";
  struct Case {
    std::string_view source;
    PageShape shape;
    std::string want;
  } const cases[] = {
      {"一二三四五\r\n六", {2, 3}, example},
      {"一二三四五\r\n六\r\n", {2, 3}, example},  // a final break adds nothing
      {"\r\n", {2, 1}, "╔═╤═╗\r\n║　│　║\r\n╚═╧═╝\r\n"},
      {"a'\\\\ ~", {1, 5}, "╔═╗\r\n║ａ║\r\n║＇║\r\n║＼║\r\n║　║\r\n║§║\r\n╚═╝\r\n"},
      {"", {3, 3}, ""},
  };
  for (const Case& c : cases) {
    const ConversionResult result =
        convertToPages(gbk(c.source), false, c.shape, doubleLine(), keepGoing);
    EXPECT_EQ(result.outcome, ConversionResult::Outcome::kDone);
    EXPECT_EQ(utf8(result.pages), c.want) << c.source;
  }
}

TEST(ConversionTest, TraditionalRunsBeforeNormalising) {
  const ConversionResult result =
      convertToPages(gbk("书(a)"), true, {1, 4}, doubleLine(), keepGoing);
  EXPECT_EQ(result.outcome, ConversionResult::Outcome::kDone);
  EXPECT_EQ(utf8(result.pages),
            "╔═╗\r\n║書║\r\n║︵║\r\n║ａ║\r\n║︶║\r\n╚═╝\r\n");
}

TEST(ConversionTest, HugeLayoutIsRefusedBeforeAnythingIsBuilt) {
  // Each of these would need gigabytes for the page text, and the empty
  // paragraphs alone as much again for the joined text: refused at once.
  struct Case {
    std::string_view source;
    PageShape shape;
  } const cases[] = {
      {"a\r\n\r\n\r\nb", {1, INT32_MAX}},
      {"a", {INT32_MAX, INT32_MAX}},
      {"a", {134217728, 1}},  // one line of 1 GiB plus the frame
  };
  for (const Case& c : cases) {
    const ConversionResult result =
        convertToPages(c.source, false, c.shape, doubleLine(), keepGoing);
    EXPECT_EQ(result.outcome, ConversionResult::Outcome::kTooLarge);
    EXPECT_TRUE(result.pages.empty());
  }
}

TEST(ConversionTest, StoppingHookLeavesNoPages) {
  int calls = 0;
  const ConversionResult result =
      convertToPages(gbk("一二三"), false, {2, 2}, doubleLine(), [&] {
        return ++calls < 2;
      });
  EXPECT_EQ(result.outcome, ConversionResult::Outcome::kStopped);
  EXPECT_TRUE(result.pages.empty());
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace calvane
