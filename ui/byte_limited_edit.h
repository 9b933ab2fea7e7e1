// ByteLimitedEdit: a one-line edit box whose typed or pasted text may be at
// most a given number of GBK bytes (one two-byte character or two one-byte
// characters for a limit of 2). Text set by the program with setText() is
// shown unchanged, whatever its length; the user can still shorten it.
//
// A Qt widget: GUI thread only; owned by its parent.
#ifndef CALVANE_UI_BYTE_LIMITED_EDIT_H_
#define CALVANE_UI_BYTE_LIMITED_EDIT_H_

#include <QLineEdit>

namespace calvane {

class ByteLimitedEdit : public QLineEdit {
  Q_OBJECT

 public:
  // REQUIRES: maxBytes >= 1.
  ByteLimitedEdit(int maxBytes, QWidget* parent = nullptr);

  [[nodiscard]] int maxBytes() const { return maxBytes_; }

 private:
  // Every user edit (typing, pasting, dropping, input methods) arrives
  // here; what it inserted is cut to the characters that still fit, as the
  // classic edit control does with a paste that is too long.
  void limitUserEdit(const QString& edited);

  int maxBytes_;
  QString lastText_;  // the text before the edit in progress
};

}  // namespace calvane

#endif  // CALVANE_UI_BYTE_LIMITED_EDIT_H_
