// Helpers shared by the window tests and the window benchmark.
#ifndef CALVANE_TESTS_UI_UI_TEST_UTIL_H_
#define CALVANE_TESTS_UI_UI_TEST_UTIL_H_

#include <QEvent>
#include <QObject>
#include <QString>
#include <QTest>
#include <QWidget>

namespace calvane::testing {

// Counts the paint events of the objects it is installed on as an event
// filter (installEventFilter); it lets every event through. Not thread-safe:
// use it on the GUI thread only.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Gives w the focus and types s into it one key at a time, as a keyboard or
// an input method would deliver it (a surrogate pair is one key).
inline void type(QWidget* w, const QString& s) {
  w->setFocus(Qt::MouseFocusReason);
  for (qsizetype i = 0; i < s.size();) {
    const qsizetype n = s[i].isHighSurrogate() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, s.mid(i, n),
                        Qt::NoModifier);
    i += n;
  }
}

}  // namespace calvane::testing

#endif  // CALVANE_TESTS_UI_UI_TEST_UTIL_H_
