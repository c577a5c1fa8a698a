#pragma once

#include "common/ModalWindows.h"

class QDialog;

namespace kv::common {

// Opens a modal window and returns its result. Every modal window of the
// program opens here, so that an installed ModalHandler can decide the
// result without showing the window; the dialog's result() is set to it.
// An error that escapes the window goes to the default error display
// (data/ErrorDisplay.h) and the result is QDialog::Rejected.
int showModal(QDialog& dialog);

}  // namespace kv::common
