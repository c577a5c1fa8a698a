#include "ui/main/SearchCommand.h"

#include "common/MessageService.h"

namespace kv::ui {

bool runSearchCommand(const SearchCommand& command)
{
    if (!command.openSearch || !command.openSearch())
        return false;
    if (!command.runSearch || !command.runSearch()) {
        common::showError(QStringLiteral("Sorry, We did not find any data that matched your search Criteria!"));
        return false;
    }
    const bool ok = command.followUp && command.followUp();
    if (!ok && command.reportCancel)
        common::showInformation(QStringLiteral("Operation Canceled"));
    if (ok && command.afterOk)
        command.afterOk();
    return ok;
}

}  // namespace kv::ui
