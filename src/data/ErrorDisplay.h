#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <vector>

namespace kv::data {

class EngineError;
class Table;
class TProgramDataForm;

// The default error display. Every handler of a window runs under it: the
// application's event delivery (common/Application.h), the modal-window
// entry point (common/ShowModal.h) and the start-up sequence. An error a
// handler lets through (an EngineError or any other exception) is shown in
// an error box titled "Kestrelview" through the message service, which also
// logs it; what the failed operation left half done is cancelled; and the
// program goes on. Nothing a handler throws ever ends the program.
//
// Half done: a table of a data module that the operation put into edit or
// insert state and left there. Those tables are cancelled. Tables that were
// already being edited when the operation started (a row the user is typing
// into in another window, or the row whose save failed) keep their edits,
// so the user can correct them, save again or cancel. A write transaction
// the operation held is rolled back by its own scope as the error leaves it.
//
// A hook that abandons an operation (abortOperation) has told the user why:
// the operation is undone the same way without a box. While one error box
// is open, further errors (a window that fails to paint behind it) are
// logged only, so that boxes never pile up.
class OperationGuard {
public:
    // Notes which tables are in edit or insert state before the operation.
    OperationGuard();
    OperationGuard(const OperationGuard&) = delete;
    OperationGuard& operator=(const OperationGuard&) = delete;

    // Reports the failed operation's error and cancels what it left half
    // done. Never throws.
    void failed(std::exception_ptr error) noexcept;

private:
    std::vector<const Table*> m_editing;
};

// Runs the operation under the default error display; true when it ended
// normally, false when it failed (the error has been shown).
bool RunWithErrorDisplay(const std::function<void()>& operation);

// The text the error box shows: an engine error's stack one entry per line
// (its first ten entries, as the engine reports them), another exception's
// own text, or a general text for anything else.
QString EngineErrorText(const EngineError& error);
QString ErrorDisplayText(std::exception_ptr error);

// The data modules whose tables the display looks after; each data module
// adds itself while it exists.
void WatchDataModule(TProgramDataForm* dataModule);
void UnwatchDataModule(TProgramDataForm* dataModule);

}  // namespace kv::data
