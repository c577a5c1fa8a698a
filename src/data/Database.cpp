#include "data/Database.h"

#include "data/FieldValue.h"
#include "data/TextWidthChecks.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace kv::data {

namespace {

// Run without values, a "?" would quietly stand for Null.
void refuseUnboundValues(const Statement& st, const QString& localSql)
{
    if (st.parameterCount() > 0)
        throw EngineError(
            QStringList{QStringLiteral("Cannot read SQL statement: a value marked \"?\" is not given in: %1").arg(localSql)});
}

bool isBusy(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Upper() and Lower() that know every alphabet, not only ASCII.
void unicodeCase(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool upper)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    // Plain ASCII, the usual case, is changed byte by byte.
    bool ascii = true;
    for (int i = 0; i < bytes && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii) {
        std::string out(text, static_cast<size_t>(bytes));
        for (char& c : out)
            c = upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c)))
                      : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        sqlite3_result_text(ctx, out.data(), bytes, SQLITE_TRANSIENT);
        return;
    }
    const QString s = QString::fromUtf8(text, bytes);
    const QByteArray out = (upper ? s.toUpper() : s.toLower()).toUtf8();
    sqlite3_result_text(ctx, out.constData(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void unicodeUpper(sqlite3_context* ctx, int argc, sqlite3_value** argv) { unicodeCase(ctx, argc, argv, true); }
void unicodeLower(sqlite3_context* ctx, int argc, sqlite3_value** argv) { unicodeCase(ctx, argc, argv, false); }

// Retries an operation while another program holds the catalogue locked.
template <typename Op>
int retryWhileBusy(Database& db, Op op)
{
    QDeadlineTimer deadline(db.lockWaitMs());
    int rc = op();
    while (isBusy(rc) && !deadline.hasExpired()) {
        QThread::msleep(20);
        rc = op();
    }
    return rc;
}

}  // namespace

// ---------------------------------------------------------------- Statement

Statement::Statement(Database& db, const QString& sql)
    : m_db(db)
    , m_sql(sql)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc = retryWhileBusy(db, [&] {
        return sqlite3_prepare_v2(db.handle(), utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, nullptr);
    });
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        db.fail(rc, sql);
    }
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

void Statement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        default: {
            const QByteArray text = valueText(value).toUtf8();
            rc = sqlite3_bind_text(m_stmt, index, text.constData(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        }
        }
    }
    if (rc != SQLITE_OK)
        m_db.fail(rc, m_sql);
}

bool Statement::step()
{
    // A lock met on the first step is waited out and the statement run
    // again; part way through a result it would restart the rows, so it is
    // reported instead.
    int rc = SQLITE_OK;
    if (!m_started) {
        rc = retryWhileBusy(m_db, [&] {
            const int r = sqlite3_step(m_stmt);
            if (isBusy(r))
                sqlite3_reset(m_stmt);
            return r;
        });
        m_started = true;
    } else {
        rc = sqlite3_step(m_stmt);
    }
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_db.fail(rc, m_sql);
}

void Statement::reset()
{
    m_started = false;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const { return sqlite3_column_count(m_stmt); }

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclaredType(int column) const
{
    const char* d = sqlite3_column_decltype(m_stmt, column);
    return d ? QString::fromUtf8(d) : QString();
}

QVariant Statement::column(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(m_stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
    }
    default:
        return {};
    }
}

bool Statement::readOnly() const { return sqlite3_stmt_readonly(m_stmt) != 0; }

int Statement::parameterCount() const { return sqlite3_bind_parameter_count(m_stmt); }

// --------------------------------------------------------- WriteTransaction

