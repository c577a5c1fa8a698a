#pragma once

#include "reference/editors/EditorFamily.h"

#include <QString>

#include <optional>

class QWidget;

namespace kv::common {
class DBLookupComboBox;
}

namespace kv::reference {

struct PickResult {
    qint32 id = -1;
    QString description;
    qint32 categoryId = -1;
};

// Shows an editor modally for choosing a row and returns what it left.
// A sub-category pick lists every sub-category (the link to the category is
// let go while the editor is open).
PickResult RunPickEditor(data::TProgramDataForm& dm, EditorKind kind, QWidget* owner = nullptr);

// The pick protocol for a field of a table row: reads the field, shows the
// editor, and when the caller may change the field and a different row was
// picked, asks the question ("%s%" = the picked description) and on Yes
// puts the row into edit state and sets the field. Returns the picked row
// when it was set.
std::optional<PickResult> PickIntoField(data::TProgramDataForm& dm, EditorKind kind, data::Table& table,
                                        const QString& field, bool mayChange, const QString& question,
                                        QWidget* owner = nullptr);

// The same for a lookup box: on Yes the box shows the picked key.
std::optional<PickResult> PickIntoLookup(data::TProgramDataForm& dm, EditorKind kind,
                                         common::DBLookupComboBox& box, bool mayChange, const QString& question,
                                         QWidget* owner = nullptr);

// Steps 4 and 5 for any pick result: whether the caller sets the value.
bool ConfirmPick(const PickResult& picked, qint64 currentValue, bool mayChange, const QString& question);

}  // namespace kv::reference
