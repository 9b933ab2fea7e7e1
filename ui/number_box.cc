#include "ui/number_box.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QString>
#include <cstdint>
#include <limits>
#include <string>

#include "ui/qt_text.h"

namespace calvane {
namespace {

bool isAcceptedKey(QChar c) {
  return (c >= u'0' && c <= u'9') || c == u'-';
}

// A key whose text is a printable character; control keys (backspace,
// Ctrl+V and the like) carry no text or a control character.
bool isPrintable(const QString& text) {
  return !text.isEmpty() && text[0].isPrint();
}

}  // namespace

GbkText wholeNumberText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulated in 64 bits; once past the 32-bit range the value only has
  // to stay past it, so it stops growing there and cannot overflow.
  constexpr int64_t kPastRange = int64_t{1} << 32;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude < kPastRange) magnitude = magnitude * 10 + (text[i] - '0');
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max())
    value = std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min())
    value = std::numeric_limits<int32_t>::min();
  if (value == 0) return GbkText();
  return GbkText(std::to_string(value));
}

NumberBox::NumberBox(QWidget* parent) : ByteLimitedEdit(2, parent) {}

void NumberBox::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (isPrintable(text) && !(event->modifiers() & Qt::ControlModifier)) {
    for (const QChar c : text) {
      if (!isAcceptedKey(c)) {
        event->accept();  // swallowed
        return;
      }
    }
  }
  ByteLimitedEdit::keyPressEvent(event);
}

void NumberBox::inputMethodEvent(QInputMethodEvent* event) {
  const QString committed = event->commitString();
  QString kept;
  for (const QChar c : committed) {
    if (isAcceptedKey(c)) kept += c;
  }
  if (kept == committed) {
    ByteLimitedEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(kept, event->replacementStart(),
                           event->replacementLength());
  ByteLimitedEdit::inputMethodEvent(&filtered);
  event->accept();
}

void NumberBox::focusOutEvent(QFocusEvent* event) {
  ByteLimitedEdit::focusOutEvent(event);
  const QString rewritten = toQString(wholeNumberText(fromQString(text()).text));
  if (rewritten != text()) setText(rewritten);
}

}  // namespace calvane
