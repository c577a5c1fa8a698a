#pragma once

#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/localsql/LocalSqlAdapter.h"

#include <QStringList>

namespace kv::test {

// Every row of every table (the numbering table included) as text, table
// by table, rows in stored order: equal dumps mean equal contents.
inline QStringList dumpCatalogue(data::Database& db)
{
    QStringList tables;
    {
        data::Statement names(db, QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name"));
        while (names.step())
            tables << names.column(0).toString();
    }
    QStringList lines;
    for (const QString& table : tables) {
        data::Statement rows(db, QStringLiteral("SELECT * FROM %1").arg(data::sqliteIdentifier(table)));
        while (rows.step()) {
            QStringList values{table};
            for (int c = 0; c < rows.columnCount(); ++c)
                values << (rows.column(c).isNull() ? QStringLiteral("<null>") : data::valueText(rows.column(c)));
            lines << values.join(QLatin1Char('|'));
        }
    }
    return lines;
}

inline qint64 countRows(data::Database& db, const QString& sql)
{
    data::Statement st(db, sql);
    st.step();
    const qint64 n = st.column(0).toLongLong();
    st.reset();
    return n;
}

}  // namespace kv::test
