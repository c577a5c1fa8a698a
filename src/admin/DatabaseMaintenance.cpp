#include "admin/DatabaseMaintenance.h"

#include "common/TextHelpers.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

#include <sqlite3.h>

namespace kv::admin {

namespace {

void show(const StatusText& status, const QString& text)
{
    if (status)
        status(text);
}

// The catalogue for this program alone while it lives: the settings table
// opened for exclusive use, back to shared use on every way out (also when
// the user cancelled the retry question).
class ExclusiveCatalogue {
public:
    explicit ExclusiveCatalogue(data::TProgramDataForm& dm)
        : m_table(dm.SettingsTable)
    {
        try {
            dm.ReopenExclusive(m_table);
        } catch (...) {
            backToSharedQuietly();
            throw;
        }
    }
    ~ExclusiveCatalogue()
    {
        if (!m_released)
            backToSharedQuietly();
    }
    ExclusiveCatalogue(const ExclusiveCatalogue&) = delete;
    ExclusiveCatalogue& operator=(const ExclusiveCatalogue&) = delete;

    void release()
    {
        m_released = true;
        backToShared();
    }

private:
    void backToShared()
    {
        m_table.close();
        m_table.setExclusive(false);
        m_table.open();
    }
    void backToSharedQuietly()
    {
        try {
            backToShared();
        } catch (const data::EngineError&) {
            // the error that ended the work is the one to report
        }
    }

    data::Table& m_table;
    bool m_released = false;
};

// The data module's open tables, closed while the catalogue file is rebuilt
// (a VACUUM may renumber the rows of tables without a key, so what a table
// holds of its rows no longer fits) and opened again on every way out, each
// on the row it was on where it has a key.
class ClosedTables {
public:
    ClosedTables(data::TProgramDataForm& dm, const data::Table* keepOpen)
        : m_dm(dm)
    {
        // Details before their masters.
        const std::vector<data::Table*> all = dm.tables();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            data::Table* table = *it;
            if (table == keepOpen || !table->active())
                continue;
            Closed closed{table, {}, {}};
            if (const data::TableDef* def = data::findTableDef(table->tableName()))
                closed.keyField = def->keyField();
            if (!closed.keyField.isEmpty() && !table->isEmpty())
                closed.key = table->fieldValue(closed.keyField);
            table->close();
            m_closed.push_back(closed);
        }
    }
    ~ClosedTables()
    {
        // Masters before their details; each table on its own, so that one
        // that cannot be opened leaves the others open.
        for (auto it = m_closed.rbegin(); it != m_closed.rend(); ++it) {
            if (!it->table)
                continue;
            try {
                open(*it);
            } catch (const data::EngineError&) {
                // the error that ended the work is the one to report
            }
        }
    }
    ClosedTables(const ClosedTables&) = delete;
    ClosedTables& operator=(const ClosedTables&) = delete;

    // Opens the tables again: those of the catalogue table list in its
    // order (masters come before their details there), each announced, then
    // the others.
    void reopen(const std::function<void(const data::CatalogueTable&)>& announce)
    {
        for (const data::CatalogueTable& entry : m_dm.CatalogueTables()) {
            if (announce)
                announce(entry);
            for (Closed& c : m_closed)
                if (c.table && c.table == entry.component)
                    open(c);
        }
        for (auto it = m_closed.rbegin(); it != m_closed.rend(); ++it)
            if (it->table)
                open(*it);
    }

private:
    struct Closed {
        data::Table* table;
        QString keyField;
        QVariant key;
    };

    static void open(Closed& closed)
    {
        data::Table* table = std::exchange(closed.table, nullptr);
        table->open();
        if (closed.key.isValid() && !closed.key.isNull())
            table->locate(closed.keyField, closed.key);
    }

