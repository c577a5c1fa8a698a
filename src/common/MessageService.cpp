#include "common/MessageService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QtDebug>

#include <utility>

namespace kv::common {

namespace {

MessageResponder* g_installed = nullptr;
MessageResponder* g_windowResponder = nullptr;

QMutex g_logMutex;
QString g_logFile;  // empty: the default
bool g_loggingEnabled = true;

// Prints the message and gives its default answer: for programs without
// windows and for runs without a QApplication.
class UnattendedResponder : public MessageResponder {
public:
    MessageAnswer respond(const Message& message) override
    {
        qInfo().noquote() << message.title + QStringLiteral(" [") + messageKindName(message.kind) +
                                 QStringLiteral("] ") + messageDisplayText(message.text);
        return message.defaultAnswer;
    }
};

void appendToLog(const Message& message)
{
    QMutexLocker lock(&g_logMutex);
    if (!g_loggingEnabled)
        return;
    const QString path = g_logFile.isEmpty() ? defaultLogFile() : g_logFile;
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write((logLine(message) + QLatin1Char('\n')).toUtf8());
}

}  // namespace

QString ProductName() { return QStringLiteral("Kestrelview"); }

QString messageKindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error:
        return QStringLiteral("Error");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Warning:
        return QStringLiteral("Warning");
    case MessageKind::Question:
        return QStringLiteral("Question");
    case MessageKind::DestructiveQuestion:
        return QStringLiteral("DestructiveQuestion");
    case MessageKind::Plain:
        return QStringLiteral("Plain");
    }
    return QString();
}

QString messageAnswerName(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return QStringLiteral("Ok");
    case MessageAnswer::Cancel:
        return QStringLiteral("Cancel");
    case MessageAnswer::Yes:
        return QStringLiteral("Yes");
    case MessageAnswer::No:
        return QStringLiteral("No");
    case MessageAnswer::Abort:
        return QStringLiteral("Abort");
    case MessageAnswer::Retry:
        return QStringLiteral("Retry");
    case MessageAnswer::Ignore:
        return QStringLiteral("Ignore");
    }
    return QString();
}

QList<MessageAnswer> messageButtonAnswers(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {MessageAnswer::Ok};
    case MessageButtons::OkCancel:
        return {MessageAnswer::Ok, MessageAnswer::Cancel};
    case MessageButtons::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageButtons::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    case MessageButtons::AbortRetryIgnore:
        return {MessageAnswer::Abort, MessageAnswer::Retry, MessageAnswer::Ignore};
    }
    return {MessageAnswer::Ok};
}

MessageAnswer messageEscapeAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    }
    return MessageAnswer::Cancel;
}

QString messageDisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MessageAnswer showMessage(MessageKind kind, MessageButtons buttons, const QString& text,
                          std::optional<MessageAnswer> defaultAnswer, const QString& title)
{
    const QList<MessageAnswer> offered = messageButtonAnswers(buttons);
    Message message;
    message.kind = kind;
    message.buttons = buttons;
    message.text = text;
    message.defaultAnswer =
        defaultAnswer && offered.contains(*defaultAnswer) ? *defaultAnswer : offered.constFirst();
    message.title = title.isEmpty() ? ProductName() : title;
    appendToLog(message);
    const MessageAnswer answer = activeResponder().respond(message);
    return offered.contains(answer) ? answer : messageEscapeAnswer(buttons);
}

void showError(const QString& text, const QString& title)
{
    showMessage(MessageKind::Error, MessageButtons::Ok, text, std::nullopt, title);
}
void showInformation(const QString& text) { showMessage(MessageKind::Information, MessageButtons::Ok, text); }
void showWarning(const QString& text) { showMessage(MessageKind::Warning, MessageButtons::Ok, text); }
void showPlain(const QString& text) { showMessage(MessageKind::Plain, MessageButtons::Ok, text); }

bool askQuestion(const QString& text, const QString& title)
{
    return showMessage(MessageKind::Question, MessageButtons::YesNo, text, std::nullopt, title) == MessageAnswer::Yes;
}

bool askDestructive(const QString& text)
{
    return showMessage(MessageKind::DestructiveQuestion, MessageButtons::YesNo, text) == MessageAnswer::Yes;
}

