#pragma once

#include <QString>
#include <QStringList>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::reference {

struct EditorFamily;
class TransferProgress;

// The editor of a reference table by its table file ("Place.db", any
// letter case), or nullptr.
const EditorFamily* editorFamilyForTable(const QString& tableFile);
// The table files of the reference editors, in the editors' order.
QStringList referenceEditorTables();

// The export of an editor's rows once its Export window has closed with OK:
// the chosen specs (of the editor's export specs) over every row, on the
// editor's export query, written by ExportDataSetToFile. Without rows it
// shows "Error: No Records Found To Export!" and writes nothing. Returns
// the number of rows written, or -1 when nothing was written.
int ExportReferenceRows(data::TProgramDataForm& dm, const EditorFamily& family, const QStringList& chosenSpecs,
                        const QString& layout, const QString& dateFormat, bool header, const QString& fileName,
                        TransferProgress* progress = nullptr);

// The editor's offered import fields placed on the file's columns in
// their order: the first offered field on column 1, the next on column 2,
// as the Import window hands them back (for ImportFileIntoTable).
QStringList ImportFieldsInOfferedOrder(const EditorFamily& family);

}  // namespace kv::reference
