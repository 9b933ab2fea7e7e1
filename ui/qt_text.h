// The one border between Qt's Unicode strings and Calvane's GBK texts. Every
// widget text, clipboard text and message crosses here; nothing else in the
// window converts.
//
// Stateless; callable from any thread.
#ifndef CALVANE_UI_QT_TEXT_H_
#define CALVANE_UI_QT_TEXT_H_

#include <QString>
#include <cstdint>
#include <string_view>

#include "text/gbk_text.h"

namespace calvane {

// A widget's text as GBK; characters GBK cannot hold became "〓".
struct QtToGbk {
  GbkText text;
  int64_t replaced = 0;  // how many characters became "〓"
};

// GBK text for display; undecodable bytes show as U+FFFD.
[[nodiscard]] QString toQString(std::string_view gbk);

// s as GBK, line breaks left as they are.
[[nodiscard]] QtToGbk fromQString(const QString& s);

// s as GBK with every line break (LF, CR LF, lone CR, and the paragraph and
// line separators Qt's text documents use) written as "\r\n", the line end
// the conversion cuts paragraphs at.
[[nodiscard]] QtToGbk fromQStringWithCrLf(const QString& s);

// Byte length of s in GBK, where each character GBK cannot hold counts as
// the two bytes of its "〓".
[[nodiscard]] int gbkByteLength(const QString& s);

}  // namespace calvane

#endif  // CALVANE_UI_QT_TEXT_H_
