#include "convert/normalise.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/test_util.h"

namespace calvane {
namespace {

using ::calvane::testing::gbk;
using ::calvane::testing::utf8;

// The table's bytes against its characters as Unicode knows them: the
// patterns and replacements of every row, decoded and joined.
TEST(NormaliseTest, TableRowsAreTheListedCharacters) {
  const auto table = substitutionTable();
  ASSERT_EQ(table.size(), 114u);
  std::string patterns, replacements;
  for (const Substitution& row : table) {
    patterns += utf8(row.pattern);
    replacements += utf8(row.replacement);
    EXPECT_EQ(row.replacement.size(), 2u) << utf8(row.pattern);
  }
  EXPECT_EQ(patterns,
            "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
            "()[]{}<>*&^%$#@!~`+-=_|\\\\\\'\";:.,?/"
            "（）【】《》…—～“”‘’「」『』＜＞＝");
  EXPECT_EQ(replacements,
            "０１２３４５６７８９ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
            "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
            "︵︶︻︼︷︸︿﹀＊＆︿％＄＃＠！～｀＋－‖︳｜＼＇＂；：。，？／"
            "︵︶︻︼︽︾┇│§﹁﹂﹃﹄﹁﹂﹃﹄∧∨‖");
  // The dollar sign is A1 E7, not the A3 A4 that widening would give.
  EXPECT_EQ(table[74].replacement, "\xA1\xE7");
}

TEST(NormaliseTest, Cases) {
  // Expected values follow the rows in order, then the space rule.
  struct Case {
    std::string_view in, want;
  } const cases[] = {
      {"", ""},
      {"aA", "ａＡ"},
      {"~～", "§§"},  // "~" becomes "～", which a later row makes "§"
      {"$", "＄"},
      {"<＜^", "︿∧︿"},
      {"=＝", "‖‖"},
      {"...…", "。。。┇"},
      {"\\\\", "＼"},
      {"\\'", "＇"},
      {"\\", "\\"},  // widened by the layout, not here
      {"'", "'"},
      {"\\\\\\", "＼\\"},  // pairs are taken from the left
      {"\\\\'", "＼'"},
      {"\\\\\\'", "＼＇"},
      {"''\\", "''\\"},
      {"  a b", "　　ａ　ｂ"},
      {"(a) 1", "︵ａ︶　１"},
      {"一\r\n二\t\r", "一\r\n二\t\r"},  // line breaks and controls pass
      {"“你好”「世界」", "﹁你好﹂﹁世界﹂"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8(normaliseCharacters(gbk(c.in))), c.want) << c.in;
  }
}

TEST(NormaliseTest, OnlyWholeCharactersMatch) {
  // Two-byte characters whose trail byte is the code of a letter, a
  // backslash, a vertical line, a space or an apostrophe stay as they are,
  // and so does a lone lead byte at the end.
  struct Case {
    std::string_view in, want;
  } const cases[] = {
      {"\x81\x61", "\x81\x61"},
      {"\x85\x65\x85\x65", "\x85\x65\x85\x65"},         // 卐卐
      {"\x81\x5C\\'", "\x81\x5C\xA3\xA7"},               // trail, then \'
      {"\x81\x5C'", "\x81\x5C'"},                         // trail \ and '
      {"\x95\x20\xA3\x7C", "\x95\x20\xA3\x7C"},
      {"a\x81", "\xA3\xE1\x81"},
      {"\\\x81", "\\\x81"},
      {"\xA1", "\xA1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(normaliseCharacters(c.in).bytes(), c.want) << utf8(c.in);
  }
}

}  // namespace
}  // namespace calvane
