#pragma once

#include <QString>

namespace kv::data {

// Where the data module shows its "Please Wait" texts during long
// statements. The program installs the status window; without one the
// texts go nowhere (tools, tests).
class StatusDisplay {
public:
    virtual ~StatusDisplay() = default;
    virtual void showStatus(const QString& text) = 0;
    virtual void hideStatus() = 0;
};

void setStatusDisplay(StatusDisplay* display);
StatusDisplay* statusDisplay();

// Shows a status text for the life of a block; closes it on every path,
// also when an engine error leaves the block.
class StatusNotice {
public:
    explicit StatusNotice(const QString& text);
    ~StatusNotice();
    StatusNotice(const StatusNotice&) = delete;
    StatusNotice& operator=(const StatusNotice&) = delete;
    void setText(const QString& text);

private:
    StatusDisplay* m_display;
};

}  // namespace kv::data