bool askOkCancel(const QString& text, MessageKind kind)
{
    return showMessage(kind, MessageButtons::OkCancel, text) == MessageAnswer::Ok;
}

MessageAnswer askYesNoCancel(const QString& text, MessageKind kind)
{
    return showMessage(kind, MessageButtons::YesNoCancel, text);
}

MessageAnswer askAbortRetryIgnore(const QString& text, MessageKind kind)
{
    return showMessage(kind, MessageButtons::AbortRetryIgnore, text);
}

MessageResponder* installResponder(MessageResponder* responder)
{
    MessageResponder* previous = g_installed;
    g_installed = responder;
    return previous;
}

MessageResponder& unattendedResponder()
{
    static UnattendedResponder responder;
    return responder;
}

namespace {
// The responder when none is installed.
MessageResponder& defaultResponder()
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (g_windowResponder && app && app->inherits("QApplication"))
        return *g_windowResponder;
    return unattendedResponder();
}
}  // namespace

MessageResponder& activeResponder() { return g_installed ? *g_installed : defaultResponder(); }

namespace detail {
void setWindowResponder(MessageResponder* responder) { g_windowResponder = responder; }
}  // namespace detail

ResponderScope::ResponderScope(MessageResponder& responder)
    : m_previous(installResponder(&responder))
{
}

ResponderScope::~ResponderScope() { installResponder(m_previous); }

ScriptedResponder::ScriptedResponder(std::initializer_list<MessageAnswer> answers)
    : m_answers(answers)
{
}

void ScriptedResponder::addAnswers(std::initializer_list<MessageAnswer> answers)
{
    m_answers.insert(m_answers.end(), answers);
}

QStringList ScriptedResponder::texts() const
{
    QStringList out;
    for (const Message& m : m_messages)
        out << m.text;
    return out;
}

void ScriptedResponder::clear()
{
    m_messages.clear();
    m_answers.clear();
}

MessageAnswer ScriptedResponder::respond(const Message& message)
{
    m_messages.append(message);
    // A box with only an OK button offers no choice and takes no answer.
    if (message.buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (m_answers.empty())
        return m_defaultAnswer.value_or(message.defaultAnswer);
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

ScriptedMessages::ScriptedMessages()
    : m_previous(installResponder(this))
{
}

ScriptedMessages::ScriptedMessages(std::initializer_list<MessageAnswer> answers)
    : ScriptedResponder(answers)
    , m_previous(installResponder(this))
{
}

ScriptedMessages::~ScriptedMessages() { installResponder(m_previous); }

DeferredMessages::DeferredMessages()
    : m_previous(installResponder(this))
{
}

DeferredMessages::~DeferredMessages() { release(); }

void DeferredMessages::release()
{
    if (!m_active)
        return;
    m_active = false;
    installResponder(m_previous);
    const QList<Message> held = std::exchange(m_held, {});
    for (const Message& message : held)
        activeResponder().respond(message);
}

MessageAnswer DeferredMessages::respond(const Message& message)
{
    if (message.buttons != MessageButtons::Ok) {
        MessageResponder& shown = m_previous ? *m_previous : defaultResponder();
        return shown.respond(message);
    }
    m_held.append(message);
    return MessageAnswer::Ok;
}

QString defaultLogFile()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString();
    return base + QStringLiteral("/Kestrelview/Kestrelview.log");
}

void setLogFile(const QString& path)
{
    QMutexLocker lock(&g_logMutex);
    g_logFile = path;
}

QString logFile()
{
    QMutexLocker lock(&g_logMutex);
    return g_logFile.isEmpty() ? defaultLogFile() : g_logFile;
}

void logMessage(const Message& message) { appendToLog(message); }

void setLoggingEnabled(bool enabled)
{
    QMutexLocker lock(&g_logMutex);
    g_loggingEnabled = enabled;
}

QString logLine(const Message& message)
{
    QString text = message.text;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    const QString title =
        message.title.isEmpty() || message.title == ProductName() ? QString() : QStringLiteral(": ") + message.title;
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")) + QStringLiteral(" [") +
           messageKindName(message.kind) + title + QStringLiteral("] ") + text;
}

}  // namespace kv::common
