#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <initializer_list>
#include <optional>

namespace kv::common {

// The title of every message box and the product name of the status window.
QString ProductName();

// What a message is: it decides the icon of the box.
enum class MessageKind {
    Error,                // error icon
    Information,          // information icon (completion notices)
    Warning,              // warning icon
    Question,             // question icon
    DestructiveQuestion,  // stop icon: questions before something is removed or overwritten
    Plain,                // no icon
};

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore };
enum class MessageAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

struct Message {
    MessageKind kind = MessageKind::Plain;
    MessageButtons buttons = MessageButtons::Ok;
    QString text;  // as the caller gave it
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
    QString title = ProductName();  // the box's title
};

// Shows a message and returns the user's answer. The active responder is a
// message box in the program and a scripted responder in tests.
class MessageResponder {
public:
    virtual ~MessageResponder() = default;
    virtual MessageAnswer respond(const Message& message) = 0;
};

// The general entry: logs the message, has the active responder show it and
// returns the answer. An answer that is not one of the buttons counts as
// closing the box (Cancel, or No for Yes/No, or Ok for an Ok box).
// Without a default answer the first button (Ok or Yes) is the default.
// A box is titled "Kestrelview" unless the caller names another title.
MessageAnswer showMessage(MessageKind kind, MessageButtons buttons, const QString& text,
                          std::optional<MessageAnswer> defaultAnswer = std::nullopt,
                          const QString& title = ProductName());

void showError(const QString& text, const QString& title = ProductName());
void showInformation(const QString& text);
void showWarning(const QString& text);
void showPlain(const QString& text);
// Yes/No with the question icon; true for Yes.
bool askQuestion(const QString& text, const QString& title = ProductName());
// Yes/No with the stop icon, before destructive actions; true for Yes.
bool askDestructive(const QString& text);
// Ok/Cancel; true for Ok.
bool askOkCancel(const QString& text, MessageKind kind = MessageKind::Question);
MessageAnswer askYesNoCancel(const QString& text, MessageKind kind = MessageKind::Question);
// Abort/Retry/Ignore; closing the box counts as Abort.
MessageAnswer askAbortRetryIgnore(const QString& text, MessageKind kind = MessageKind::Error);

// The text as a box shows it: the old line separator "\r" (alone or before
// "\n") becomes a line break.
QString messageDisplayText(const QString& text);
QString messageKindName(MessageKind kind);
QString messageAnswerName(MessageAnswer answer);
QList<MessageAnswer> messageButtonAnswers(MessageButtons buttons);
// The answer of a box closed without choosing (Esc or the close button).
MessageAnswer messageEscapeAnswer(MessageButtons buttons);

// Responders. installResponder makes responder the active one (nullptr: the
// default again) and returns the one it replaces. The default is the
// program's message box when the window library is linked and a
// QApplication exists; otherwise the unattended responder, which prints the
// message and gives the default answer.
MessageResponder* installResponder(MessageResponder* responder);
MessageResponder& activeResponder();
MessageResponder& unattendedResponder();

// Installs a responder for the life of the scope and restores the previous one.
class ResponderScope {
public:
    explicit ResponderScope(MessageResponder& responder);
    ~ResponderScope();
    ResponderScope(const ResponderScope&) = delete;
    ResponderScope& operator=(const ResponderScope&) = delete;

private:
    MessageResponder* m_previous;
};

// For tests: records every message and answers from a queue of scripted
// answers; an empty queue gives the default answer (the message's own
// default unless one is set here). Boxes with only an OK button offer no
// choice: they are answered Ok and take nothing from the queue. Never blocks.
class ScriptedResponder : public MessageResponder {
public:
    ScriptedResponder() = default;
    ScriptedResponder(std::initializer_list<MessageAnswer> answers);

    void addAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    void addAnswers(std::initializer_list<MessageAnswer> answers);
    void setDefaultAnswer(std::optional<MessageAnswer> answer) { m_defaultAnswer = answer; }
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }

    const QList<Message>& messages() const { return m_messages; }
    QStringList texts() const;
    void clear();

    MessageAnswer respond(const Message& message) override;

private:
    std::deque<MessageAnswer> m_answers;
    std::optional<MessageAnswer> m_defaultAnswer;
    QList<Message> m_messages;
};

// A scripted responder that is active for its own lifetime.
class ScriptedMessages : public ScriptedResponder {
public:
    ScriptedMessages();
    explicit ScriptedMessages(std::initializer_list<MessageAnswer> answers);
    ~ScriptedMessages() override;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

private:
    MessageResponder* m_previous;
};

// Holds back the boxes that offer no choice (errors and notices) for its
// lifetime, so that no box waits for the user while the caller holds
// something others wait for (a write transaction); they are logged when
// given and shown, in order, by release() or at the end of the scope.
// Questions are asked at once: the caller needs their answer.
class DeferredMessages : public MessageResponder {
public:
    DeferredMessages();
    ~DeferredMessages() override;
    DeferredMessages(const DeferredMessages&) = delete;
    DeferredMessages& operator=(const DeferredMessages&) = delete;

    // Stops holding boxes back and shows those held.
    void release();
    int held() const { return static_cast<int>(m_held.size()); }

    MessageAnswer respond(const Message& message) override;

private:
    MessageResponder* m_previous;
    bool m_active = true;
    QList<Message> m_held;
};

// The log file every message is appended to, one line each:
// "yyyy-MM-dd hh:mm:ss.zzz [Kind] text" (a title other than "Kestrelview"
// after the kind: "[Kind: Title]") with "\", CR and LF in the text
// written as "\\", "\r" and "\n". Folders are made when needed; a log that
// cannot be written never stops a message. An empty path restores the default.
QString defaultLogFile();
void setLogFile(const QString& path);
QString logFile();
// Whether messages are logged at all (on by default).
void setLoggingEnabled(bool enabled);
QString logLine(const Message& message);
// Writes the message to the log without showing it.
void logMessage(const Message& message);

namespace detail {
// The window library registers the message box responder here; it is used
// as the default while a QApplication exists.
void setWindowResponder(MessageResponder* responder);
}  // namespace detail

}  // namespace kv::common
