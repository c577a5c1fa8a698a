#include "data/SessionRegistry.h"

#include "common/TextHelpers.h"
#include "data/Database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>

#include <algorithm>
#include <optional>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::data {

namespace {

QString sessionsFolder(const QString& catalogueDirectory) { return QDir(catalogueDirectory).filePath(QStringLiteral("Sessions")); }

const QString kEntrySuffix = QStringLiteral(".session");
const QString kNewEntrySuffix = QStringLiteral(".session-new");  // an entry being written
// A new entry is renamed into place at once; one older than this was left
// by a program that ended while writing it.
constexpr qint64 kAbandonedNewEntrySeconds = 600;

// Locks belong to the open file, not to the process (open file description
// locks): reading another program's file, or our own, never drops a lock, and
// a lock held by this very program is seen like any other.
#ifndef F_OFD_GETLK
#error "open file description locks (Linux 3.15 or later) are needed"
#endif

bool setLock(int fd, short type, bool wait = false)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0;
}

// True when some program holds a lock on the open file.
bool isLocked(int fd)
{
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

bool sameFile(int fd, const QString& path)
{
    struct stat open {}, named {};
    return ::fstat(fd, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0
        && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::optional<SessionEntry> readEntry(int fd)
{
    char buffer[4096];
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, 0);
    if (n <= 0)
        return std::nullopt;
    QString line = QString::fromUtf8(buffer, static_cast<qsizetype>(n));
    line = line.left(line.indexOf(QLatin1Char('\n')));  // whole line only
    const QStringList fields = line.split(QLatin1Char('\t'));  // an empty user name leads the line
    if (fields.size() < 4)
        return std::nullopt;
    return SessionEntry{fields[0], fields[1], fields[2].toLongLong(), fields[3]};
}

// Removes an entry whose program is gone. The lock is taken first, so an
// entry whose program holds it is never removed.
bool sweepIfAbandoned(int fd, const QString& path)
{
    if (!setLock(fd, F_WRLCK))
        return false;
    if (sameFile(fd, path))
        QFile::remove(path);
    return true;  // the lock goes with the descriptor
}

std::function<void()>& entryCreatedHook()
{
    static std::function<void()> hook;
    return hook;
}

}  // namespace

QString describeSessions(const std::vector<SessionEntry>& sessions)
{
    QStringList names;
    for (const SessionEntry& e : sessions)
        names << QStringLiteral("%1 on %2").arg(e.userName.isEmpty() ? QStringLiteral("Unknown") : e.userName, e.hostName);
    return names.join(QStringLiteral(", "));
}

void SessionRegistry::setEntryCreatedHook(std::function<void()> hook) { entryCreatedHook() = std::move(hook); }

SessionRegistry::SessionRegistry(const QString& catalogueDirectory, const QString& userName)
    : m_folder(sessionsFolder(catalogueDirectory))
    , m_userName(userName)
    , m_started(QDateTime::currentDateTime().toString(Qt::ISODate))
{
    QDir().mkpath(m_folder);
    const QByteArray useLock = QFile::encodeName(QDir(m_folder).filePath(QStringLiteral("catalogue.lock")));
    m_useLockFd = ::open(useLock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_useLockFd >= 0)
        (void)::fchmod(m_useLockFd, 0666);  // every user of the catalogue may take it exclusively
    else
        m_useLockFd = ::open(useLock.constData(), O_RDONLY | O_CLOEXEC);  // a read-only catalogue directory
    if (m_useLockFd >= 0 && !setLock(m_useLockFd, F_RDLCK)) {
        m_refusedForExclusiveUse = errno == EAGAIN || errno == EACCES;
        ::close(m_useLockFd);
        m_useLockFd = -1;
        if (m_refusedForExclusiveUse)
            return;
    }
    if (createEntry())
        write();
}

bool SessionRegistry::createEntry()
{
    // Written under a name the sweeper leaves alone, locked, then renamed into
    // place: an entry is never seen unlocked while its program runs.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString file = QDir(m_folder).filePath(QStringLiteral("%1-%2-%3")
                                                         .arg(QSysInfo::machineHostName())
                                                         .arg(QCoreApplication::applicationPid())
                                                         .arg(QRandomGenerator::global()->generate64(), 16, 16,
                                                              QLatin1Char('0')))
                             + kEntrySuffix;
        const QString newFile = file + QStringLiteral("-new");
        const int fd = ::open(QFile::encodeName(newFile).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;  // the folder cannot be written
        }
        if (entryCreatedHook())
            entryCreatedHook()();
        // A sweeper may hold the lock for a moment; one that took the file
        // away leaves the name pointing elsewhere.
        if (setLock(fd, F_WRLCK, true) && sameFile(fd, newFile)
            && ::rename(QFile::encodeName(newFile).constData(), QFile::encodeName(file).constData()) == 0) {
            m_fd = fd;
            m_file = file;
            return true;
        }
        ::close(fd);
    }
    return false;
}

