#include "common/FileOperations.h"

#include "common/TextHelpers.h"

#include "common/FileCopy.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kv::common {

namespace {

constexpr int kDefaultProbeTimeoutMs = 1500;


ShellLauncher* g_launcher = nullptr;

bool fileSystemProbe(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.exists() && !info.isDir();
}

// One existence test running on its own thread. Shared, so that a thread
// still blocked after every caller gave up writes into memory that is still
// alive. Guarded by the ready-drive mutex.
struct MountCheck {
    QString fileName;
    bool finished = false;
    bool exists = false;
};

struct ReadyDriveState {
    std::mutex mutex;
    std::function<bool(const QString&)> probe;  // empty: the file system's
    int timeoutMs = kDefaultProbeTimeoutMs;
    // The test still running on each mount. A mount that does not answer
    // keeps its one blocked thread: later calls wait for that test again
    // instead of starting another thread that would block as well.
    std::map<QString, std::shared_ptr<MountCheck>> pending;
    std::condition_variable finished;
};

// Never destroyed: a test blocked on a dead mount may end while the program
// is already shutting down.
ReadyDriveState& readyDrive()
{
    static auto* state = new ReadyDriveState;
    return *state;
}

// "\040" and the like in /proc/self/mountinfo stand for one byte each.
QByteArray unescapeMountPoint(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            bool ok = false;
            const int value = text.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(text[i]);
    }
    return out;
}

// The mount point holding the absolute path, read from the system's mount
// table without touching the path itself (which could hang); "/" when the
// table cannot be read.
QString mountOf(const QString& absolutePath)
{
    const QString path = QDir::cleanPath(absolutePath);
    QString best = QStringLiteral("/");
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return best;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const QString point = QFile::decodeName(unescapeMountPoint(fields[4]));
        const bool holds = point == QLatin1String("/") || path == point ||
                           path.startsWith(AddTrailingBackslash(point));
        if (holds && point.size() > best.size())
            best = point;
    }
    return best;
}

