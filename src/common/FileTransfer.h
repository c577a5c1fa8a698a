#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace kv::common {

// Moving or copying one file into a directory, safely: a file is never
// copied onto itself, a complete copy only ever appears under the target
// name, and a moved source is removed only once its copy is known whole.
enum class TransferMode { Move, Copy };

// What happens when the target name is already taken by another file.
enum class OverwritePolicy {
    Never,    // the transfer answers Exists and changes nothing
    Replace,  // the other file is replaced, only by a complete copy
};

enum class TransferOutcome {
    Moved,     // the file is now in the target directory, the source gone
    Copied,    // a copy is in the target directory, the source kept
    SameFile,  // source and target are one file (any spelling, a link): nothing done
    Exists,    // another file holds the target name (OverwritePolicy::Never)
    Missing,   // the source does not exist
    Failed,    // nothing done; reason says why
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::Failed;
    QString reason;  // for Failed: why, in words for a message
    bool done() const { return outcome == TransferOutcome::Moved || outcome == TransferOutcome::Copied; }
};

// Moves or copies sourcePath into targetDirectory as name. Both must be
// absolute paths (an empty or relative directory is refused, never resolved
// against the current directory), the directory must exist, and name must
// be a plain file name. A move renames when it can; otherwise (another file
// system) it copies to a temporary name in the target directory, flushes the
// copy to the disk, checks its size against the source's, renames it into
// place, and only then removes the source. A move whose source could not be
// removed takes its copy back (when it replaced nothing) and fails. The
// copy keeps the source's permissions and last-write time.
TransferResult TransferFile(const QString& sourcePath, const QString& targetDirectory, const QString& name,
                            TransferMode mode, OverwritePolicy overwrite);

// Whether two paths name one existing file or directory (device and inode),
// whatever their spelling or the links on the way.
bool SameFileOrDirectory(const QString& a, const QString& b);

// FileExistsOnReadyDrive for a full path; a relative path (an empty or
// drive-letter directory before the name) is never resolved against the
// current directory and counts as missing.
bool AbsoluteFileExists(const QString& path);

// Whether the text can serve as the name of a file inside a directory: not
// empty, no "/" and no NUL, and neither "." nor "..".
bool IsPlainFileName(const QString& name);

// For tests: the rename tried first, with the errno it fails with (0 on
// success); replace false asks it to fail with EEXIST instead of replacing.
// An empty function restores the system's. Returns the previous one.
using RenameFunction = std::function<int(const QByteArray& from, const QByteArray& to, bool replace)>;
RenameFunction setRenameFunction(RenameFunction rename);

}  // namespace kv::common
