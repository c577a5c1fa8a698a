#include "admin/CatalogueCopies.h"

#include "data/Database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kv::admin {

namespace {

[[noreturn]] void backupFailed(const QString& target, const QString& why)
{
    throw data::EngineError(QStringList{QStringLiteral("Cannot back up the catalogue to %1").arg(target), why});
}

// The new copy's connection, closed (and the unfinished file removed unless
// kept) on every way out.
class CopyFile {
public:
    explicit CopyFile(const QString& path)
        : m_path(path)
    {
        QFile::remove(path);
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc != SQLITE_OK)
            m_error = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
    }
    ~CopyFile()
    {
        close();
        if (!m_kept) {
            QFile::remove(m_path);
            QFile::remove(m_path + QStringLiteral("-journal"));
        }
    }
    CopyFile(const CopyFile&) = delete;
    CopyFile& operator=(const CopyFile&) = delete;

    sqlite3* handle() const { return m_db; }
    const QString& error() const { return m_error; }
    QString message() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    // Closes the connection; false when the last writes could not be made.
    bool close()
    {
        const bool ok = sqlite3_close(m_db) == SQLITE_OK;
        m_db = nullptr;
        return ok;
    }
    void keep() { m_kept = true; }

private:
    QString m_path;
    sqlite3* m_db = nullptr;
    QString m_error;
    bool m_kept = false;
};

}  // namespace

QStringList CheckCatalogue(const QString& directory)
{
    auto db = data::Database::open(directory, true);
    QStringList lines;
    data::Statement check(*db, QStringLiteral("PRAGMA integrity_check"));
    while (check.step())
        lines << check.column(0).toString();
    return lines;
}

void BackupCatalogue(const QString& directory, const QString& targetDirectory)
{
    const QString target = data::Database::catalogueFile(targetDirectory);
    if (QFileInfo::exists(target))
        backupFailed(target, QStringLiteral("A catalogue already exists there; it was left as it is."));
    auto source = data::Database::open(directory, true);
    if (!QDir().mkpath(targetDirectory))
        backupFailed(target, QStringLiteral("The directory cannot be made."));

    const QString temp = target + QStringLiteral(".backup-%1").arg(QCoreApplication::applicationPid());
    CopyFile copy(temp);
    if (!copy.error().isEmpty())
        backupFailed(target, copy.error());
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source->handle(), "main");
    if (!backup)
        backupFailed(target, copy.message());
    // Every page in one step, under one read transaction of the source: the
    // copy is one state of the catalogue, whatever others write meanwhile.
    // A writer holding the lock (rollback journal) is waited for.
    QDeadlineTimer deadline(source->lockWaitMs());
    int rc = sqlite3_backup_step(backup, -1);
    while ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && !deadline.hasExpired()) {
        QThread::msleep(20);
        rc = sqlite3_backup_step(backup, -1);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        backupFailed(target, QString::fromUtf8(sqlite3_errstr(rc)));
    if (!copy.close())
        backupFailed(target, QStringLiteral("The copy could not be completed."));

    // A link fails when the name is taken, also by a catalogue made there
    // meanwhile: nothing is ever replaced.
    if (::link(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        const int error = errno;
        if (error == EEXIST)
            backupFailed(target, QStringLiteral("A catalogue already exists there; it was left as it is."));
        // File systems without links: a rename that refuses an existing name.
        if (!QFile::rename(temp, target))
            backupFailed(target, QString::fromLocal8Bit(strerror(error)));
        copy.keep();
    }
}

}  // namespace kv::admin
