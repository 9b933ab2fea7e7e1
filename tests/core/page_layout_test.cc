#include "convert/page_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "convert/border_set.h"
#include "tests/core/test_util.h"
#include "text/text_ops.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;
using ::calvane::testing::utf8;

BorderSet builtIn(int i) {
  return *parseBorderSet(builtInBorders()[static_cast<std::size_t>(i)].text);
}

TextList paragraphsOf(std::initializer_list<std::string_view> utf8Texts) {
  TextList list;
  for (std::string_view t : utf8Texts) list.push_back(gbk(t));
  return list;
}

// Two columns of three characters, border 默认1, the paragraphs 一二三四五
// and 六: two pages, the second one's left column blank.
TEST(PageLayoutTest, WorkedExampleByteForByte) {
  const PageShape shape{2, 3};
  int calls = 0;
  const std::optional<GbkText> pages =
      layoutPages(paragraphsOf({"一二三四五", "六"}), shape, builtIn(0), [&] {
        ++calls;
        return true;
      });
  ASSERT_TRUE(pages.has_value());
  const GbkText want = gbk(
      "╔═╤═╗\r\n║四│一║\r\n║五│二║\r\n║　│三║\r\n╚═╧═╝\r\n"
      "╔═╤═╗\r\n║　│六║\r\n║　│　║\r\n║　│　║\r\n╚═╧═╝\r\n");
  ASSERT_EQ(want.size(), 120u);
  EXPECT_EQ(pages->bytes(), want.bytes()) << utf8(*pages);
  EXPECT_EQ(calls, 9);  // six characters and three padding cells

  // Where 一, 四 and 六 went.
  EXPECT_EQ(cellPosition(1, 1, 1, shape), 19);
  EXPECT_EQ(cellPosition(1, 2, 1, shape), 15);
  EXPECT_EQ(cellPosition(2, 1, 1, shape), 79);
  EXPECT_EQ(pageTextSize(2, shape, builtIn(0)), 120);
}

TEST(PageLayoutTest, CellPositionMatchesItsSecondForm) {
  for (int32_t cols = 1; cols <= 4; ++cols) {
    for (int32_t chars = 1; chars <= 4; ++chars) {
      const PageShape shape{cols, chars};
      for (int64_t p = 1; p <= 3; ++p) {
        for (int32_t c = 1; c <= cols; ++c) {
          for (int32_t r = 1; r <= chars; ++r) {
            const int64_t second =
                (cols + 1) * (r + (chars + 1) * (p - 1) + 1) * 4 - 4 * c - 1 +
                (p - 1) * (cols + 1) * 4;
            EXPECT_EQ(cellPosition(p, c, r, shape), second)
                << p << " " << c << " " << r << " " << cols << "x" << chars;
          }
        }
      }
    }
  }
  // Far past 32 bits: no overflow.
  EXPECT_EQ(cellPosition(1, 1, INT32_MAX, {1, INT32_MAX}),
            int64_t{8} * INT32_MAX + 3);
}

TEST(PageLayoutTest, EveryParagraphStartsAtTheTopOfAColumn) {
  // Expected joined texts worked out by hand: one cell per character after
  // widening, then "　" up to a whole column.
  struct Case {
    std::vector<std::string_view> paragraphs;
    int32_t chars;
    std::string_view want;
    const char* why;
  } const cases[] = {
      {{"一", "", "二三四"}, 3, "一　　　　　二三四", "empty paragraph: a blank column"},
      {{""}, 2, "　　", "only an empty paragraph"},
      {{"一二三", "四"}, 3, "一二三四　　", "a full column gets no padding"},
      {{"ａｂ'"}, 10, "ａｂ＇　　　　　　　", "5 bytes: 3 cells, 7 blanks"},
      {{"ａｂ''", "下"}, 10,
       "ａｂ＇＇　　　　　　下　　　　　　　　　",
       "6 bytes: 4 cells, 6 blanks; the next paragraph starts a column"},
      {{"甲\t乙\r丙\n"}, 4, "甲　乙　丙　　　",
       "TAB, lone CR and lone LF are one blank cell each"},
      {{"a~ \\"}, 4, "ａ～　＼", "what normalising left is widened"},
  };
  for (const Case& c : cases) {
    TextList paragraphs;
    for (std::string_view p : c.paragraphs) paragraphs.push_back(gbk(p));
    const GbkText joined = joinParagraphs(paragraphs, {1, c.chars});
    EXPECT_EQ(utf8(joined), c.want) << c.why;
  }
  // A lone lead byte at the end has no character, so no cell.
  EXPECT_EQ(utf8(joinParagraphs({GbkText("\xD2\xBB\x81")}, {1, 2})), "一　");
  EXPECT_EQ(utf8(joinParagraphs({GbkText("\x81")}, {1, 2})), "　　");
}

