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
    qint32 mediaTypeId = -1;  // of a picked storage location
};

// Detail tables list all their rows while their editor is open: the
// sub-categories let go of their category link, the storage locations of
// their media type link, for the life of the scope.
class ListAllRowsScope {
public:
    ListAllRowsScope(data::TProgramDataForm& dm, EditorKind kind);
    ~ListAllRowsScope();
    ListAllRowsScope(const ListAllRowsScope&) = delete;
    ListAllRowsScope& operator=(const ListAllRowsScope&) = delete;

private:
    data::Table* m_detached = nullptr;
};

// Shows an editor modally for choosing a row and returns what it left.
// A sub-category or storage location pick lists every row (ListAllRowsScope).
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
