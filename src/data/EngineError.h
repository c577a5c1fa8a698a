#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace kv::data {

// An error of the catalogue engine. Like the error stack of a desktop
// database engine it holds several entries, most general first; what()
// gives them joined by line breaks.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QStringList& errorStack);
    explicit EngineError(const QString& message);

    const QStringList& errorStack() const { return m_stack; }
    QString message() const { return m_stack.join(QLatin1Char('\n')); }

private:
    QStringList m_stack;
};

// Raised by a hook (BeforePost, BeforeEdit ...) to abandon the operation
// silently: the caller sees the operation refused and no error text. A hook
// that refuses inside the post's transaction (DuringPost) gives the notice
// to show the user: it runs once the write is undone and nothing is locked.
struct AbortOperation {
    std::function<void()> notice;
};

[[noreturn]] inline void abortOperation(std::function<void()> notice = {}) { throw AbortOperation{std::move(notice)}; }

}  // namespace kv::data
