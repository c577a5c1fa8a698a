#include "common/ControlLocking.h"

#include "common/DataControls.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace kv::common {

namespace {

void paintBackground(QWidget* control, bool locked, bool buttonRoleToo)
{
    QPalette palette = control->palette();
    const QColor colour = locked ? lockedControlColour() : editableControlColour();
    palette.setColor(QPalette::Base, colour);
    if (buttonRoleToo)
        palette.setColor(QPalette::Button, colour);
    control->setPalette(palette);
}

// Black text in every colour group, so that a disabled combo box stays readable.
void blackText(QWidget* control)
{
    QPalette palette = control->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(role, Qt::black);
    control->setPalette(palette);
}

void lock(QWidget* control, bool locked)
{
    if (!control)
        return;
    if (auto* lookup = qobject_cast<DBLookupComboBox*>(control)) {
        lookup->setReadOnly(locked);
        blackText(lookup);
        paintBackground(lookup, locked, true);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEnabled(!locked);
        blackText(combo);
        paintBackground(combo, locked, true);
    } else if (auto* radios = qobject_cast<DBRadioGroup*>(control)) {
        radios->setReadOnly(locked);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setEnabled(!locked);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setReadOnly(locked);
        paintBackground(edit, locked, false);
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control)) {
        spin->setReadOnly(locked);
        paintBackground(spin, locked, false);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        memo->setReadOnly(locked);
        paintBackground(memo, locked, false);
    } else if (auto* text = qobject_cast<QTextEdit*>(control)) {
        text->setReadOnly(locked);
        paintBackground(text, locked, false);
    } else {
        control->setEnabled(!locked);
    }
}

}  // namespace

QColor lockedControlColour() { return QApplication::palette().color(QPalette::Active, QPalette::Button); }

QColor editableControlColour() { return Qt::white; }

void SetEditReadOnly(QWidget* control, bool locked) { lock(control, locked); }

void SetControlEnabled(QWidget* control, bool locked) { lock(control, locked); }

}  // namespace kv::common
