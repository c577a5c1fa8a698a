#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace kv::data {

// How the catalogue file keeps its journal, read from its header.
enum class JournalKind { Unknown, Rollback, WriteAheadLog };

// What decides how a catalogue can be opened without harm: where it lies
// and what state its files are in.
struct CatalogueFileState {
    bool directoryWritable = true;
    bool networkFileSystem = false;
    JournalKind journal = JournalKind::Unknown;
    bool logHasChanges = false;     // a -wal file with content beside it
    bool sharedMemoryFile = false;  // a -shm file beside it
    bool sharedOverNetwork = false; // marked by a program that opened it over a network
};

// True when the directory lies on a network file system (NFS, SMB/CIFS,
// FUSE such as sshfs, and the like), read from statfs.
bool isNetworkFileSystem(const QString& directory);

// Replaces the network file system check (tests claim "network" with it);
// an empty function restores the statfs check.
void setNetworkFileSystemCheck(std::function<bool(const QString& directory)> check);

CatalogueFileState inspectCatalogueFiles(const QString& directory, const QString& file);

// user_version of a catalogue that is shared over a network: every program,
// also one on the machine that holds the files, keeps the rollback journal.
inline constexpr int kSharedOverNetworkMark = 1;

enum class JournalPlan {
    Keep,             // read-only: the journal is left as it is
    WriteAheadLog,    // every program on this one machine
    Rollback,         // programs on several machines, with file locks
    RollbackFromLog,  // change a write-ahead-log catalogue to rollback first
};

struct OpenPlan {
    QStringList refusal;  // not empty: the catalogue is not opened, this says why
    QString uriQuery;     // "mode=ro", "immutable=1" or empty
    JournalPlan journal = JournalPlan::Keep;
};

// How to open the catalogue file in the given state.
OpenPlan planCatalogueOpen(const CatalogueFileState& state, bool readOnly, const QString& file);

}  // namespace kv::data
