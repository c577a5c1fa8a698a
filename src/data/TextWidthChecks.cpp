#include "data/TextWidthChecks.h"

#include "data/Database.h"

#include <map>

namespace kv::data {

namespace {

const QString kPrefix = QStringLiteral("kv_width_");

// The width triggers the catalogue holds now, by name.
std::map<QString, QString> storedTriggers(Database& db)
{
    std::map<QString, QString> out;
    Statement st(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'trigger' AND substr(name, 1, %1) = '%2'")
                         .arg(kPrefix.size())
                         .arg(kPrefix));
    while (st.step())
        out.emplace(st.column(0).toString(), st.column(1).toString());
    return out;
}

std::map<QString, QString> wantedTriggers(Database& db)
{
    std::map<QString, QString> out;
    for (const TableDef& t : catalogueSchema()) {
        const std::vector<FieldDef>* fields = nullptr;
        try {
            fields = &db.tableFields(t.name);
        } catch (const EngineError&) {
            continue;  // a table an old catalogue lacks
        }
        for (WidthTrigger& w : textWidthTriggers(t.name, *fields))
            out.emplace(std::move(w.name), std::move(w.sql));
    }
    return out;
}

}  // namespace

std::vector<WidthTrigger> textWidthTriggers(const QString& table, const std::vector<FieldDef>& fields)
{
    // An update is held to the width only in the fields it changes, so that
    // a row an older program stored with a longer text can still be edited.
    QStringList insertTests, updateTests, insertCases, updateCases, columns;
    for (const FieldDef& f : fields) {
        if (f.type != FieldType::Alpha || f.width <= 0)
            continue;
        const QString column = sqliteIdentifier(f.name);
        const QString tooLong = QStringLiteral("length(NEW.%1) > %2").arg(column).arg(f.width);
        const QString changedTooLong = QStringLiteral("(%1 AND NEW.%2 IS NOT OLD.%2)").arg(tooLong, column);
        const QString refusal = QStringLiteral("RAISE(ABORT, 'Text too long for field %1 of %2: it holds at most %3 characters.')")
                                    .arg(f.name, table)
                                    .arg(f.width);
        insertTests << tooLong;
        updateTests << changedTooLong;
        insertCases << QStringLiteral("WHEN %1 THEN %2").arg(tooLong, refusal);
        updateCases << QStringLiteral("WHEN %1 THEN %2").arg(changedTooLong, refusal);
        columns << column;
    }
    if (columns.isEmpty())
        return {};
    auto body = [](const QStringList& cases) {
        return QStringLiteral("BEGIN SELECT CASE %1 END; END").arg(cases.join(QLatin1Char(' ')));
    };
    const QString insertName = kPrefix + table + QStringLiteral("_insert");
    const QString updateName = kPrefix + table + QStringLiteral("_update");
    return {
        {insertName, QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2 WHEN %3 %4")
                         .arg(sqliteIdentifier(insertName), sqliteIdentifier(table), insertTests.join(QStringLiteral(" OR ")),
                              body(insertCases))},
        {updateName, QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE OF %2 ON %3 WHEN %4 %5")
                         .arg(sqliteIdentifier(updateName), columns.join(QStringLiteral(", ")), sqliteIdentifier(table),
                              updateTests.join(QStringLiteral(" OR ")), body(updateCases))},
    };
}

void ensureTextWidthChecks(Database& db)
{
    std::map<QString, QString> wanted = wantedTriggers(db);
    if (storedTriggers(db) == wanted)
        return;
    // Another program may be doing the same: look again under the lock.
    WriteTransaction tx(db);
    const std::map<QString, QString> stored = storedTriggers(db);
    for (const auto& [name, sql] : stored) {
        const auto it = wanted.find(name);
        if (it == wanted.end() || it->second != sql)
            db.exec(QStringLiteral("DROP TRIGGER %1").arg(sqliteIdentifier(name)));
    }
    for (const auto& [name, sql] : wanted) {
        const auto it = stored.find(name);
        if (it == stored.end() || it->second != sql)
            db.exec(sql);
    }
    tx.commit();
}

void dropTextWidthChecks(Database& db)
{
    for (const auto& entry : storedTriggers(db))
        db.exec(QStringLiteral("DROP TRIGGER %1").arg(sqliteIdentifier(entry.first)));
}

}  // namespace kv::data
