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
    QStringList tooLong, cases, columns;
    for (const FieldDef& f : fields) {
        if (f.type != FieldType::Alpha || f.width <= 0)
            continue;
        const QString test = QStringLiteral("length(NEW.%1) > %2").arg(sqliteIdentifier(f.name)).arg(f.width);
        tooLong << test;
        cases << QStringLiteral("WHEN %1 THEN RAISE(ABORT, 'Text too long for field %2 of %3: it holds at most %4 characters.')")
                     .arg(test, f.name, table)
                     .arg(f.width);
        columns << sqliteIdentifier(f.name);
    }
    if (tooLong.isEmpty())
        return {};
    const QString when = tooLong.join(QStringLiteral(" OR "));
    const QString body = QStringLiteral("BEGIN SELECT CASE %1 END; END").arg(cases.join(QLatin1Char(' ')));
    const QString insertName = kPrefix + table + QStringLiteral("_insert");
    const QString updateName = kPrefix + table + QStringLiteral("_update");
    return {
        {insertName, QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2 WHEN %3 %4")
                         .arg(sqliteIdentifier(insertName), sqliteIdentifier(table), when, body)},
        {updateName, QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE OF %2 ON %3 WHEN %4 %5")
                         .arg(sqliteIdentifier(updateName), columns.join(QStringLiteral(", ")), sqliteIdentifier(table),
                              when, body)},
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
