#include "common/FileTransfer.h"

#include "common/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::common {

namespace {

QString errorText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

TransferResult failed(const QString& reason) { return {TransferOutcome::Failed, reason}; }

// rename(2) that, unless asked to replace, never replaces: EEXIST instead.
// A file system without the no-replace rename gets a hard link and an
// unlink, which also never replace.
int systemRename(const QByteArray& from, const QByteArray& to, bool replace)
{
    if (replace)
        return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EMLINK)
        return errno;
    // Neither here (some removable media): look, then rename.
    struct stat taken {};
    if (::lstat(to.constData(), &taken) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

RenameFunction& renameFunction()
{
    static RenameFunction f = systemRename;
    return f;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// Copies the source into a new file of the target directory and renames it
// to target once it is complete and flushed. An existing target is replaced
// only with replace; otherwise EEXIST. Returns 0 or the reason.
QString copyIntoPlace(const QByteArray& source, const struct stat& sourceInfo, const QByteArray& directory,
                      const QByteArray& target, bool replace, bool& exists)
{
    exists = false;
    FileDescriptor in(::open(source.constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return errorText(errno);
    QByteArray temporary = directory + "/.kv-transfer-XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid())
        return errorText(errno);
    auto discard = [&temporary](const QString& reason) {
        ::unlink(temporary.constData());
        return reason;
    };
    constexpr size_t kChunk = size_t(1) << 20;
    QByteArray buffer(static_cast<qsizetype>(kChunk), Qt::Uninitialized);
    off_t written = 0;
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer.data(), kChunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return discard(errorText(errno));
        }
        if (got == 0)
            break;
        for (ssize_t put = 0; put < got;) {
            const ssize_t n = ::write(out.get(), buffer.constData() + put, static_cast<size_t>(got - put));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return discard(errorText(errno));
            }
            put += n;
        }
        written += got;
    }
    struct stat copyInfo {};
    if (::fsync(out.get()) != 0 || ::fstat(out.get(), &copyInfo) != 0)
        return discard(errorText(errno));
    if (written != sourceInfo.st_size || copyInfo.st_size != sourceInfo.st_size)
        return discard(QStringLiteral("The copy is %1 bytes long instead of %2.")
                           .arg(static_cast<qint64>(copyInfo.st_size))
                           .arg(static_cast<qint64>(sourceInfo.st_size)));
    const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
    ::futimens(out.get(), times);
    ::fchmod(out.get(), sourceInfo.st_mode & 07777);
    if (::close(out.release()) != 0)
        return discard(errorText(errno));
    const int error = systemRename(temporary, target, replace);
    if (error != 0) {
        exists = error == EEXIST;
        return discard(errorText(error));
    }
    FileDescriptor dir(::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
    return QString();
}

}  // namespace

bool AbsoluteFileExists(const QString& path)
{
    return !path.isEmpty() && !QDir::isRelativePath(path) && FileExistsOnReadyDrive(path);
}

bool IsPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) && name != u"." &&
           name != u"..";
}

bool SameFileOrDirectory(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (a.isEmpty() || b.isEmpty() || ::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

RenameFunction setRenameFunction(RenameFunction rename)
{
    RenameFunction previous = renameFunction();
    renameFunction() = rename ? std::move(rename) : RenameFunction(systemRename);
    return previous;
}

TransferResult TransferFile(const QString& sourcePath, const QString& targetDirectory, const QString& name,
                            TransferMode mode, OverwritePolicy overwrite)
{
    if (targetDirectory.isEmpty() || QDir::isRelativePath(targetDirectory))
        return failed(QStringLiteral("The directory \"%1\" is not a full path.").arg(targetDirectory));
    if (sourcePath.isEmpty() || QDir::isRelativePath(sourcePath))
        return failed(QStringLiteral("The file \"%1\" is not a full path.").arg(sourcePath));
    if (!IsPlainFileName(name))
        return failed(QStringLiteral("\"%1\" is not a file name.").arg(name));

    const QByteArray directory = QFile::encodeName(QDir::cleanPath(targetDirectory));
    struct stat directoryInfo {};
    if (::stat(directory.constData(), &directoryInfo) != 0 || !S_ISDIR(directoryInfo.st_mode))
        return failed(QStringLiteral("The directory %1 does not exist.").arg(targetDirectory));

    const QByteArray source = QFile::encodeName(sourcePath);
    struct stat sourceInfo {};
    if (::stat(source.constData(), &sourceInfo) != 0)
        return errno == ENOENT || errno == ENOTDIR ? TransferResult{TransferOutcome::Missing, errorText(errno)}
                                                   : failed(errorText(errno));
    if (!S_ISREG(sourceInfo.st_mode))
        return failed(QStringLiteral("%1 is not a file.").arg(sourcePath));

    const QByteArray target = directory + '/' + QFile::encodeName(name);
    struct stat targetInfo {};
    if (::stat(target.constData(), &targetInfo) == 0) {
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino)
            return {TransferOutcome::SameFile, {}};
        if (overwrite == OverwritePolicy::Never)
            return {TransferOutcome::Exists, {}};
        if (S_ISDIR(targetInfo.st_mode))
            return failed(QStringLiteral("%1 is a directory.").arg(QFile::decodeName(target)));
    }
    const bool replace = overwrite == OverwritePolicy::Replace;

    if (mode == TransferMode::Move) {
        const int error = renameFunction()(source, target, replace);
        if (error == 0)
            return {TransferOutcome::Moved, {}};
        if (error == EEXIST)
            return {TransferOutcome::Exists, {}};
        if (error != EXDEV)
            return failed(errorText(error));
        // Another file system: the source must be removable before it is copied.
        const QByteArray sourceDirectory = QFile::encodeName(QFileInfo(sourcePath).absolutePath());
        if (::access(sourceDirectory.constData(), W_OK) != 0)
            return failed(errorText(errno));
    }

    bool exists = false;
    const bool replacing = replace && ::access(target.constData(), F_OK) == 0;
    const QString copyError = copyIntoPlace(source, sourceInfo, directory, target, replace, exists);
    if (exists)
        return {TransferOutcome::Exists, {}};
    if (!copyError.isEmpty())
        return failed(copyError);
    if (mode == TransferMode::Copy)
        return {TransferOutcome::Copied, {}};
    if (::unlink(source.constData()) != 0) {
        const QString reason = errorText(errno);
        if (!replacing)
            ::unlink(target.constData());
        return failed(reason);
    }
    return {TransferOutcome::Moved, {}};
}

}  // namespace kv::common
