#pragma once

#include "common/MessageService.h"

#include <QMessageBox>

#include <memory>

class QWidget;

namespace kv::common {

// The message box for a message: its title ("Kestrelview" unless the
// message names another), the icon of its kind
// (a stop icon for destructive questions), its buttons, its default and
// escape buttons, and the text with "\r" shown as line breaks.
std::unique_ptr<QMessageBox> createMessageBox(const Message& message, QWidget* parent = nullptr);

QMessageBox::Icon messageBoxIcon(MessageKind kind);
QMessageBox::StandardButton messageBoxButton(MessageAnswer answer);

// Shows each message in a modal message box over the active window. It is
// the default responder whenever a QApplication exists (this library
// registers it when linked); without one it answers like the unattended
// responder.
class MessageBoxResponder : public MessageResponder {
public:
    MessageAnswer respond(const Message& message) override;
};

MessageBoxResponder& messageBoxResponder();

}  // namespace kv::common
