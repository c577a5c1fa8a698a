#include "data/SchemaUpdates.h"

#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/StatusNotice.h"

#include <optional>

namespace kv::data {

namespace {

std::function<void()>& eventPump()
{
    static std::function<void()> pump;
    return pump;
}

struct UpdateStatement {
    QString level;
    QVariant statement;
};

// Read inside the level's write transaction: the catalogue's level as it
// is now, after any program that started at the same time updated it.
bool levelStillPending(TProgramDataForm& dm, const QString& level)
{
    Query& q = dm.SettingsQuery;
    q.close();
    q.clearSql();
    q.addLine(QStringLiteral("Select ProductID From \"Settings.db\""));
    q.open();
    const bool pending = !q.isEmpty() && !q.isNull(QStringLiteral("ProductID"))
                      && readText(q, QStringLiteral("ProductID")) < level;
    q.close();
    return pending;
}

}  // namespace

void setSchemaUpdateEventPump(std::function<void()> pump) { eventPump() = std::move(pump); }

void RunSchemaUpdates(TProgramDataForm& dm)
{
    Table& settings = dm.SettingsTable;
    if (settings.isEmpty() || settings.isNull(QStringLiteral("ProductID")))
        return;
    const QString level = readText(settings, QStringLiteral("ProductID"));
    if (!(level < QString::fromLatin1(kProductLevel)))
        return;

    settings.close();
    // Settings opens again on every path, also when an update fails.
    struct Reopen {
        Table& t;
        ~Reopen()
        {
            try {
                t.open();
            } catch (const EngineError&) {
                // the update's own error is the one to report
            }
        }
    } reopen{settings};

    Query& select = dm.UpdateQuery;
    select.close();
    select.clearSql();
    select.addLine(QStringLiteral("Select * From \"Update.db\" Where ProductID > ") + localSqlText(level)
                   + QStringLiteral(" Order By ") + QStringLiteral("ProductID") + QStringLiteral(", ")
                   + QStringLiteral("Sequance"));
    select.prepare();
    select.open();
    std::vector<UpdateStatement> rows;
    for (select.first(); !select.eof(); select.next())
        rows.push_back({readText(select, QStringLiteral("ProductID")), select.fieldValue(QStringLiteral("QueryStatement"))});
    select.close();
    select.unprepare();
    if (rows.empty())
        return;

    StatusNotice notice(QStringLiteral("Please Wait Updating database!"));
    Database& db = *dm.KestrelviewDatabase();
    Query& run = dm.UpdateStatmentQuery;
    size_t i = 0;
    while (i < rows.size()) {
        const QString rowLevel = rows[i].level;
        try {
            WriteTransaction levelTransaction(db);
            if (!levelStillPending(dm, rowLevel)) {
                // Another program applied it since the level was read.
                while (i < rows.size() && rows[i].level == rowLevel)
                    ++i;
                db.schemaChanged();
                continue;
            }
            for (; i < rows.size() && rows[i].level == rowLevel; ++i) {
                const QVariant& statement = rows[i].statement;
                if (!statement.isValid() || statement.isNull())
                    continue;
                if (eventPump())
                    eventPump()();
                run.close();
                run.clearSql();
                run.addLine(valueText(statement));
                try {
                    run.prepare();
                    run.execSQL();
                } catch (...) {
                    run.unprepare();
                    throw;
                }
                run.unprepare();
            }
            levelTransaction.commit();
        } catch (const EngineError& e) {
            db.schemaChanged();  // columns added by the undone level are gone again
            QStringList stack = e.errorStack();
            stack << QStringLiteral("Schema update level %1 was not applied.").arg(rowLevel);
            throw EngineError(stack);
        }
        db.schemaChanged();
    }
}

}  // namespace kv::data
