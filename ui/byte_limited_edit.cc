#include "ui/byte_limited_edit.h"

#include <algorithm>
#include <cassert>

#include "ui/qt_text.h"

namespace calvane {

ByteLimitedEdit::ByteLimitedEdit(int maxBytes, QWidget* parent)
    : QLineEdit(parent), maxBytes_(maxBytes) {
  assert(maxBytes >= 1);
  // textChanged follows every change, the program's included; textEdited
  // only the user's, which is where the limit applies.
  connect(this, &QLineEdit::textChanged, this,
          [this](const QString& text) { lastText_ = text; });
  connect(this, &QLineEdit::textEdited, this,
          &ByteLimitedEdit::limitUserEdit);
}

void ByteLimitedEdit::limitUserEdit(const QString& edited) {
  const QString& before = lastText_;
  if (gbkByteLength(edited) <= maxBytes_ ||
      gbkByteLength(edited) <= gbkByteLength(before)) {
    return;  // within the limit, or the edit only made a long text shorter
  }
  // The edit replaced before[prefix, before.size() - suffix) by
  // edited[prefix, edited.size() - suffix).
  qsizetype prefix = 0;
  const qsizetype shorter = std::min(before.size(), edited.size());
  while (prefix < shorter && before[prefix] == edited[prefix]) ++prefix;
  qsizetype suffix = 0;
  while (suffix < shorter - prefix &&
         before[before.size() - 1 - suffix] == edited[edited.size() - 1 - suffix])
    ++suffix;
  // Never cut a surrogate pair in two.
  while (prefix > 0 && edited[prefix].isLowSurrogate()) --prefix;
  const QString kept = edited.left(prefix) + edited.right(suffix);
  const QString inserted = edited.mid(prefix, edited.size() - suffix - prefix);

  QString fitted;
  int room = maxBytes_ - gbkByteLength(kept);
  for (qsizetype i = 0; i < inserted.size() && room > 0;) {
    const qsizetype n =
        (inserted[i].isHighSurrogate() && i + 1 < inserted.size()) ? 2 : 1;
    const QString ch = inserted.mid(i, n);
    const int bytes = gbkByteLength(ch);
    if (bytes > room) break;
    fitted += ch;
    room -= bytes;
    i += n;
  }
  setText(edited.left(prefix) + fitted + edited.right(suffix));
  setCursorPosition(static_cast<int>(prefix + fitted.size()));
}

}  // namespace calvane