TEST(PageLayoutTest, PageCountRoundsUp) {
  struct Case {
    int characters;  // two-byte characters in the joined text
    int extraByte;   // a trailing odd byte
    int64_t want;
  } const cases[] = {
      {0, 0, 0}, {1, 0, 1}, {6, 0, 1}, {12, 0, 2}, {13, 0, 3}, {6, 1, 2},
      {0, 1, 1},
  };
  const PageShape shape{2, 3};
  for (const Case& c : cases) {
    std::string joined;
    for (int i = 0; i < c.characters; ++i) joined += "\xD2\xBB";  // 一
    if (c.extraByte) joined += 'x';
    EXPECT_EQ(pageCount(joined, shape), c.want) << c.characters;
  }
  // From paragraphs, padding counted, nothing built.
  EXPECT_EQ(pageCount(paragraphsOf({"一", ""}), shape), 1);
  EXPECT_EQ(pageCount(paragraphsOf({"一", "", "二"}), shape), 2);
  EXPECT_EQ(pageCount(TextList(3), {INT32_MAX, INT32_MAX}), 1);
}

TEST(PageLayoutTest, FramesOfEveryShape) {
  struct Case {
    std::vector<std::string_view> paragraphs;
    PageShape shape;
    int border;
    std::string_view want;
  } const cases[] = {
      {{"字"}, {1, 1}, 2, "卐━卐\r\n│字│\r\n卐━卐\r\n"},
      {{"甲乙丙"}, {3, 1}, 0, "╔═╤═╤═╗\r\n║丙│乙│甲║\r\n╚═╧═╧═╝\r\n"},
      {{"甲", "乙"}, {1, 2}, 1,
       "┏━┓\r\n┃甲┃\r\n┃　┃\r\n┗━┛\r\n┏━┓\r\n┃乙┃\r\n┃　┃\r\n┗━┛\r\n"},
      {{}, {3, 3}, 0, ""},
  };
  for (const Case& c : cases) {
    TextList paragraphs;
    for (std::string_view p : c.paragraphs) paragraphs.push_back(gbk(p));
    const std::optional<GbkText> pages =
        layoutPages(paragraphs, c.shape, builtIn(c.border), {});
    ASSERT_TRUE(pages.has_value());
    EXPECT_EQ(utf8(*pages), c.want);
  }
}

// Symbols of one, three and four bytes from a hand-edited border text are
// drawn whole, and the characters still land in the content cells.
TEST(PageLayoutTest, SymbolsOfOtherWidthsAreNeitherCutNorOverwritten) {
  const BorderSet border = *parseBorderSet(gbk("+ == + | │| ║ + ═ + - ╧x"));
  const std::optional<GbkText> pages =
      layoutPages(paragraphsOf({"一二三"}), {2, 2}, border, {});
  ASSERT_TRUE(pages.has_value());
  const std::string_view want =
      "+==-==+\r\n|三│|一║\r\n|　│|二║\r\n+═╧x═+\r\n";
  EXPECT_EQ(utf8(*pages), want);
  EXPECT_EQ(pageTextSize(1, {2, 2}, border),
            static_cast<int64_t>(pages->size()));
}

// A page of more than a megabyte is drawn in place rather than from a copy;
// it must come out the same.
TEST(PageLayoutTest, VeryTallPagesAreDrawnAlike) {
  const int32_t chars = 150000;  // 8 bytes a row: 1.2 MB a page
  const std::optional<GbkText> pages =
      layoutPages(paragraphsOf({"一", "二三"}), {1, chars}, builtIn(0), {});
  ASSERT_TRUE(pages.has_value());
  std::string want;
  for (std::string_view column : {"一", "二三"}) {
    want += "╔═╗\r\n";
    for (int32_t r = 0; r < chars; ++r) {
      const std::string cell =
          r < static_cast<int32_t>(column.size() / 3)
              ? std::string(column.substr(3 * static_cast<std::size_t>(r), 3))
              : "　";
      want += "║" + cell + "║\r\n";
    }
    want += "╚═╝\r\n";
  }
  EXPECT_TRUE(utf8(*pages) == want);
}

TEST(PageLayoutTest, HookIsCalledPerCellAndCanStop) {
  // 一 with three characters a column: one character, two padding cells.
  const TextList paragraphs = paragraphsOf({"一", "二"});
  for (int stopAt = 1; stopAt <= 6; ++stopAt) {
    int calls = 0;
    const std::optional<GbkText> pages =
        layoutPages(paragraphs, {1, 3}, builtIn(0), [&] {
          return ++calls < stopAt;
        });
    EXPECT_FALSE(pages.has_value()) << stopAt;
    EXPECT_EQ(calls, stopAt);
  }
  int calls = 0;
  EXPECT_TRUE(layoutPages(paragraphs, {1, 3}, builtIn(0), [&] {
                return ++calls <= 6;
              }).has_value());
  EXPECT_EQ(calls, 6);
}

TEST(PageLayoutTest, PageTextSizeSaturates) {
  const BorderSet twoByte = builtIn(0);
  EXPECT_EQ(pageTextSize(0, {5, 5}, twoByte), 0);
  EXPECT_EQ(pageTextSize(3, {10, 10}, twoByte), 3 * 4 * 11 * 12);
  EXPECT_EQ(pageTextSize(1, {INT32_MAX, INT32_MAX}, twoByte), INT64_MAX);
  EXPECT_EQ(pageTextSize(INT64_MAX / 2, {1, 1}, twoByte), INT64_MAX);
}

}  // namespace
}  // namespace calvane
