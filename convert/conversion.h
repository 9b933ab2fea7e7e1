// The window-free part of a conversion: the page-shape checks, the border
// lookup's outcome, and the text work from the source text to the vertical
// page text (optional simplified-to-traditional conversion, normalisation,
// the cut into paragraphs at "\r\n", the layout). The window and the
// command-line converter both call these, so they refuse the same inputs
// with the same messages.
//
// Pure functions; thread-safe. The hook runs on the caller's thread.
#ifndef CALVANE_CONVERT_CONVERSION_H_
#define CALVANE_CONVERT_CONVERSION_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "convert/border_set.h"
#include "convert/page_layout.h"
#include "text/gbk_text.h"

namespace calvane {

// The messages a conversion refuses its input with (GBK).
namespace messages {
// "竖行数不能小于1！"
inline constexpr std::string_view kColumnsBelowOne =
    "\xCA\xFA\xD0\xD0\xCA\xFD\xB2\xBB\xC4\xDC\xD0\xA1\xD3\xDA" "1" "\xA3\xA1";
// "每竖行字数不能小于1！"
inline constexpr std::string_view kCharsBelowOne =
    "\xC3\xBF\xCA\xFA\xD0\xD0\xD7\xD6\xCA\xFD\xB2\xBB\xC4\xDC\xD0\xA1\xD3\xDA"
    "1" "\xA3\xA1";
// "请在上面输入要转换的文本！"
inline constexpr std::string_view kSourceEmpty =
    "\xC7\xEB\xD4\xDA\xC9\xCF\xC3\xE6\xCA\xE4\xC8\xEB\xD2\xAA\xD7\xAA\xBB\xBB"
    "\xB5\xC4\xCE\xC4\xB1\xBE\xA3\xA1";
// "请选择边框！"
inline constexpr std::string_view kNoBorderSelected =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xB1\xDF\xBF\xF2\xA3\xA1";
// "所选边框的设置不完整，请重新选择边框！"
inline constexpr std::string_view kBorderIncomplete =
    "\xCB\xF9\xD1\xA1\xB1\xDF\xBF\xF2\xB5\xC4\xC9\xE8\xD6\xC3\xB2\xBB\xCD\xEA"
    "\xD5\xFB\xA3\xAC\xC7\xEB\xD6\xD8\xD0\xC2\xD1\xA1\xD4\xF1\xB1\xDF\xBF\xF2"
    "\xA3\xA1";
// "页面太大，请减少竖行数或每竖行字数！"
inline constexpr std::string_view kPagesTooLarge =
    "\xD2\xB3\xC3\xE6\xCC\xAB\xB4\xF3\xA3\xAC\xC7\xEB\xBC\xF5\xC9\xD9\xCA\xFA"
    "\xD0\xD0\xCA\xFD\xBB\xF2\xC3\xBF\xCA\xFA\xD0\xD0\xD7\xD6\xCA\xFD\xA3\xA1";
}  // namespace messages

// The largest vertical page text a conversion builds (1 GiB).
inline constexpr int64_t kMaxPageTextBytes = int64_t{1} << 30;

// Which input a refusal names, so the caller can move the focus to it.
enum class InputField { kColumns, kChars, kSource, kBorder, kNone };

struct Refusal {
  std::string_view message;  // one of messages::
  InputField field = InputField::kNone;
};

// The columns check, then the characters check, each on toNumber of its
// text: a value less than 1 (with the 1e-7 tolerance), or one that truncates
// to less than 1, is refused with its field's message; otherwise both are
// truncated into the page shape. The first failing check is the only one
// reported.
[[nodiscard]] std::variant<PageShape, Refusal> readPageShape(
    std::string_view columnsText, std::string_view charsText);

// The border set of a looked-up border text, or the refusal for it: no entry
// selected (position -1) gives kNoBorderSelected, any other text with fewer
// than eleven parts kBorderIncomplete.
[[nodiscard]] std::variant<BorderSet, Refusal> readBorderSet(
    int32_t borderPosition, std::string_view borderText);

struct ConversionResult {
  enum class Outcome {
    kDone,      // pages holds the vertical page text
    kTooLarge,  // the page text would exceed kMaxPageTextBytes; nothing built
    kStopped,   // the hook asked to stop
  };
  Outcome outcome = Outcome::kDone;
  GbkText pages;
};

// The text steps of a conversion: toTraditional when traditional is set,
// normaliseCharacters, split at "\r\n", layoutPages with the hook. The page
// text size is checked before any frame is built.
// REQUIRES: both fields of shape >= 1.
[[nodiscard]] ConversionResult convertToPages(std::string_view source,
                                              bool traditional,
                                              PageShape shape,
                                              const BorderSet& border,
                                              const PumpHook& pump);

}  // namespace calvane

#endif  // CALVANE_CONVERT_CONVERSION_H_