WriteTransaction::WriteTransaction(Database& db)
    : m_db(db)
{
    if (db.readOnly())
        throw EngineError(QStringList{QStringLiteral("The catalogue is open read-only; nothing can be changed.")});
    m_outer = db.m_transactionDepth == 0;
    m_commitActionMark = db.m_commitActions.size();
    if (m_outer) {
        const int rc = retryWhileBusy(db, [&] { return sqlite3_exec(db.handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); });
        if (rc != SQLITE_OK)
            db.fail(rc, QStringLiteral("BEGIN IMMEDIATE"));
    } else {
        m_savepoint = QStringLiteral("kv_sp%1").arg(++db.m_savepointCounter);
        db.exec(QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
    ++db.m_transactionDepth;
}

WriteTransaction::~WriteTransaction()
{
    if (m_done)
        return;
    --m_db.m_transactionDepth;
    m_db.m_commitActions.resize(m_commitActionMark);  // undone work leaves no copies behind
    if (m_outer) {
        sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        const QByteArray sp = m_savepoint.toUtf8();
        sqlite3_exec(m_db.handle(), ("ROLLBACK TO " + sp + "; RELEASE " + sp).constData(), nullptr, nullptr,
                     nullptr);
    }
}

void WriteTransaction::commit()
{
    if (m_outer) {
        const int rc = retryWhileBusy(m_db, [&] { return sqlite3_exec(m_db.handle(), "COMMIT", nullptr, nullptr, nullptr); });
        if (rc != SQLITE_OK)
            m_db.fail(rc, QStringLiteral("COMMIT"));
    } else {
        m_db.exec(QStringLiteral("RELEASE ") + m_savepoint);
    }
    --m_db.m_transactionDepth;
    m_done = true;
    if (m_outer) {
        std::vector<std::function<void()>> actions;
        actions.swap(m_db.m_commitActions);
        for (const auto& action : actions)
            action();
    }
}

// ------------------------------------------------------------ WrittenTables

WrittenTables::WrittenTables(Database& db)
    : m_db(db)
{
    if (db.m_writeRecorders.empty())
        sqlite3_set_authorizer(db.handle(), &Database::authorize, &db);
    db.m_writeRecorders.push_back(this);
}

WrittenTables::~WrittenTables()
{
    std::erase(m_db.m_writeRecorders, this);
    if (m_db.m_writeRecorders.empty())
        sqlite3_set_authorizer(m_db.handle(), nullptr, nullptr);
}

// Told about every part of a statement as it is prepared; notes the tables
// it writes and allows everything.
int Database::authorize(void* self, int action, const char* a, const char*, const char*, const char*)
{
    if ((action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) && a) {
        const QString table = QString::fromUtf8(a).toUpper();
        for (WrittenTables* recorder : static_cast<Database*>(self)->m_writeRecorders)
            recorder->m_names.insert(table);
    }
    return SQLITE_OK;
}

void Database::afterCommit(std::function<void()> action)
{
    if (m_transactionDepth == 0)
        action();
    else
        m_commitActions.push_back(std::move(action));
}

// ----------------------------------------------------------------- Database

QString Database::catalogueFile(const QString& directory)
{
    return QDir(directory).filePath(QString::fromLatin1(kFileName));
}

bool Database::catalogueExists(const QString& directory)
{
    return QFileInfo(catalogueFile(directory)).isFile();
}

Database::Database(sqlite3* db, QString directory, bool readOnly)
    : m_db(db)
    , m_directory(std::move(directory))
    , m_readOnly(readOnly)
{
}

Database::~Database()
{
    // Keep the planner's statistics fresh for the searches of the next run.
    if (!m_readOnly)
        sqlite3_exec(m_db, "PRAGMA analysis_limit = 400; PRAGMA optimize;", nullptr, nullptr, nullptr);
    m_prepared.clear();
    sqlite3_close_v2(m_db);
}

std::unique_ptr<Database> Database::open(const QString& directory, bool readOnly, int lockWaitMs)
{
    const QFileInfo dir(directory);
    if (!dir.exists())
        throw EngineError(QStringList{QStringLiteral("Catalogue directory not found: %1").arg(directory)});
    if (!dir.isDir())
        throw EngineError(QStringList{QStringLiteral("Not a directory: %1").arg(directory)});
    const QString file = catalogueFile(directory);
    if (!QFileInfo(file).isFile())
        throw EngineError(QStringList{QStringLiteral("No catalogue found in directory %1").arg(directory),
                                      QStringLiteral("The catalogue file %1 does not exist.").arg(file)});

    const CatalogueFileState state = inspectCatalogueFiles(directory, file);
    const OpenPlan plan = planCatalogueOpen(state, readOnly, file);
    if (!plan.refusal.isEmpty())
        throw EngineError(plan.refusal);

    sqlite3* handle = nullptr;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    QByteArray name = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toEncoded();
    if (!plan.uriQuery.isEmpty())
        name += '?' + plan.uriQuery.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(handle);
        throw EngineError(QStringList{QStringLiteral("Cannot open the catalogue %1").arg(file), msg});
    }
    std::unique_ptr<Database> db(new Database(handle, QDir(directory).absolutePath(), readOnly));
    db->setLockWaitMs(lockWaitMs);
    if (!readOnly && sqlite3_db_readonly(handle, "main") == 1)
        throw EngineError(QStringList{
            QStringLiteral("The catalogue file %1 is read-only.").arg(file),
            QStringLiteral("Make it writable, or open the catalogue read-only (DatabaseReadOnly=Yes).")});
    try {
        db->configure(plan.journal, state.networkFileSystem);
        Statement probe(*db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                            "name IN ('Settings', 'PictureInfo', 'User', 'Security')"));
        probe.step();
        const int tables = probe.column(0).toInt();
        probe.reset();  // a statement left on its row keeps other programs from committing
        if (tables != 4)
            throw EngineError(QStringList{QStringLiteral("The file %1 is not a Kestrelview catalogue.").arg(file),
                                          QStringLiteral("Its tables are missing.")});
        if (!readOnly)
            ensureTextWidthChecks(*db);  // catalogues made before the checks get them
        if (plan.journal == JournalPlan::Rollback || plan.journal == JournalPlan::RollbackFromLog)
            db->markSharedOverNetwork(state);
    } catch (const EngineError& e) {
        QStringList stack = e.errorStack();
        if (!stack.isEmpty() && !stack.first().startsWith(QStringLiteral("The file")))
            stack.prepend(QStringLiteral("Cannot open the catalogue %1").arg(file));
        throw EngineError(stack);
    }
    return db;
}