SessionRegistry::~SessionRegistry()
{
    if (m_fd >= 0) {
        QFile::remove(m_file);
        ::close(m_fd);
    }
    if (m_useLockFd >= 0)
        ::close(m_useLockFd);
}

void SessionRegistry::write()
{
    if (m_fd < 0)
        return;
    const QByteArray line = QStringLiteral("%1\t%2\t%3\t%4\n")
                                .arg(m_userName, QSysInfo::machineHostName())
                                .arg(QCoreApplication::applicationPid())
                                .arg(m_started)
                                .toUtf8();
    // The new line first, then cut what is left of the old: a reader never
    // meets an empty entry.
    const ssize_t written = ::pwrite(m_fd, line.constData(), static_cast<size_t>(line.size()), 0);
    if (written == line.size()) {
        const int cut = ::ftruncate(m_fd, line.size());
        (void)cut;
    }
}

void SessionRegistry::setUserName(const QString& userName)
{
    m_userName = userName;
    write();
}

std::vector<SessionEntry> SessionRegistry::liveSessions(const QString& catalogueDirectory, const QString& ownFile)
{
    std::vector<SessionEntry> out;
    const QDir folder(sessionsFolder(catalogueDirectory));
    const QDateTime abandoned = QDateTime::currentDateTime().addSecs(-kAbandonedNewEntrySeconds);
    for (const QFileInfo& info : folder.entryInfoList({QLatin1Char('*') + kEntrySuffix, QLatin1Char('*') + kNewEntrySuffix},
                                                      QDir::Files, QDir::Name)) {
        const QString path = info.filePath();
        const bool newEntry = path.endsWith(kNewEntrySuffix);
        if (newEntry && info.lastModified() > abandoned)
            continue;
        int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        const bool canSweep = fd >= 0;
        if (fd < 0)
            fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        bool live = path == ownFile;
        if (!live)
            live = canSweep ? !sweepIfAbandoned(fd, path) : isLocked(fd);
        if (live && !newEntry)
            if (auto entry = readEntry(fd))
                out.push_back(*entry);
        ::close(fd);
    }
    return out;
}

std::vector<SessionEntry> SessionRegistry::liveSessions() const
{
    return liveSessions(QFileInfo(m_folder).path(), m_file);
}

int SessionRegistry::otherSessionCount() const { return static_cast<int>(otherSessions().size()); }

QString SessionRegistry::exclusiveUseMessage() const
{
    const QString holders = describeSessions(liveSessions(QFileInfo(m_folder).path()));
    return common::FormatMessage(QStringLiteral("The catalogue is in exclusive use by another program (%s%).\r"
                                                "Try again when its work is done."),
                                 holders.isEmpty() ? QStringLiteral("maintenance") : holders);
}

std::vector<SessionEntry> SessionRegistry::otherSessions() const
{
    std::vector<SessionEntry> others;
    for (const SessionEntry& e : liveSessions())
        if (!(e.processId == QCoreApplication::applicationPid() && e.hostName == QSysInfo::machineHostName()))
            others.push_back(e);
    return others;
}

QString SessionRegistry::takeExclusiveUse()
{
    // Names the programs in the way, so that the user knows whom to ask.
    const auto busy = [this] {
        const std::vector<SessionEntry> others = otherSessions();
        if (others.empty())
            return QStringLiteral("Table is busy: the catalogue is open in another program.");
        return QStringLiteral("Table is busy: the catalogue is open in %1 other program(s): %2.")
            .arg(others.size())
            .arg(describeSessions(others));
    };
    if (m_useLockFd < 0 || !setLock(m_useLockFd, F_WRLCK))
        return busy();
    if (otherSessionCount() > 0) {
        endExclusiveUse();
        return busy();
    }
    return {};
}

void SessionRegistry::endExclusiveUse()
{
    if (m_useLockFd >= 0)
        setLock(m_useLockFd, F_RDLCK);
}

void SessionRegistry::attach(Database& db)
{
    db.exclusiveUseRefusal = [this] { return takeExclusiveUse(); };
    db.exclusiveUseEnded = [this] { endExclusiveUse(); };
}

}  // namespace kv::data