// Starts the existence test of fileName on a helper thread and registers it
// as the mount's pending test; null when no thread can be had.
std::shared_ptr<MountCheck> startCheck(const QString& mount, const QString& fileName,
                                       const std::function<bool(const QString&)>& probe)
{
    auto check = std::make_shared<MountCheck>();
    check->fileName = fileName;
    try {
        std::thread([check, mount, probe] {
            const bool exists = probe(check->fileName);
            ReadyDriveState& state = readyDrive();
            std::lock_guard lock(state.mutex);
            check->exists = exists;
            check->finished = true;
            const auto pending = state.pending.find(mount);
            if (pending != state.pending.end() && pending->second == check)
                state.pending.erase(pending);
            state.finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    readyDrive().pending[mount] = check;
    return check;
}

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QDir::separator();
}

void processPendingEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

QFileInfoList filesMatching(const QString& directory, const QString& mask)
{
    // Regular files and links to them; pipes, sockets and devices are left
    // out (reading a pipe would block). Names match in any letter case.
    return QDir(directory).entryInfoList({mask}, QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList subdirectoriesOf(const QString& directory)
{
    // Links are not followed: a link to a parent would never end.
    return QDir(directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks,
                                     QDir::Name);
}

void countInto(const QString& directory, const QStringList& masks, bool recurse, FileCount& count)
{
    for (const QString& mask : masks) {
        for (const QFileInfo& file : filesMatching(directory, mask)) {
            ++count.files;
            count.bytes += file.size();
        }
    }
    if (!recurse)
        return;
    processPendingEvents();
    for (const QString& sub : subdirectoriesOf(directory))
        countInto(QDir(directory).filePath(sub), masks, recurse, count);
}

void listInto(const QString& directory, const QStringList& masks, bool recurse, QStringList& list)
{
    for (const QString& mask : masks) {
        for (const QFileInfo& file : filesMatching(directory, mask))
            list << file.absoluteFilePath();
    }
    if (!recurse)
        return;
    processPendingEvents();
    for (const QString& sub : subdirectoriesOf(directory))
        listInto(QDir(directory).filePath(sub), masks, recurse, list);
}

bool hasAnyWriteBit(QFileDevice::Permissions permissions)
{
    // The file's own bits; WriteUser would say what the superuser may do.
    return permissions & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

void syncToDisk(QFile& file)
{
    file.flush();
#ifdef Q_OS_UNIX
    ::fsync(file.handle());
#endif
}

// One file overwritten ten times with random blocks; false on an error.
bool overwriteTenTimes(const QString& fileName, qint64 size)
{
    constexpr int kBlock = 2048;
    QByteArray block(kBlock, Qt::Uninitialized);
    QFile file(fileName);
    for (int pass = 0; pass < 10; ++pass) {
        if (!file.open(QIODevice::ReadWrite))
            return false;
        QRandomGenerator random(static_cast<quint32>(
            std::chrono::high_resolution_clock::now().time_since_epoch().count()));
        qint64 written = 0;
        while (written < size) {
            random.fillRange(reinterpret_cast<quint32*>(block.data()), kBlock / 4);
            if (file.write(block) != kBlock) {
                file.close();
                return false;
            }
            written += kBlock;
        }
        syncToDisk(file);
        file.close();
    }
    return true;
}

void wipeDirectoryContents(const QString& directory, ProgressLabel* label, ProgressGauge* gauge)
{
    const QDir dir(directory);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString path = entry.absoluteFilePath();
        if (entry.isSymLink()) {
            QFile::remove(path);  // the link only, never what it points to
        } else if (entry.isDir()) {
            wipeDirectoryContents(path, label, gauge);
            dir.rmdir(entry.fileName());
        } else {
            WipeFile(path, label, gauge);
        }
        processPendingEvents();
    }
}

class DesktopShellLauncher : public ShellLauncher {
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    int openDocument(const QString& fileName, bool wait) override
    {
        if (!wait)
            return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName)) ? 0 : 65535;
        QProcess process;
        process.start(QStringLiteral("xdg-open"), {fileName});
        if (!process.waitForStarted())
            return 65535;
        while (process.state() != QProcess::NotRunning) {
            processPendingEvents();
            process.waitForFinished(50);
        }
        return 0;
    }
};

}  // namespace

QString AddTrailingBackslash(const QString& path)
{
    if (path.isEmpty() || isSeparator(path.back()))
        return path;
    return path + QLatin1Char('/');
}

QString TempDirectory() { return AddTrailingBackslash(QDir::tempPath()); }

QString SplitFirst(QString& maskList) { return TakeFirstField(maskList, QLatin1Char(';')); }

QString ShortenPathForDisplay(const QString& path, int maxChars)
{
    if (path.size() <= maxChars)
        return path;
    qsizetype cut = path.size() - 1;
    while (cut >= 0 && !isSeparator(path[cut]))
        --cut;
    if (cut <= 0)
        return path;  // nothing but the name to keep
    const QString name = path.mid(cut);  // with its separator
    const qsizetype room = maxChars - name.size() - 3;
    if (room <= 0)
        return QStringLiteral("...") + name;
    return path.left(room) + QStringLiteral("...") + name;
}

bool FileExistsOnReadyDrive(const QString& fileName)
{
    if (fileName.isEmpty())
        return false;
    ReadyDriveState& state = readyDrive();
    std::unique_lock lock(state.mutex);
    const std::function<bool(const QString&)> probe = state.probe ? state.probe : fileSystemProbe;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(state.timeoutMs);
    if (QDir::isRelativePath(fileName)) {
        lock.unlock();
        return probe(fileName);
    }
    const QString mount = mountOf(fileName);
    while (true) {
        std::shared_ptr<MountCheck> check;
        const auto pending = state.pending.find(mount);
        if (pending != state.pending.end()) {
            check = pending->second;  // the mount's test still running: wait for it again
        } else {
            check = startCheck(mount, fileName, probe);
            if (!check) {
                lock.unlock();
                return probe(fileName);  // no thread to be had: ask directly
            }
        }
        if (!state.finished.wait_until(lock, deadline, [&] { return check->finished; }))
            return false;  // the volume does not answer: not ready
        if (check->fileName == fileName)
            return check->exists;
        // The mount answered a test of another file: now test this one.
    }
}

std::function<bool(const QString&)> setReadyDriveProbe(std::function<bool(const QString&)> probe)
{
    ReadyDriveState& state = readyDrive();
    std::lock_guard lock(state.mutex);
    std::swap(state.probe, probe);
    return probe;
}

int setReadyDriveTimeout(int milliseconds)
{
    ReadyDriveState& state = readyDrive();
    std::lock_guard lock(state.mutex);
    const int previous = state.timeoutMs;
    state.timeoutMs = milliseconds > 0 ? milliseconds : kDefaultProbeTimeoutMs;
    return previous;
}

QStringList MaskListItems(const QString& maskList)
{
    QStringList masks;
    QString rest = maskList;
    while (!rest.isEmpty()) {
        QString mask = SplitFirst(rest).trimmed();
        if (mask.isEmpty())
            continue;
        // "*.*" stands for every file, with or without an extension.
        if (mask == QLatin1String("*.*"))
            mask = QStringLiteral("*");
        masks << mask;
    }
    return masks;
}

FileCount CountFiles(const QString& directory, const QString& maskList, bool recurse)
{
    FileCount count;
    if (!directory.isEmpty())
        countInto(directory, MaskListItems(maskList), recurse, count);
    return count;
}

void ListFiles(const QString& directory, const QString& maskList, bool recurse, QStringList& list)
{
    list.clear();
    if (!directory.isEmpty())
        listInto(directory, MaskListItems(maskList), recurse, list);
}

QString PictureFileMask() { return QStringLiteral("*.jpg;*.jpeg;*.bmp"); }

bool ExtensionInMasks(const QString& fileName, const QString& maskList)
{
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.isEmpty())
        return false;
    const QString extension = QLatin1Char('.') + suffix.toLower();
    QString masks = maskList;
    while (!masks.isEmpty()) {
        const QString mask = SplitFirst(masks).trimmed();
        const qsizetype dot = mask.lastIndexOf(QLatin1Char('.'));
        if (dot >= 0 && mask.mid(dot).toLower() == extension)
            return true;
    }
    return false;
}