void Database::configure(JournalPlan journal, bool networkFileSystem)
{
    sqlite3_extended_result_codes(m_db, 1);
    // Double quotes name things only; every text value reaches SQLite in
    // single quotes, so a stray double-quoted value is an error, not a string.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Locks are waited for in retryWhileBusy, in small steps.
    sqlite3_busy_timeout(m_db, 250);
    sqlite3_create_function_v2(m_db, "upper", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, unicodeUpper,
                               nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, unicodeLower,
                               nullptr, nullptr, nullptr);
    exec(QStringLiteral("PRAGMA case_sensitive_like = ON"));
    exec(QStringLiteral("PRAGMA cache_size = -32768"));
    // Browsing a large table in description order reads its rows out of key
    // order: keep the pages mapped and cached instead of reading them again.
    // Not over a network, where another machine may change them.
    if (!networkFileSystem)
        exec(QStringLiteral("PRAGMA mmap_size = 268435456"));
    switch (journal) {
    case JournalPlan::Keep:
        break;
    case JournalPlan::WriteAheadLog: {
        // Write-ahead logging: readers never wait for a writer and a post
        // costs no disk flush; several programs on one machine share it.
        Statement wal(*this, QStringLiteral("PRAGMA journal_mode = WAL"));
        wal.step();
        exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        break;
    }
    case JournalPlan::RollbackFromLog:
        leaveWriteAheadLog();
        [[fallthrough]];
    case JournalPlan::Rollback: {
        // Programs on several machines: a rollback journal and the file
        // locks of the file system; every commit flushed.
        Statement rollback(*this, QStringLiteral("PRAGMA journal_mode = DELETE"));
        rollback.step();
        exec(QStringLiteral("PRAGMA synchronous = FULL"));
        break;
    }
    }
}

void Database::leaveWriteAheadLog()
{
    // Without the -shm file, which does not work across machines: with
    // exclusive locking SQLite keeps the log's index in its own memory, and
    // the change succeeds only when no other program has the catalogue open
    // (each of them holds a shared lock on the file).
    exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    const int wait = m_lockWaitMs;
    m_lockWaitMs = std::min(wait, 3000);
    try {
        Statement change(*this, QStringLiteral("PRAGMA journal_mode = DELETE"));
        change.step();
    } catch (const EngineError& e) {
        m_lockWaitMs = wait;
        QStringList stack{QStringLiteral("The catalogue is open in another program in a mode that works only while "
                                         "every program runs on one machine, and it lies on a network drive."),
                          QStringLiteral("Close Kestrelview on the other workstations and start again: the catalogue "
                                         "then changes to a mode that works over the network.")};
        stack << e.errorStack();
        throw EngineError(stack);
    }
    m_lockWaitMs = wait;
    // Back to normal locking: the exclusive lock goes with the next read.
    exec(QStringLiteral("PRAGMA locking_mode = NORMAL"));
    Statement read(*this, QStringLiteral("SELECT count(*) FROM sqlite_master"));
    read.step();
}

void Database::markSharedOverNetwork(const CatalogueFileState& state)
{
    if (!state.sharedOverNetwork)
        exec(QStringLiteral("PRAGMA user_version = %1").arg(kSharedOverNetworkMark));
}

