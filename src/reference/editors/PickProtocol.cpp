#include "reference/editors/PickProtocol.h"

#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/TextHelpers.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "reference/editors/ReferenceEditor.h"

namespace kv::reference {

ListAllRowsScope::ListAllRowsScope(data::TProgramDataForm& dm, EditorKind kind)
{
    data::Table* detail = kind == EditorKind::SubCategory       ? &dm.SubCategoryTable
                          : kind == EditorKind::StorageLocation ? &dm.StorageLocationTable
                                                                : nullptr;
    if (detail && detail->masterAttached()) {
        detail->detachMaster();
        m_detached = detail;
    }
}

ListAllRowsScope::~ListAllRowsScope()
{
    if (m_detached)
        m_detached->attachMaster();
}

PickResult RunPickEditor(data::TProgramDataForm& dm, EditorKind kind, QWidget* owner)
{
    const ListAllRowsScope allRows(dm, kind);
    std::unique_ptr<TReferenceEditor> editor = createEditor(kind, dm, owner);
    if (!editor)
        return {};
    common::showModal(*editor);
    // A window that was never closed (a scripted run) still goes through
    // its close step and leaves its pick.
    if (!editor->closed())
        editor->reject();
    return {editor->PickedID, editor->PickedDescription, editor->PickedCategoryID, editor->PickedMediaTypeID};
}

bool ConfirmPick(const PickResult& picked, qint64 currentValue, bool mayChange, const QString& question)
{
    if (!mayChange || picked.id == -1 || picked.id == currentValue)
        return false;
    return common::askQuestion(common::FormatMessage(question, picked.description));
}

std::optional<PickResult> PickIntoField(data::TProgramDataForm& dm, EditorKind kind, data::Table& table,
                                        const QString& field, bool mayChange, const QString& question, QWidget* owner)
{
    const qint64 current = data::readInteger(table, field);
    const PickResult picked = RunPickEditor(dm, kind, owner);
    if (!ConfirmPick(picked, current, mayChange, question))
        return std::nullopt;
    if (!table.edit())
        return std::nullopt;
    table.setFieldValue(field, picked.id);
    return picked;
}

std::optional<PickResult> PickIntoLookup(data::TProgramDataForm& dm, EditorKind kind, common::DBLookupComboBox& box,
                                         bool mayChange, const QString& question, QWidget* owner)
{
    const qint64 current = data::valueInteger(box.keyValue(), -1);
    const PickResult picked = RunPickEditor(dm, kind, owner);
    if (!ConfirmPick(picked, current, mayChange, question))
        return std::nullopt;
    box.setKeyValue(picked.id);
    return picked;
}

}  // namespace kv::reference
