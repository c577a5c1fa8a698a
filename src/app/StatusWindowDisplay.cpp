#include "app/StatusWindowDisplay.h"

#include "common/StatusWindows.h"

namespace kv::app {

StatusWindowDisplay::StatusWindowDisplay() = default;
StatusWindowDisplay::~StatusWindowDisplay() = default;

void StatusWindowDisplay::showStatus(const QString& text)
{
    auto window = std::make_unique<common::TMessageForm>();
    window->setText(text);
    window->showAnimation(true);
    window->showAndRepaint();
    m_windows.push_back(std::move(window));
}

void StatusWindowDisplay::hideStatus()
{
    if (!m_windows.empty())
        m_windows.pop_back();
}

}  // namespace kv::app
