#pragma once

#include "common/FileTransfer.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::storage {

// What the caller shows while files move: the "Please Wait" window with its
// gauge, shown only when the location has pictures.
class MoveProgress {
public:
    virtual ~MoveProgress() = default;
    virtual void begin(int rows) = 0;  // gauge 0..rows
    virtual void step() = 0;           // one picture row done
    virtual void pulse() {}            // a file looked at before the moving starts
    virtual void end() = 0;
};

// Shows the progress for the life of a block (only when there are rows)
// and ends it however the block ends.
class MoveProgressScope {
public:
    MoveProgressScope(MoveProgress* progress, int rows)
        : m_progress(rows > 0 ? progress : nullptr)
    {
        if (m_progress)
            m_progress->begin(rows);
    }
    ~MoveProgressScope()
    {
        if (m_progress)
            m_progress->end();
    }
    MoveProgressScope(const MoveProgressScope&) = delete;
    MoveProgressScope& operator=(const MoveProgressScope&) = delete;
    void step(int by = 1)
    {
        if (m_progress)
            for (int i = 0; i < by; ++i)
                m_progress->step();
    }
    void pulse()
    {
        if (m_progress)
            m_progress->pulse();
    }

private:
    MoveProgress* m_progress;
};

// Moves one file of the location (source path) into the new directory under
// its name. TransferFile (move, never replacing) unless a test says otherwise.
using FileMover =
    std::function<common::TransferResult(const QString& source, const QString& directory, const QString& name)>;

struct LocationMoveResult {
    enum class Outcome {
        Moved,    // the files are in the new directory and Directory names it
        Refused,  // checked before anything moved: nothing changed
        Aborted,  // the user chose Abort at a missing file: nothing changed
        Failed,   // a file could not be moved: the moved ones went back
    };
    Outcome outcome = Outcome::Refused;
    QString directory;    // the new directory, with its separator
    QStringList moved;    // file names now in the new directory
    QStringList skipped;  // "name (why)" of the rows not moved
    QStringList strayed;  // after a failure: files that could not be put back
};

// "Move" of the current storage location of dm.StorageLocationTable: every
// file its pictures name goes from the location's Directory to
// newDirectory, and Directory is set to newDirectory (with its separator)
// and posted. It completes or changes nothing:
// - refused, before anything is touched, with a message: a new directory
//   that is not a full path, cannot be reached, is too long for Directory,
//   or is the files' own directory (any spelling, a link); files of the
//   same name as a location file in the new directory (named, never
//   replaced);
// - a file that cannot be found asks for the location's disc (Abort, Retry,
//   Ignore); Abort ends the move with nothing changed; after Ignore missing
//   files are skipped;
// - a file that fails to move puts the moved ones back, keeps Directory,
//   and names the file that stopped it;
// - rows without a file name are passed by; a file name holding "/" or
//   naming "." or ".." is skipped. Skipped files are listed when done.
// An empty Directory touches no file: only Directory is set. Shows
// "Operation Compleated" only after a whole move.
LocationMoveResult MoveLocationFiles(data::TProgramDataForm& dm, const QString& newDirectory,
                                     MoveProgress* progress = nullptr, FileMover mover = {});

}  // namespace kv::storage
