#include "data/ErrorDisplay.h"

#include "common/MessageService.h"
#include "data/EngineError.h"
#include "data/ProgramDataForm.h"

#include <algorithm>

namespace kv::data {

namespace {

std::vector<TProgramDataForm*>& watchedModules()
{
    static std::vector<TProgramDataForm*> modules;
    return modules;
}

bool editing(const Table& table)
{
    return table.state() == DataSet::State::Edit || table.state() == DataSet::State::Insert;
}

// Open error boxes of the display: errors raised while one is open are logged only.
int g_boxesOpen = 0;

void cancelStartedEdits(const std::vector<const Table*>& editingBefore) noexcept
{
    // A copy: cancelling may run handlers that add or remove data modules.
    const std::vector<TProgramDataForm*> modules = watchedModules();
    for (TProgramDataForm* dm : modules) {
        for (Table* table : dm->tables()) {
            if (!editing(*table) || std::find(editingBefore.begin(), editingBefore.end(), table) != editingBefore.end())
                continue;
            try {
                table->cancel();
            } catch (...) {
                // The table could not reread its row; it is in browse state all the same.
            }
        }
    }
}

}  // namespace

OperationGuard::OperationGuard()
{
    for (TProgramDataForm* dm : watchedModules())
        for (const Table* table : dm->tables())
            if (editing(*table))
                m_editing.push_back(table);
}

void OperationGuard::failed(std::exception_ptr error) noexcept
{
    cancelStartedEdits(m_editing);
    try {
        bool silent = false;
        try {
            std::rethrow_exception(error);
        } catch (const AbortOperation&) {
            silent = true;  // the hook has told the user why
        } catch (...) {
        }
        if (silent)
            return;
        common::Message message;
        message.kind = common::MessageKind::Error;
        message.text = ErrorDisplayText(error);
        if (g_boxesOpen > 0) {
            common::logMessage(message);
            return;
        }
        ++g_boxesOpen;
        try {
            common::showError(message.text);
        } catch (...) {
            // A box that cannot be shown must not end the program either.
        }
        --g_boxesOpen;
    } catch (...) {
        // Not even the text could be made (out of memory): carry on.
    }
}

bool RunWithErrorDisplay(const std::function<void()>& operation)
{
    OperationGuard guard;
    try {
        operation();
        return true;
    } catch (...) {
        guard.failed(std::current_exception());
        return false;
    }
}

QString EngineErrorText(const EngineError& error)
{
    QStringList lines;
    for (const QString& entry : error.errorStack().mid(0, 10)) {
        if (entry.isEmpty())
            break;
        lines << entry;
    }
    return lines.join(QLatin1Char('\r'));
}

QString ErrorDisplayText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const EngineError& e) {
        return EngineErrorText(e);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("There is not enough memory to complete this operation.");
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        return text.isEmpty() ? QStringLiteral("An unexpected error occurred.") : text;
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

void WatchDataModule(TProgramDataForm* dataModule)
{
    std::vector<TProgramDataForm*>& modules = watchedModules();
    if (std::find(modules.begin(), modules.end(), dataModule) == modules.end())
        modules.push_back(dataModule);
}

void UnwatchDataModule(TProgramDataForm* dataModule)
{
    std::vector<TProgramDataForm*>& modules = watchedModules();
    modules.erase(std::remove(modules.begin(), modules.end(), dataModule), modules.end());
}

}  // namespace kv::data
