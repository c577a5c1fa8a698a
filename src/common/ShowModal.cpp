#include "common/ShowModal.h"

#include <QDialog>

namespace kv::common {

int showModal(QDialog& dialog)
{
    const int result = runModal(dialog, [&dialog] { return dialog.exec(); });
    dialog.setResult(result);
    return result;
}

}  // namespace kv::common
