#include "admin/TableInformation.h"

#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"

#include <cmath>

namespace kv::admin {

QHash<QString, qint64> TablePageBytes(data::Database& db)
{
    QHash<QString, qint64> bytes;
    try {
        // One row per b-tree with its pages summed (aggregate), joined to
        // the table the b-tree belongs to: the table itself or an index.
        data::Statement pages(db, QStringLiteral("SELECT m.tbl_name, sum(s.pgsize) FROM dbstat AS s "
                                                 "JOIN sqlite_schema AS m ON m.name = s.name "
                                                 "WHERE s.aggregate = 1 GROUP BY m.tbl_name"));
        while (pages.step())
            bytes.insert(pages.column(0).toString().toUpper(), pages.column(1).toLongLong());
    } catch (const data::EngineError&) {
        bytes.clear();  // no page statistics in this SQLite: sizes show 0
    }
    return bytes;
}

std::vector<InformationRow> CollectInformation(data::TProgramDataForm& dm)
{
    std::vector<InformationRow> rows;
    const QHash<QString, qint64> pages =
        dm.KestrelviewDatabase() ? TablePageBytes(*dm.KestrelviewDatabase()) : QHash<QString, qint64>();
    for (const data::CatalogueTable& t : dm.CatalogueTables())
        rows.push_back({t.caption, t.component->active() ? t.component->recordCount() : 0,
                        pages.value(t.component->tableName().toUpper(), 0)});
    const common::FileCount previews = pictures::CountPreviewFiles(data::SystemInfo().PreviewDir);
    rows.push_back({QStringLiteral("Previews"), previews.files, previews.bytes});
    return rows;
}

QString RecordsText(qint64 records, const QLocale& locale)
{
    QLocale grouped = locale;
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return grouped.toString(records);
}

QString KBytesText(qint64 bytes, const QLocale& locale)
{
    const qint64 thousands = static_cast<qint64>(std::llround(static_cast<double>(bytes) / 1000.0));
    return RecordsText(thousands, locale) + QStringLiteral(" K Bytes");
}

DetachedMasterLinks::DetachedMasterLinks(data::TProgramDataForm& dm)
{
    try {
        for (data::Table* t : dm.tables()) {
            if (!t->masterAttached())
                continue;
            m_detached.push_back(t);
            t->detachMaster();
        }
    } catch (...) {
        reattach();
        throw;
    }
}

DetachedMasterLinks::~DetachedMasterLinks() { reattach(); }

void DetachedMasterLinks::reattach()
{
    for (data::Table* t : m_detached) {
        try {
            t->attachMaster();
        } catch (const data::EngineError&) {
            // a table that cannot read its rows again shows the error when used
        }
    }
    m_detached.clear();
}

}  // namespace kv::admin
