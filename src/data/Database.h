#pragma once

#include "data/CatalogueSchema.h"
#include "data/EngineError.h"
#include "data/localsql/LocalSqlAdapter.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace kv::data {

class Database;

// One prepared SQLite statement. Values are bound and read as QVariant.
class Statement {
public:
    Statement(Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);  // 1-based
    // Steps once; true when a row is ready. Waits and retries while another
    // program holds the catalogue locked.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclaredType(int column) const;
    QVariant column(int column) const;
    const QString& sql() const { return m_sql; }
    bool readOnly() const;
    int parameterCount() const;  // the "?" marks to be bound

private:
    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    bool m_started = false;  // stepped since the last reset
};

// Runs a block of writes as one transaction. Nested blocks become
// savepoints of the outer transaction. Without commit() the work is undone.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_outer = false;
    bool m_done = false;
    QString m_savepoint;
};

struct LocalSqlResult {
    std::unique_ptr<Statement> rows;  // set for a SELECT, positioned before its first row
    qint64 rowsChanged = 0;
};

// The connection to one catalogue file (catalogue.sqlite in the catalogue
// directory). Several programs may have the same catalogue open at once.
class Database : public SqlSchemaInfo {
public:
    static constexpr const char* kFileName = "catalogue.sqlite";

    // The catalogue file inside a directory.
    static QString catalogueFile(const QString& directory);
    static bool catalogueExists(const QString& directory);

    // Opens the catalogue in the directory. Throws EngineError with a clear
    // message when there is none, when the file is no catalogue or damaged,
    // or when it cannot be written although it is opened for writing.
    // lockWaitMs: how long to wait while another program holds the catalogue
    // locked, here and for later statements.
    static std::unique_ptr<Database> open(const QString& directory, bool readOnly, int lockWaitMs = 60000);

    // Makes a new catalogue in the directory (created when missing) with the
    // schema and the initial contents. Refuses to replace an existing one.
    static void create(const QString& directory);

    ~Database() override;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool readOnly() const { return m_readOnly; }
    QString directory() const { return m_directory; }
    sqlite3* handle() const { return m_db; }

    // Runs SQLite text that needs no result (pragmas, DDL of our own).
    void exec(const QString& sql);

    // Runs one Local SQL statement through the adapter. A SELECT returns
    // its statement, ready to step; other statements run in one transaction.
    // A statement with "?" marks is refused: nothing would be bound to them.
    LocalSqlResult runLocalSql(const QString& localSql);

    // Prepares Local SQL without running it (syntax and names checked).
    void checkLocalSql(const QString& localSql);

    // A Local SQL SELECT whose "?" marks take values bound when it runs,
    // translated and prepared once for this connection and kept for reuse
    // (until the schema changes). Returned reset, without bindings.
    Statement& preparedLocalSql(const QString& localSql);

    // Fields of a table as the catalogue holds them now (schema updates may
    // have added some), in column order.
    const std::vector<FieldDef>& tableFields(const QString& table);

    // SqlSchemaInfo
    std::optional<QString> tableForFileName(const QString& fileName) const override;
    std::optional<FieldType> columnType(const QString& column) const override;

    // Forget what was read of the schema (after a schema change).
    void schemaChanged();

    // Error stack of the connection's last failure, with context.
    [[noreturn]] void fail(int code, const QString& context) const;

    int transactionDepth() const { return m_transactionDepth; }

    // Milliseconds to go on retrying while another program holds the lock.
    void setLockWaitMs(int ms) { m_lockWaitMs = ms; }
    int lockWaitMs() const { return m_lockWaitMs; }

    // Asked before a table is opened for exclusive use: returns why it
    // cannot be (another program has the catalogue open), or empty text.
    std::function<QString()> exclusiveUseRefusal;

private:
    Database(sqlite3* db, QString directory, bool readOnly);
    void configure();
    void loadColumnTypes() const;
    TranslatedSql translate(const QString& localSql);

    friend class WriteTransaction;

    sqlite3* m_db = nullptr;
    QString m_directory;
    bool m_readOnly = false;
    int m_transactionDepth = 0;
    int m_savepointCounter = 0;
    int m_lockWaitMs = 60000;
    QHash<QString, std::vector<FieldDef>> m_tableFields;
    mutable QHash<QString, FieldType> m_columnTypes;  // upper-cased name -> type
    std::map<QString, std::unique_ptr<Statement>> m_prepared;  // Local SQL -> statement
};

}  // namespace kv::data
