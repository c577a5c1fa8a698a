#include "reference/editors/ReferenceTransfer.h"

#include "common/MessageService.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "reference/ExportData.h"
#include "reference/FieldSpecs.h"
#include "reference/editors/EditorFamily.h"

namespace kv::reference {

namespace {

constexpr EditorKind kKinds[] = {EditorKind::Place,  EditorKind::Category,    EditorKind::SubCategory,
                                 EditorKind::Rating, EditorKind::PersonGroup, EditorKind::Album};

}  // namespace

const EditorFamily* editorFamilyForTable(const QString& tableFile)
{
    for (const EditorKind kind : kKinds) {
        const EditorFamily& family = editorFamily(kind);
        if (family.fileName.compare(tableFile, Qt::CaseInsensitive) == 0)
            return &family;
    }
    return nullptr;
}

QStringList referenceEditorTables()
{
    QStringList tables;
    for (const EditorKind kind : kKinds)
        tables << editorFamily(kind).fileName;
    return tables;
}

int ExportReferenceRows(data::TProgramDataForm& dm, const EditorFamily& family, const QStringList& chosenSpecs,
                        const QString& layout, const QString& dateFormat, bool header, const QString& fileName,
                        TransferProgress* progress)
{
    QStringList labels;
    for (const ExportFieldSpec& spec : parseExportSpecs(chosenSpecs))
        labels << spec.label;
    data::Query& query = family.exportQuery == u"PersonGroupQuery" ? dm.PersonGroupQuery : dm.PersonQuery;
    query.close();
    query.clearSql();
    query.addLine(QStringLiteral("Select ") + SelectListFor(labels, family.exportSpecs));
    for (const QString& line : family.exportFromLines)
        query.addLine(line);
    query.prepare();
    query.open();
    int written = -1;
    if (query.isEmpty())
        common::showError(QStringLiteral("Error: No Records Found To Export!"));
    else if (ExportDataSetToFile(query, layout, dateFormat, header, chosenSpecs, fileName, progress))
        written = query.recordCount();
    query.close();
    return written;
}

QStringList ImportFieldsInOfferedOrder(const EditorFamily& family)
{
    QStringList chosen;
    int column = 0;
    for (ImportFieldSpec spec : parseImportSpecs(family.importSpecs)) {
        spec.column = ++column;
        chosen << spec.chosenText();
    }
    return chosen;
}

}  // namespace kv::reference
