#pragma once

#include <QDateTime>
#include <QString>

namespace kv::common {

// A status line handed in by the caller of a long file operation.
class ProgressLabel {
public:
    virtual ~ProgressLabel() = default;
    virtual void setText(const QString& text) = 0;
};

// A gauge handed in by the caller: a range and a position.
class ProgressGauge {
public:
    virtual ~ProgressGauge() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    void step() { setPosition(position() + 1); }
};

// A file's date and time as the copy question shows it:
// "mm/dd/yyyy h:mm:ss AM".
QString FileDateTimeText(const QDateTime& when);

// The question asked before a copy replaces a destination that is not older
// than its source: "Overwrite Newer File: " + destination + " " + its date
// and time + "\r" + "With: " + source + " " + its date and time + "?".
QString OverwriteNewerText(const QString& destination, const QDateTime& destinationTime,
                           const QString& source, const QDateTime& sourceTime);

enum class CopyOutcome { Copied, Skipped, Failed };

// Copies one file into destinationDirectory (made with its parents when
// missing) as destinationName. An existing destination whose last-write
// time is not older than the source's is replaced only when the user says
// Yes to the overwrite question, and only when askBeforeOverwritingNewer;
// otherwise it is replaced without a question. The label shows "Copying
// File: " or "Skipping File: " and the shortened source path; the gauge
// advances by one either way. The copy is written beside the destination
// and then put in its place, so a failed copy leaves an existing destination
// whole; it gets the source's permissions and last-write time. A failure is
// shown as "Error Copying File: " + source only when showErrors.
CopyOutcome CopyOneFile(const QString& sourcePath, const QString& destinationDirectory,
                        const QString& destinationName, ProgressGauge* gauge = nullptr,
                        ProgressLabel* label = nullptr, bool askBeforeOverwritingNewer = false,
                        bool showErrors = false);

// Copies every file of sourceDirectory matching the masks into
// destinationDirectory, keeping the subdirectories with recurse (no
// overwrite question, errors not shown). The gauge runs from 0 to the
// number of files. A destination inside the source tree is not copied into
// itself again.
void CopyTree(const QString& sourceDirectory, const QString& maskList, const QString& destinationDirectory,
              ProgressGauge* gauge = nullptr, ProgressLabel* label = nullptr, bool recurse = true);

}  // namespace kv::common
