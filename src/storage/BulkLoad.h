#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <functional>
#include <vector>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::storage {

// The defaults every picture of a bulk load gets. IDs are -1 when none is
// chosen; the sub-category is never required.
struct BulkLoadDefaults {
    QString description;
    QString dateText;  // the program's short date text
    bool useFileDate = false;
    qint64 place = -1;
    qint64 category = -1;
    qint64 subCategory = -1;
    qint64 photographer = -1;
    qint64 rating = -1;
    qint64 mediaType = -1;
    qint64 storageLocation = -1;
    QString slide;
    QString page;
    QString pictureLocation;
    QString timeIndex;
    QString timeLength;
    QString comments;
    bool useTitleMetadata = false;
    bool useCommentMetadata = false;
    bool pauseAfterEach = false;
    bool showPreview = false;
    std::vector<qint64> people;
    std::vector<qint64> albums;
};

// What the picture editor in its bulk pause mode answered.
enum class PauseResult { Next = 1, Abort = 3, StopPausing = 5 };

// Shows a newly loaded picture in the picture editor's bulk pause mode
// (with the preview window when asked) and returns the user's answer.
using PauseEditor = std::function<PauseResult(qint64 pictureId, const QString& file, bool showPreview)>;
// Installed by the program that has the picture editor; returns the previous
// one. Without one, a load asked to pause does not pause.
PauseEditor setPauseEditor(PauseEditor editor);
const PauseEditor& pauseEditor();

// Where the load reports its progress: the "Messages" window or a
// command line's progress line.
struct BulkLoadProgress {
    std::function<void(const QString&)> line1;
    std::function<void(const QString&)> line2;
    std::function<void(int maximum)> start;  // the gauge from 0
    std::function<void()> step;
};

// A storage location to load: its ID, media type, description and directory.
struct BulkLocation {
    qint64 id = -1;
    qint64 mediaType = -1;
    QString description;
    QString directory;
};

// The bulk load and the scan for new pictures without their windows: the
// checks of the defaults, the files of a location's directory (all .jpg,
// then .jpeg, then .bmp; subdirectories are not entered), the files already
// catalogued in the location skipped and listed, each new file committed
// on its own with its people and album links and its preview, and the
// errors list.
//
// Previews are decoded and fitted by worker threads a few files ahead of
// the posting (threads = 1: on the posting thread); rows are posted in file
// order whatever the number of threads.
class BulkLoader {
public:
    enum class Mode { Load, Scan };

    explicit BulkLoader(data::TProgramDataForm& dm);
    ~BulkLoader();
    BulkLoader(const BulkLoader&) = delete;
    BulkLoader& operator=(const BulkLoader&) = delete;

    // The messages that refuse a load with these defaults, in order; each
    // is shown followed by "\r" in one box. Empty: the load may run.
    QStringList check(const BulkLoadDefaults& defaults, Mode mode) const;

    // Loads the defaults' storage location. Returns false with the check
    // messages when refused; nothing is written then.
    bool load(BulkLoadDefaults& defaults, QStringList& refusal);
    // Scans the locations (by ID, in the catalogue's order); the defaults'
    // media type and location follow each location. False when refused.
    bool scan(BulkLoadDefaults& defaults, const std::vector<qint64>& locations, QStringList& refusal);

    // The lines collected by the last load or scan.
    const QStringList& errors() const { return m_errors; }
    // Pictures the last load or scan entered.
    int loadedCount() const { return m_loaded; }

    // Worker threads decoding previews (default: the processor count).
    void setThreads(int threads) { m_threads = threads < 1 ? 1 : threads; }
    // Stops the running load at the next file; workers drop what they have
    // not started. Safe to call from another thread.
    void abort() { m_abort = true; }

    BulkLoadProgress progress;
    // The pause editor used when pausing; defaults to the installed one.
    PauseEditor pause;

    // The storage locations to scan, in the catalogue's order.
    std::vector<BulkLocation> locations(const std::vector<qint64>& ids) const;

private:
    struct Prepared;
    class Workers;

    // The preview directory is made and must be writable; empty: fine.
    QString previewDirectoryRefusal() const;
    // Loads one location's directory; false when the load was aborted.
    bool loadLocation(BulkLoadDefaults& defaults, const BulkLocation& location, const QString& abortLine);
    QSet<QString> cataloguedNames(qint64 location) const;
    // Enters one file; the pause editor's answer.
    PauseResult enterFile(BulkLoadDefaults& defaults, const QString& file, const QByteArray& preview,
                          QSet<QString>& catalogued);

    data::TProgramDataForm& m_dm;
    QStringList m_errors;
    int m_loaded = 0;
    int m_threads = 0;
    std::atomic<bool> m_abort{false};
};

// The error lines of the load.
inline constexpr const char* kAlreadyExistsLine = "Error: This Picture Already Exists In The Database: %s%";
inline constexpr const char* kFileGoneLine = "Error: Picture File Not Found: %s%";
inline constexpr const char* kPausingOffLine = "Pause After Earch Picture Turned Off By User";
inline constexpr const char* kLoadAbortedLine = "Bulk Load Was Borted By User.";
inline constexpr const char* kScanAbortedLine = "Scan For Pictrues Aborted";
inline constexpr const char* kMissingDirectoryLine = "Could not locate directory: %s%";
inline constexpr const char* kPreviewDirectoryLine =
    "Error: Directory: %s% Is The Preview Directory And Cannot Be Loaded";

}  // namespace kv::storage

namespace kv::storage {

// One storage location offered by the scan chooser: those of media types
// that show file names, by disc label and description. The text is the
// description, two blanks, the disc label, ";" and the ID; the ID is kept
// apart and never read back from the text.
struct ScanChoice {
    qint64 id = -1;
    QString text;
};
std::vector<ScanChoice> ScanChoices(data::TProgramDataForm& dm);

}  // namespace kv::storage