void Database::create(const QString& directory)
{
    QDir dir(directory);
    if (QFileInfo(directory).exists() && !QFileInfo(directory).isDir())
        throw EngineError(QStringList{QStringLiteral("Not a directory: %1").arg(directory)});
    if (!dir.exists() && !QDir().mkpath(directory))
        throw EngineError(QStringList{QStringLiteral("Cannot create the directory %1").arg(directory)});
    const QString file = catalogueFile(directory);
    if (QFileInfo::exists(file))
        throw EngineError(QStringList{QStringLiteral("A catalogue already exists in %1").arg(directory),
                                      QStringLiteral("It was left as it is.")});

    // Build the new catalogue under a temporary name and move it into place
    // only when complete, so that no half-made catalogue is ever left.
    const QString temp = file + QStringLiteral(".new");
    QFile::remove(temp);
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(temp).constData(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc));
        sqlite3_close_v2(handle);
        throw EngineError(QStringList{QStringLiteral("Cannot create the catalogue %1").arg(file), msg});
    }
    {
        std::unique_ptr<Database> db(new Database(handle, QDir(directory).absolutePath(), false));
        try {
            WriteTransaction tx(*db);
            for (const QString& ddl : catalogueCreateStatements())
                db->exec(ddl);
            db->exec(QStringLiteral("INSERT INTO \"Settings\" (\"ProductID\") VALUES ('%1')")
                         .arg(QString::fromLatin1(kProductLevel)));
            QStringList rightColumns, rightValues;
            for (const FieldDef& f : findTableDef(QStringLiteral("Security"))->fields) {
                if (f.type == FieldType::Logical) {
                    rightColumns << sqliteIdentifier(f.name);
                    rightValues << QStringLiteral("1");
                }
            }
            db->exec(QStringLiteral("INSERT INTO \"Security\" (\"SecurityID\", \"SecurityDescription\", %1) "
                                    "VALUES (1, 'Administrator', %2)")
                         .arg(rightColumns.join(QStringLiteral(", ")), rightValues.join(QStringLiteral(", "))));
            db->exec(QStringLiteral("INSERT INTO \"User\" (\"UserID\", \"LoginName\", \"UserName\", \"SecurityID\") "
                                    "VALUES (1, 'Supervisor', 'Supervisor', 1)"));
            tx.commit();
        } catch (...) {
            db.reset();
            QFile::remove(temp);
            throw;
        }
    }
    if (!QFile::rename(temp, file)) {
        QFile::remove(temp);
        throw EngineError(QStringList{QStringLiteral("Cannot create the catalogue %1").arg(file),
                                      QStringLiteral("Another program made one meanwhile, or the directory is not writable.")});
    }
}

void Database::exec(const QString& sql)
{
    const QByteArray utf8 = sql.toUtf8();
    char* err = nullptr;
    const int rc = retryWhileBusy(*this, [&] {
        sqlite3_free(err);
        err = nullptr;
        return sqlite3_exec(m_db, utf8.constData(), nullptr, nullptr, &err);
    });
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        fail(rc, sql);
}

void Database::fail(int code, const QString& context) const
{
    QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (message.isEmpty() || message == u"not an error")
        message = QString::fromUtf8(sqlite3_errstr(code));
    QStringList stack{message};
    const int primary = code & 0xff;
    if (primary == SQLITE_NOTADB)
        stack.prepend(QStringLiteral("The file is not a Kestrelview catalogue."));
    else if (primary == SQLITE_CORRUPT)
        stack.prepend(QStringLiteral("The catalogue is damaged."));
    else if (primary == SQLITE_READONLY)
        stack.prepend(QStringLiteral("The catalogue cannot be written."));
    else if (isBusy(code))
        stack.prepend(QStringLiteral("The catalogue stayed locked by another program."));
    if (!context.isEmpty())
        stack << QStringLiteral("Statement: %1").arg(context);
    throw EngineError(stack);
}

TranslatedSql Database::translate(const QString& localSql)
{
    try {
        return translateLocalSql(localSql, *this);
    } catch (const LocalSqlError& e) {
        throw EngineError(QStringList{QString::fromUtf8(e.what())});
    }
}

void Database::checkLocalSql(const QString& localSql)
{
    const TranslatedSql t = translate(localSql);
    if (!t.changesSchema)
        for (const QString& s : t.statements)
            Statement check(*this, s);
}

