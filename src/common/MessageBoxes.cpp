#include "common/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>

// Referenced by the linker option of kv_common_ui so that this file, and
// with it the registration below, is always part of programs using windows.
extern "C" {
extern int kv_common_ui_message_boxes;
int kv_common_ui_message_boxes = 1;
}

namespace kv::common {

namespace {

struct Registration {
    Registration() { detail::setWindowResponder(&messageBoxResponder()); }
};
const Registration registration;

}  // namespace

QMessageBox::Icon messageBoxIcon(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error:
    case MessageKind::DestructiveQuestion:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Question:
        return QMessageBox::Question;
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton messageBoxButton(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    case MessageAnswer::Abort:
        return QMessageBox::Abort;
    case MessageAnswer::Retry:
        return QMessageBox::Retry;
    case MessageAnswer::Ignore:
        return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

std::unique_ptr<QMessageBox> createMessageBox(const Message& message, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(message.title.isEmpty() ? ProductName() : message.title);
    box->setIcon(messageBoxIcon(message.kind));
    // Texts carry file names and typed values; never read them as markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(messageDisplayText(message.text));
    for (MessageAnswer answer : messageButtonAnswers(message.buttons))
        box->addButton(messageBoxButton(answer));
    box->setDefaultButton(messageBoxButton(message.defaultAnswer));
    box->setEscapeButton(box->button(messageBoxButton(messageEscapeAnswer(message.buttons))));
    return box;
}

MessageAnswer MessageBoxResponder::respond(const Message& message)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return unattendedResponder().respond(message);
    const std::unique_ptr<QMessageBox> box = createMessageBox(message, QApplication::activeWindow());
    box->exec();
    switch (box->standardButton(box->clickedButton())) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    default:
        return messageEscapeAnswer(message.buttons);
    }
}

MessageBoxResponder& messageBoxResponder()
{
    static MessageBoxResponder responder;
    return responder;
}

}  // namespace kv::common