    data::TProgramDataForm& m_dm;
    std::vector<Closed> m_closed;
};

// Rebuilds the catalogue file without the room of deleted rows and folds
// the write-ahead log into it.
void vacuum(data::Database& db)
{
    // SQLite refuses a VACUUM while a statement of the connection is part
    // way through its rows.
    sqlite3* handle = db.handle();
    for (sqlite3_stmt* st = sqlite3_next_stmt(handle, nullptr); st; st = sqlite3_next_stmt(handle, st))
        if (sqlite3_stmt_busy(st))
            sqlite3_reset(st);
    db.exec(QStringLiteral("VACUUM"));
    data::Statement checkpoint(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    checkpoint.step();
}

// The preview files of every picture in the catalogue; none when there is
// no preview directory (a bare name would point into the current one).
QStringList picturePreviewFiles(data::Database& db)
{
    QStringList files;
    if (data::SystemInfo().PreviewDir.isEmpty())
        return files;
    data::Statement ids(db, QStringLiteral("SELECT \"PictureID\" FROM \"PictureInfo\""));
    while (ids.step())
        files << pictures::PreviewPath(ids.column(0).toLongLong());
    return files;
}

}  // namespace

qint64 CatalogueBytes(const QString& directory)
{
    const QString file = data::Database::catalogueFile(directory);
    const QFileInfo log(file + QStringLiteral("-wal"));
    return QFileInfo(file).size() + (log.exists() ? log.size() : 0);
}

void RequireWritable(data::TProgramDataForm& dm, const QString& operation)
{
    const data::Database* db = dm.KestrelviewDatabase();
    if (!db)
        throw data::EngineError(QStringLiteral("No catalogue is open."));
    if (db->readOnly())
        throw data::EngineError(QStringList{
            QStringLiteral("The catalogue is open read-only; it cannot be %1.").arg(operation),
            QStringLiteral("Open it writable (DatabaseReadOnly=No) to do so.")});
}

bool KeptByClear(const QString& caption)
{
    return caption == u"Users" || caption == u"Security-Profile" || caption == u"File Extensions";
}

void SetNextAutoIncrement(data::Database& db, const QString& table, qint64 value)
{
    // AUTOINCREMENT gives one more than the larger of the table's highest
    // key and the number its sqlite_sequence row remembers.
    data::WriteTransaction tx(db);
    data::Statement forget(db, QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"));
    forget.bind(1, table);
    forget.step();
    if (value > 1) {
        data::Statement remember(db, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"));
        remember.bind(1, table);
        remember.bind(2, value - 1);
        remember.step();
    }
    tx.commit();
}

PackSizes PackDatabase(data::TProgramDataForm& dm, const StatusText& status)
{
    RequireWritable(dm, QStringLiteral("packed"));
    data::Database& db = *dm.KestrelviewDatabase();
    show(status, QStringLiteral("Packing Settings Table."));
    ExclusiveCatalogue exclusive(dm);
    PackSizes sizes;
    sizes.before = CatalogueBytes(db.directory());
    {
        ClosedTables closed(dm, &dm.SettingsTable);
        vacuum(db);
        closed.reopen([&status](const data::CatalogueTable& t) {
            show(status, common::FormatMessage(QStringLiteral("Packing %s% Table."), t.caption));
        });
    }
    exclusive.release();
    sizes.after = CatalogueBytes(db.directory());
    return sizes;
}

void ClearDatabase(data::TProgramDataForm& dm, const StatusText& status)
{
    RequireWritable(dm, QStringLiteral("cleared"));
    data::Database& db = *dm.KestrelviewDatabase();
    show(status, QStringLiteral("Clear Database"));
    ExclusiveCatalogue exclusive(dm);
    ClosedTables closed(dm, &dm.SettingsTable);
    {
        data::WriteTransaction tx(db);
        const QStringList previews = picturePreviewFiles(db);
        for (const data::CatalogueTable& t : dm.CatalogueTables()) {
            if (KeptByClear(t.caption))
                continue;
            show(status, common::FormatMessage(QStringLiteral("Clearing %s% Table."), t.caption));
            const QString table = t.component->tableName();
            db.exec(QStringLiteral("DELETE FROM ") + data::sqliteIdentifier(table));
            SetNextAutoIncrement(db, table, 1);
        }
        // Defaults naming deleted rows would name unrelated new rows later.
        dm.ClearSettingsDefaults();
        // Numbers are given again: a kept preview would show for a new
        // picture of the same number.
        db.afterCommit([previews] {
            for (const QString& file : previews)
                QFile::remove(file);
        });
        tx.commit();
    }
    dm.SearchResult.clear();
    dm.ShowSearchResult = false;
    dm.LoadPermittedRatings();
    vacuum(db);
    closed.reopen({});
    exclusive.release();
}

}  // namespace kv::admin
