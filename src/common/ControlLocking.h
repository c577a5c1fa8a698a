#pragma once

#include <QColor>

class QWidget;

namespace kv::common {

// Locks or unlocks an input control together with its colour. What locking
// means depends on the kind of control:
//   line edit (also with an input mask), spin box, DBEdit, DBMemo:
//       read-only and painted in the button-face colour / editable and white
//   DBLookupComboBox: read-only, text black, button-face colour / editable,
//       text black, white
//   combo box: disabled, text black, button-face colour / enabled, text
//       black, white
//   push button, DBCheckBox (any button): disabled / enabled
//   DBRadioGroup: read-only / editable, colours unchanged
// Other widgets are disabled / enabled. Both names act on any kind the same
// way; windows call SetEditReadOnly for the read-only kinds and
// SetControlEnabled for the others.
void SetEditReadOnly(QWidget* control, bool locked);
void SetControlEnabled(QWidget* control, bool locked);

// The system's button-face colour, used for locked controls.
QColor lockedControlColour();
QColor editableControlColour();

}  // namespace kv::common