LocalSqlResult Database::runLocalSql(const QString& localSql)
{
    const TranslatedSql t = translate(localSql);
    LocalSqlResult result;
    if (t.returnsRows) {
        if (t.statements.size() != 1)
            throw EngineError(QStringList{QStringLiteral("Cannot read SQL statement: %1").arg(localSql)});
        try {
            result.rows = std::make_unique<Statement>(*this, t.statements.first());
            refuseUnboundValues(*result.rows, localSql);
        } catch (const EngineError& e) {
            QStringList stack = e.errorStack();
            stack << QStringLiteral("Local SQL: %1").arg(localSql);
            throw EngineError(stack);
        }
        return result;
    }
    WriteTransaction tx(*this);
    try {
        // A layout change takes the width checks along: they name columns
        // (which could not be dropped then) and must cover added ones.
        if (t.changesSchema)
            dropTextWidthChecks(*this);
        for (const QString& s : t.statements) {
            Statement st(*this, s);
            refuseUnboundValues(st, localSql);
            st.step();
            result.rowsChanged += sqlite3_changes64(m_db);
        }
        if (t.changesSchema) {
            schemaChanged();
            ensureTextWidthChecks(*this);
        }
    } catch (const EngineError& e) {
        if (t.changesSchema)
            schemaChanged();
        QStringList stack = e.errorStack();
        stack << QStringLiteral("Local SQL: %1").arg(localSql);
        throw EngineError(stack);
    }
    tx.commit();
    if (t.changesSchema) {
        result.rowsChanged = 0;
        schemaChanged();
    }
    return result;
}

const std::vector<FieldDef>& Database::tableFields(const QString& table)
{
    const QString key = table.toUpper();
    auto it = m_tableFields.find(key);
    if (it != m_tableFields.end())
        return *it;
    std::vector<FieldDef> fields;
    Statement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(sqliteIdentifier(table)));
    while (info.step()) {
        const QString name = info.column(1).toString();
        const FieldTypeInfo type = fieldTypeFromDeclared(info.column(2).toString(), info.column(5).toInt() == 1);
        fields.push_back({name, type.type, type.width});
    }
    if (fields.empty())
        throw EngineError(QStringList{QStringLiteral("Table does not exist: %1").arg(table)});
    return *m_tableFields.insert(key, std::move(fields));
}

std::optional<QString> Database::tableForFileName(const QString& fileName) const
{
    if (const TableDef* t = findTableDef(fileName))
        return t->name;
    return std::nullopt;
}

void Database::loadColumnTypes() const
{
    auto* self = const_cast<Database*>(this);
    for (const TableDef& t : catalogueSchema()) {
        try {
            for (const FieldDef& f : self->tableFields(t.name))
                m_columnTypes.insert(f.name.toUpper(), f.type);
        } catch (const EngineError&) {
            // a table missing from an old catalogue has no columns to offer
        }
    }
}

std::optional<FieldType> Database::columnType(const QString& column) const
{
    if (m_columnTypes.isEmpty())
        loadColumnTypes();
    auto it = m_columnTypes.constFind(column.toUpper());
    if (it == m_columnTypes.constEnd())
        return std::nullopt;
    return *it;
}

QString Database::beginExclusiveUse()
{
    if (m_exclusiveTables == 0 && exclusiveUseRefusal) {
        const QString refusal = exclusiveUseRefusal();
        if (!refusal.isEmpty())
            return refusal;
    }
    ++m_exclusiveTables;
    return {};
}

void Database::endExclusiveUse()
{
    if (m_exclusiveTables > 0 && --m_exclusiveTables == 0 && exclusiveUseEnded)
        exclusiveUseEnded();
}

void Database::schemaChanged()
{
    m_tableFields.clear();
    m_columnTypes.clear();
    m_prepared.clear();
}

Statement& Database::preparedLocalSql(const QString& localSql)
{
    auto found = m_prepared.find(localSql);
    if (found == m_prepared.end()) {
        const TranslatedSql t = translate(localSql);
        if (!t.returnsRows || t.statements.size() != 1)
            throw EngineError(QStringList{QStringLiteral("Only a single SELECT can be prepared for reuse."),
                                          QStringLiteral("Local SQL: %1").arg(localSql)});
        std::unique_ptr<Statement> statement;
        try {
            statement = std::make_unique<Statement>(*this, t.statements.first());
        } catch (const EngineError& e) {
            QStringList stack = e.errorStack();
            stack << QStringLiteral("Local SQL: %1").arg(localSql);
            throw EngineError(stack);
        }
        found = m_prepared.emplace(localSql, std::move(statement)).first;
    }
    found->second->reset();
    return *found->second;
}

}  // namespace kv::data
