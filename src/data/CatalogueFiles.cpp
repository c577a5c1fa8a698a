#include "data/CatalogueFiles.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdint>

namespace kv::data {

namespace {

// statfs f_type of file systems whose files other machines may use at the
// same time: shared memory and byte-range locks of one machine do not reach them.
struct NetworkFileSystem {
    std::uint32_t magic;
    const char* name;
};
constexpr NetworkFileSystem kNetworkFileSystems[] = {
    {.magic = 0x6969, .name = "NFS"},
    {.magic = 0x517B, .name = "SMB"},
    {.magic = 0xFF534D42, .name = "CIFS"},
    {.magic = 0xFE534D42, .name = "SMB2"},
    {.magic = 0x65735546, .name = "FUSE (sshfs and others)"},
    {.magic = 0x01021997, .name = "9P"},
    {.magic = 0x73757245, .name = "Coda"},
    {.magic = 0x5346414F, .name = "AFS"},
    {.magic = 0x6B414653, .name = "OpenAFS"},
    {.magic = 0x00C36400, .name = "Ceph"},
    {.magic = 0x564C, .name = "NCP"},
    {.magic = 0x7461636F, .name = "OCFS2"},
    {.magic = 0x01161970, .name = "GFS2"},
    {.magic = 0x0BD00BD0, .name = "Lustre"},
    {.magic = 0x20030528, .name = "OrangeFS"},
};

std::function<bool(const QString&)>& networkCheck()
{
    static std::function<bool(const QString&)> check;
    return check;
}

bool statfsSaysNetwork(const QString& directory)
{
    struct statfs info {};
    if (::statfs(QFile::encodeName(directory).constData(), &info) != 0)
        return false;
    const auto type = static_cast<std::uint32_t>(info.f_type);
    for (const NetworkFileSystem& fs : kNetworkFileSystems)
        if (fs.magic == type)
            return true;
    return false;
}

// Bytes of the catalogue file's header; empty when it is shorter.
QByteArray readHeader(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = f.read(100);
    return header.size() == 100 ? header : QByteArray();
}

}  // namespace

bool isNetworkFileSystem(const QString& directory)
{
    return networkCheck() ? networkCheck()(directory) : statfsSaysNetwork(directory);
}

void setNetworkFileSystemCheck(std::function<bool(const QString& directory)> check)
{
    networkCheck() = std::move(check);
}

CatalogueFileState inspectCatalogueFiles(const QString& directory, const QString& file)
{
    CatalogueFileState state;
    state.directoryWritable = ::faccessat(AT_FDCWD, QFile::encodeName(directory).constData(), W_OK, AT_EACCESS) == 0;
    state.networkFileSystem = isNetworkFileSystem(directory);
    const QByteArray header = readHeader(file);
    if (!header.isEmpty()) {
        // Bytes 18 and 19 are the write and read format: 2 for a write-ahead log.
        const char format = header.at(18);
        state.journal = format == 2 ? JournalKind::WriteAheadLog : format == 1 ? JournalKind::Rollback : JournalKind::Unknown;
        const auto byte = [&header](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(header.at(i))); };
        const std::uint32_t userVersion = byte(60) << 24 | byte(61) << 16 | byte(62) << 8 | byte(63);
        state.sharedOverNetwork = userVersion == static_cast<std::uint32_t>(kSharedOverNetworkMark);
    }
    state.logHasChanges = QFileInfo(file + QStringLiteral("-wal")).size() > 0;
    state.sharedMemoryFile = QFileInfo::exists(file + QStringLiteral("-shm"));
    return state;
}

OpenPlan planCatalogueOpen(const CatalogueFileState& state, bool readOnly, const QString& file)
{
    const bool wal = state.journal == JournalKind::WriteAheadLog;
    if (!readOnly) {
        if (!state.directoryWritable)
            return {.refusal = {QStringLiteral("The catalogue directory of %1 cannot be written.").arg(file),
                                QStringLiteral("Make it writable, or open the catalogue read-only (DatabaseReadOnly=Yes).")}};
        if (state.networkFileSystem)
            return {.journal = wal ? JournalPlan::RollbackFromLog : JournalPlan::Rollback};
        return {.journal = state.sharedOverNetwork ? JournalPlan::Rollback : JournalPlan::WriteAheadLog};
    }
    if (!state.directoryWritable) {
        // SQLite cannot make the -shm file a write-ahead log needs here.
        if (!wal)
            return {.uriQuery = QStringLiteral("mode=ro")};  // file locks still see other writers
        if (!state.logHasChanges)
            // Every change is in the catalogue file, and no program has it
            // open for writing (it would keep a -wal file): read it as unchanging.
            return {.uriQuery = QStringLiteral("immutable=1")};
        if (state.sharedMemoryFile)
            return {.uriQuery = QStringLiteral("mode=ro")};  // SQLite reads the log through the read-only -shm
        // Reading as unchanging would silently leave out what the log holds.
        return {.refusal = {QStringLiteral("The catalogue %1 has changes in its -wal file that are not yet in the "
                                           "catalogue file, and its directory cannot be written.").arg(file),
                            QStringLiteral("Open it once where its directory can be written, or copy it together "
                                           "with its -wal and -shm files.")}};
    }
    if (state.networkFileSystem && wal)
        return {.refusal = {QStringLiteral("The catalogue %1 lies on a network drive but is kept in a mode that "
                                           "works only while every program runs on one machine.").arg(file),
                            QStringLiteral("Open it once without DatabaseReadOnly while no other program uses it: "
                                           "it then changes to a mode that works over the network.")}};
    return {};
}

}  // namespace kv::data
