#include "ui/show_message.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <utility>

#include "ui/qt_text.h"

namespace calvane {
namespace {

MessageSink& sink() {
  static MessageSink s;
  return s;
}

}  // namespace

void showMessage(std::string_view gbkMessage) {
  const QString text = toQString(gbkMessage);
  if (sink()) {
    sink()(text);
    return;
  }
  // No owner window, modal for the whole application, one OK button, no
  // icon; "信息：" as its title.
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8("信息："), text,
                  QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

MessageSink setMessageSink(MessageSink s) {
  return std::exchange(sink(), std::move(s));
}

void focusControl(QWidget* control) {
  if (control == nullptr) return;
  control->activateWindow();
  control->setFocus(Qt::OtherFocusReason);
}

}  // namespace calvane
