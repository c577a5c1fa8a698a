#pragma once

#include <functional>

class QObject;

namespace kv::common {

// Every modal window of the program opens through one entry point
// (showModal in common/ShowModal.h). A handler installed here decides the
// result instead of showing the window: tests use it so that nothing blocks.
// The handler may drive the window (fill fields, click its buttons) before
// returning the result the window would have ended with (QDialog::Accepted
// or QDialog::Rejected, or any done() code).
using ModalHandler = std::function<int(QObject& window)>;

// Installs a handler (an empty one: show windows for real again) and
// returns the one it replaces.
ModalHandler installModalHandler(ModalHandler handler);
bool hasModalHandler();

// Runs the installed handler on window, or show() when there is none.
int runModal(QObject& window, const std::function<int()>& show);

// Installs a handler for the life of the scope and restores the previous one.
class ModalHandlerScope {
public:
    explicit ModalHandlerScope(ModalHandler handler);
    ~ModalHandlerScope();
    ModalHandlerScope(const ModalHandlerScope&) = delete;
    ModalHandlerScope& operator=(const ModalHandlerScope&) = delete;

private:
    ModalHandler m_previous;
};

}  // namespace kv::common
