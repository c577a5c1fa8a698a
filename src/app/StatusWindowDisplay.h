#pragma once

#include "data/StatusNotice.h"

#include <memory>
#include <vector>

namespace kv::common {
class TMessageForm;
}

namespace kv::app {

// Shows the data module's status texts in the "Please Wait" window, with
// its animation running; nested texts each get their own window.
class StatusWindowDisplay : public data::StatusDisplay {
public:
    StatusWindowDisplay();
    ~StatusWindowDisplay() override;
    void showStatus(const QString& text) override;
    void hideStatus() override;

private:
    std::vector<std::unique_ptr<common::TMessageForm>> m_windows;
};

}  // namespace kv::app
