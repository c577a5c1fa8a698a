#include "common/ShowModal.h"

#include "data/ErrorDisplay.h"

#include <QDialog>

namespace kv::common {

int showModal(QDialog& dialog)
{
    int result = QDialog::Rejected;
    // An error that leaves the window (or the handler standing in for the
    // user) is shown by the default error display; the window counts as
    // cancelled.
    const bool ended = data::RunWithErrorDisplay(
        [&dialog, &result] { result = runModal(dialog, [&dialog] { return dialog.exec(); }); });
    if (!ended && dialog.isVisible())
        dialog.hide();
    dialog.setResult(result);
    return result;
}

}  // namespace kv::common