bool IsPictureFile(const QString& fileName) { return ExtensionInMasks(fileName, PictureFileMask()); }

QFileDevice::Permissions StoredPermissions(const QString& path)
{
    return QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
}

void WriteFileReplacing(const QString& path, const QByteArray& bytes)
{
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isDir() && !hasAnyWriteBit(existing.permissions()))
        throw FileWriteError("The file " + path.toStdString() + " is read-only");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileWriteError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileWriteError("Cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, qint64 maxBytes)
{
    bytes.clear();
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() > maxBytes)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Room for the file as it is, not for the largest file allowed; one byte
    // more shows a file that changed its size while it was read.
    const qint64 expected = info.size();
    bytes.resize(static_cast<qsizetype>(expected + 1));
    const qint64 got = file.read(bytes.data(), expected + 1);
    if (got != expected || file.error() != QFileDevice::NoError) {
        bytes.clear();
        return false;
    }
    bytes.resize(static_cast<qsizetype>(got));
    return true;
}

void WipeFile(const QString& fileName, ProgressLabel* label, ProgressGauge* gauge)
{
    if (fileName.isEmpty())
        return;
    const QFileInfo info(fileName);
    if (info.isSymLink()) {
        QFile::remove(fileName);
        return;
    }
    if (!info.exists() || info.isDir())
        return;
    if (label)
        label->setText(ShortenPathForDisplay(fileName));
    if (gauge)
        gauge->step();
    processPendingEvents();
    // Only regular files are overwritten: a device or pipe is just removed.
    if (info.isFile()) {
        QFile::setPermissions(fileName, StoredPermissions(fileName) | QFileDevice::WriteOwner);
        if (!overwriteTenTimes(fileName, info.size()))
            return;
    }
    QFile::remove(fileName);
}

void WipeDirectory(const QString& directory, ProgressLabel* label, ProgressGauge* gauge)
{
    // An empty name would mean the current directory: never wiped by accident.
    if (directory.isEmpty())
        return;
    const QString dir = AddTrailingBackslash(directory);
    if (!QFileInfo(dir).isDir() || QFileInfo(directory).isSymLink())
        return;
    if (gauge) {
        const qint64 files = CountFiles(dir, QStringLiteral("*.*"), true).files;
        gauge->setRange(0, static_cast<int>(std::min<qint64>(files, std::numeric_limits<int>::max())));
        gauge->setPosition(0);
    }
    wipeDirectoryContents(dir, label, gauge);
    QDir().rmdir(dir);
}

ShellLauncher* installShellLauncher(ShellLauncher* launcher)
{
    ShellLauncher* previous = g_launcher;
    g_launcher = launcher;
    return previous;
}

ShellLauncher& activeShellLauncher()
{
    static DesktopShellLauncher desktop;
    return g_launcher ? *g_launcher : desktop;
}

bool IsUrl(const QString& text)
{
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool OpenUrl(const QString& address)
{
    const QString full = IsUrl(address) ? address : QStringLiteral("http://") + address;
    return activeShellLauncher().openUrl(QUrl(full));
}

bool SendMail(const QString& address, const QString& subject)
{
    // The address and the subject are percent-encoded: a "?", "&", "," or
    // blank in them would otherwise start headers or further recipients.
    QByteArray text = "mailto:" + QUrl::toPercentEncoding(address, "@");
    if (!subject.isEmpty())
        text += "?subject=" + QUrl::toPercentEncoding(subject);
    return activeShellLauncher().openUrl(QUrl::fromEncoded(text, QUrl::StrictMode));
}

int OpenWithAssociatedProgram(const QString& fileName, bool wait)
{
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return 65535;
    return activeShellLauncher().openDocument(fileName, wait);
}

QString NetworkUserName()
{
#ifdef Q_OS_UNIX
    // The account the program runs as, from the system's user database:
    // whoever starts the program sets the variables to any name they like.
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (std::size_t(1) << 20))
        buffer.resize(buffer.size() * 2);
    if (error == 0 && found && found->pw_name && *found->pw_name)
        return QFile::decodeName(found->pw_name);
#endif
    // An account the user database does not know (or no such database).
    for (const char* variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

QString PrivateDirectory()
{
    const QString dir =
        QDir(QDir::tempPath()).filePath(QStringLiteral("047100-03-20-%1").arg(NetworkUserName()));
#ifdef Q_OS_UNIX
    QDir().mkpath(QDir::tempPath());
    const QByteArray path = QFile::encodeName(dir);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // In a temporary directory every account may write, the name may have
    // been taken first: only a real directory of this account will do.
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid())
        return {};
    if ((status.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return {};
#else
    if (!QDir().mkpath(dir))
        return {};
#endif
    return AddTrailingBackslash(dir);
}

}  // namespace kv::common
