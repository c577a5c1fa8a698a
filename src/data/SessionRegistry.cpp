#include "data/SessionRegistry.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace kv::data {

namespace {

QString sessionsFolder(const QString& catalogueDirectory) { return QDir(catalogueDirectory).filePath(QStringLiteral("Sessions")); }

// Locks belong to the open file, not to the process (open file description
// locks): reading another program's file, or our own, never drops a lock, and
// a lock held by this very program is seen like any other.
#ifndef F_OFD_GETLK
#error "open file description locks (Linux 3.15 or later) are needed"
#endif

// True when some program holds a lock on the file.
bool isLocked(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    const bool locked = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

std::optional<SessionEntry> readEntry(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString line = QString::fromUtf8(f.read(4096));
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    const QStringList fields = line.split(QLatin1Char('\t'));  // an empty user name leads the line
    if (fields.size() < 4)
        return std::nullopt;
    return SessionEntry{fields[0], fields[1], fields[2].toLongLong(), fields[3]};
}

}  // namespace

SessionRegistry::SessionRegistry(const QString& catalogueDirectory, const QString& userName)
    : m_folder(sessionsFolder(catalogueDirectory))
    , m_userName(userName)
    , m_started(QDateTime::currentDateTime().toString(Qt::ISODate))
{
    if (!QDir().mkpath(m_folder))
        return;
    static int registries = 0;  // one file per registry, also within one program
    m_file = QDir(m_folder).filePath(QStringLiteral("%1-%2-%3.session")
                                         .arg(QSysInfo::machineHostName())
                                         .arg(QCoreApplication::applicationPid())
                                         .arg(++registries));
    m_fd = ::open(QFile::encodeName(m_file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(m_fd, F_OFD_SETLK, &lock) != 0) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    write();
}

SessionRegistry::~SessionRegistry()
{
    if (m_fd < 0)
        return;
    QFile::remove(m_file);
    ::close(m_fd);
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
    if (::ftruncate(m_fd, 0) == 0 && ::lseek(m_fd, 0, SEEK_SET) == 0) {
        const ssize_t written = ::write(m_fd, line.constData(), static_cast<size_t>(line.size()));
        (void)written;
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
    for (const QString& name : folder.entryList({QStringLiteral("*.session")}, QDir::Files, QDir::Name)) {
        const QString path = folder.filePath(name);
        if (path != ownFile && !isLocked(path)) {
            QFile::remove(path);  // left by a program that ended without tidying up
            continue;
        }
        if (auto entry = readEntry(path))
            out.push_back(*entry);
    }
    return out;
}

std::vector<SessionEntry> SessionRegistry::liveSessions() const
{
    return liveSessions(QFileInfo(m_folder).path(), m_file);
}

int SessionRegistry::otherSessionCount() const
{
    int n = 0;
    for (const SessionEntry& e : liveSessions())
        if (!(e.processId == QCoreApplication::applicationPid() && e.hostName == QSysInfo::machineHostName()))
            ++n;
    return n;
}

}  // namespace kv::data
