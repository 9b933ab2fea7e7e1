// Helpers shared by the core tests.
#ifndef CALVANE_TESTS_CORE_TEST_UTIL_H_
#define CALVANE_TESTS_CORE_TEST_UTIL_H_

#include <string>
#include <string_view>

#include "text/gbk_codec.h"
#include "text/gbk_text.h"

namespace calvane::testing {

// The GBK text of a UTF-8 literal, so tests can be written in Chinese:
// gbk("中文") is the bytes D6 D0 CE C4.
inline GbkText gbk(std::string_view utf8) { return utf8ToGbk(utf8).text; }

// The UTF-8 text of GBK bytes, for readable failure messages.
inline std::string utf8(std::string_view gbkBytes) {
  return gbkToUtf8(gbkBytes);
}

}  // namespace calvane::testing

#endif  // CALVANE_TESTS_CORE_TEST_UTIL_H_
