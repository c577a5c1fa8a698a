#pragma once

#include "data/DataSet.h"

#include <QHash>

#include <vector>

namespace kv::data {

class Database;
class Statement;

// A scratch query: SQL lines in the Local SQL dialect, prepared, opened
// (rows read into memory, so that no read lock is held) or executed.
class Query : public DataSet {
    Q_OBJECT
public:
    explicit Query(Database* db = nullptr, QObject* parent = nullptr);

    void setDatabase(Database* db) { m_db = db; }
    Database* database() const { return m_db; }

    QStringList& sql() { return m_sql; }
    const QStringList& sql() const { return m_sql; }
    void clearSql();
    void addLine(const QString& line);
    // The statement's lines in place of the old ones (the query closed first).
    void setLines(const QStringList& lines);
    // setLines, prepare and open (a SELECT) or execute (any other statement).
    void openLines(const QStringList& lines);
    void execLines(const QStringList& lines);
    QString text() const { return m_sql.join(QLatin1Char('\n')); }

    // Checks the statement (names, syntax) without running it.
    void prepare();
    void unprepare() { m_prepared = false; }
    bool prepared() const { return m_prepared; }

    void open() override;   // runs a SELECT and reads its rows
    // Runs a SELECT whose "?" marks take the parameters in order, prepared
    // once per connection (Database::preparedLocalSql), and reads its rows.
    void openWith(const QVariantList& parameters);
    void execSQL();         // runs any other statement in one transaction
    qint64 rowsAffected() const { return m_rowsAffected; }
    void close() override;

    void first() override;
    void next() override;
    void prior() override;
    void last() override;
    bool isEmpty() const override { return m_rows.empty(); }
    int recordCount() const { return static_cast<int>(m_rows.size()); }
    int recNo() const { return m_pos; }  // 0-based; -1 when empty

    QStringList fieldNames() const override;
    bool hasField(const QString& name) const override;
    FieldType fieldType(const QString& name) const override;
    QVariant fieldValue(const QString& name) const override;
    QVariant value(int column) const;

private:
    void readRows(Statement& st);
    int columnIndex(const QString& name) const;

    Database* m_db = nullptr;
    QStringList m_sql;
    bool m_prepared = false;
    qint64 m_rowsAffected = 0;
    QStringList m_columns;
    std::vector<FieldType> m_types;
    QHash<QString, int> m_index;  // upper-cased name -> first column of that name
    std::vector<std::vector<QVariant>> m_rows;
    int m_pos = -1;
};

// Closes and unprepares the query when the operation ends, also after an
// engine error, so no rows are held and the next user starts clean.
class QueryScope {
public:
    explicit QueryScope(Query& query)
        : m_query(query)
    {
    }
    ~QueryScope()
    {
        m_query.close();
        m_query.unprepare();
    }
    QueryScope(const QueryScope&) = delete;
    QueryScope& operator=(const QueryScope&) = delete;

private:
    Query& m_query;
};

}  // namespace kv::data
