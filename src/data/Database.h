#pragma once

#include "data/CatalogueFiles.h"
#include "data/CatalogueSchema.h"
#include "data/EngineError.h"
#include "data/localsql/LocalSqlAdapter.h"

#include <QHash>
#include <QSet>
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
    size_t m_commitActionMark = 0;  // actions queued before this block began
};

// Collects the names of the tables that statements prepared while it lives
// write to (INSERT, UPDATE, DELETE, also from triggers), whether or not
// their work is kept: what a failed piece of work may have touched.
class WrittenTables {
public:
    explicit WrittenTables(Database& db);
    ~WrittenTables();
    WrittenTables(const WrittenTables&) = delete;
    WrittenTables& operator=(const WrittenTables&) = delete;
    bool contains(const QString& table) const { return m_names.contains(table.toUpper()); }

private:
    friend class Database;
    Database& m_db;
    QSet<QString> m_names;  // upper-cased
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
    // On a network file system the catalogue keeps a rollback journal; one
    // in a write-ahead log is changed to it, or refused while another
    // program has it open. A read-only catalogue in a directory that cannot
    // be written is opened without touching its files.
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

    // Runs the action once the open transaction commits (at once when none
    // is open); forgets it when the transaction, or the savepoint it was
    // queued in, is rolled back. For copies in memory of what was written.
    void afterCommit(std::function<void()> action);

    // Milliseconds to go on retrying while another program holds the lock.
    void setLockWaitMs(int ms) { m_lockWaitMs = ms; }
    int lockWaitMs() const { return m_lockWaitMs; }

    // Asked before the first table is opened for exclusive use: takes the
    // catalogue for this program alone, or returns why it cannot (another
    // program has it open).
    std::function<QString()> exclusiveUseRefusal;
    // Called when the last table opened for exclusive use has closed.
    std::function<void()> exclusiveUseEnded;

    // For tables opened exclusively: empty text when this program now has
    // the catalogue to itself, else why not. Each success is ended once.
    QString beginExclusiveUse();
    void endExclusiveUse();

private:
    Database(sqlite3* db, QString directory, bool readOnly);
    void configure(JournalPlan journal, bool networkFileSystem);
    void leaveWriteAheadLog();
    void markSharedOverNetwork(const CatalogueFileState& state);
    void loadColumnTypes() const;
    TranslatedSql translate(const QString& localSql);

    friend class WriteTransaction;
    friend class WrittenTables;
    static int authorize(void* self, int action, const char* a, const char* b, const char* c, const char* d);

    sqlite3* m_db = nullptr;
    QString m_directory;
    bool m_readOnly = false;
    int m_transactionDepth = 0;
    int m_savepointCounter = 0;
    int m_lockWaitMs = 60000;
    std::vector<std::function<void()>> m_commitActions;
    std::vector<WrittenTables*> m_writeRecorders;
    int m_exclusiveTables = 0;
    QHash<QString, std::vector<FieldDef>> m_tableFields;
    mutable QHash<QString, FieldType> m_columnTypes;  // upper-cased name -> type
    std::map<QString, std::unique_ptr<Statement>> m_prepared;  // Local SQL -> statement
};

}  // namespace kv::data
