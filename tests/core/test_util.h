// Helpers shared by the core tests.
#ifndef CALVANE_TESTS_CORE_TEST_UTIL_H_
#define CALVANE_TESTS_CORE_TEST_UTIL_H_

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "gtest/gtest.h"
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

// The whole content of the file at path, byte for byte; empty when it cannot
// be read.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Makes a new, empty folder in the system's temporary folder, named prefix
// followed by six random characters, and sets *folder to it. Failing to make
// it is a fatal test failure, so call it inside ASSERT_NO_FATAL_FAILURE.
inline void makeTempFolder(std::string_view prefix,
                           std::filesystem::path* folder) {
  std::string pattern = std::filesystem::temp_directory_path() /
                        (std::string(prefix) + "XXXXXX");
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  *folder = pattern;
}

}  // namespace calvane::testing

#endif  // CALVANE_TESTS_CORE_TEST_UTIL_H_
