// The two conventions every handler uses when it refuses an input:
// showMessage (a message box titled "信息：" with one OK button and no icon,
// owned by no window and modal for the whole application; the caller goes
// on when it is dismissed) and focusControl.
//
// Tests replace the box with a recorder (setMessageSink) so a refusal is
// seen without blocking. GUI thread only.
#ifndef CALVANE_UI_SHOW_MESSAGE_H_
#define CALVANE_UI_SHOW_MESSAGE_H_

#include <QString>
#include <functional>
#include <string_view>

class QWidget;

namespace calvane {

// Receives each message instead of the message box.
using MessageSink = std::function<void(const QString& message)>;

// Shows the GBK message text and returns when the box is dismissed.
void showMessage(std::string_view gbkMessage);

// Replaces the message box (an empty sink restores it). Returns the sink
// that was in place.
MessageSink setMessageSink(MessageSink sink);

// Moves the keyboard focus to control.
void focusControl(QWidget* control);

}  // namespace calvane

#endif  // CALVANE_UI_SHOW_MESSAGE_H_
