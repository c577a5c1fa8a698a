#pragma once

#include "reference/TransferProgress.h"

#include <memory>

namespace kv::common {
class TMessageForm;
}

namespace kv::reference {

// The runs' progress in the "Please Wait" status window: the text, the
// running file-search animation and the gauge.
class StatusWindowProgress : public TransferProgress {
public:
    StatusWindowProgress();
    ~StatusWindowProgress() override;

    void start(const QString& text, int maximum) override;
    void setPosition(int position) override;
    void finish() override;

    // The window while a run shows it (nullptr otherwise).
    common::TMessageForm* window() const { return m_window.get(); }

private:
    std::unique_ptr<common::TMessageForm> m_window;
};

// Makes the runs show the status window whenever they are given no other
// progress, unless another one is installed already. The Export and Import
// windows call it when they are made.
void UseStatusWindowProgress();

}  // namespace kv::reference
