#pragma once

#include <QElapsedTimer>
#include <QString>

namespace kv::reference {

// Where the export and import runs show "Please Wait" with a gauge. The
// window library supplies the status window (StatusWindowProgress); tests
// record; without one nothing is shown.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    // Shows the text, the animation and a gauge from 0 to maximum.
    virtual void start(const QString& text, int maximum) = 0;
    virtual void setPosition(int position) = 0;
    // Closes what start showed.
    virtual void finish() = 0;
};

// The progress the runs use when they are given none (nullptr: none).
void installTransferProgress(TransferProgress* progress);
TransferProgress* installedTransferProgress();

// One run's progress: started at once, finished on every way out. Each
// step moves the gauge; the gauge is redrawn and pending window events
// (other than user input, so that nothing else starts while a file is
// written or read) are served about 30 times a second, which keeps the
// window alive without slowing a run of 100,000 rows.
class ProgressRun {
public:
    ProgressRun(TransferProgress* progress, const QString& text, int maximum);
    ~ProgressRun();
    ProgressRun(const ProgressRun&) = delete;
    ProgressRun& operator=(const ProgressRun&) = delete;

    void step();
    int position() const { return m_position; }

private:
    void update();

    TransferProgress* m_progress;
    int m_position = 0;
    QElapsedTimer m_sinceUpdate;
};

}  // namespace kv::reference
