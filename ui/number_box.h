// NumberBox: the one-line box for a whole number of the page shape (columns
// per page, characters per column). Of the printable keys typed into it only
// the digits 0-9 and the minus sign get through; control keys work as usual
// and pasted text is not filtered. Typing and pasting are held to 2 bytes
// (ByteLimitedEdit); a longer text set by the program is shown unchanged.
// When the box loses the keyboard focus its text is rewritten as the whole
// number it starts with (wholeNumberText), so "05" becomes "5" and "0" or
// "-" become empty.
//
// A Qt widget: GUI thread only; owned by its parent.
#ifndef CALVANE_UI_NUMBER_BOX_H_
#define CALVANE_UI_NUMBER_BOX_H_

#include <string_view>

#include "text/gbk_text.h"
#include "ui/byte_limited_edit.h"

class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;

namespace calvane {

// The text read as a signed decimal integer, written back in plain decimal:
// leading blanks (bytes 0x09..0x0D and 0x20) are skipped, one optional "+"
// or "-" is taken, then ASCII digits up to the first other byte; no digits
// give 0. The value is clamped to the signed 32-bit range, and 0 is written
// as the empty text. Every other byte (full-width digits included) ends the
// number.
[[nodiscard]] GbkText wholeNumberText(std::string_view text);

class NumberBox : public ByteLimitedEdit {
  Q_OBJECT

 public:
  explicit NumberBox(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Text committed by an input method is typed text too: only its digits
  // and minus signs get through.
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace calvane

#endif  // CALVANE_UI_NUMBER_BOX_H_
