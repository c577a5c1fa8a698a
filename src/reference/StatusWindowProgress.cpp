#include "reference/StatusWindowProgress.h"

#include "common/StatusWindows.h"

namespace kv::reference {

StatusWindowProgress::StatusWindowProgress() = default;
StatusWindowProgress::~StatusWindowProgress() = default;

void StatusWindowProgress::start(const QString& text, int maximum)
{
    m_window = std::make_unique<common::TMessageForm>();
    m_window->setText(text);
    m_window->showAnimation(true);
    m_window->showGauge(0, maximum);
    m_window->showAndRepaint();
}

void StatusWindowProgress::setPosition(int position)
{
    if (m_window)
        m_window->setProgress(position);
}

void StatusWindowProgress::finish() { m_window.reset(); }

void UseStatusWindowProgress()
{
    static StatusWindowProgress progress;
    if (!installedTransferProgress())
        installTransferProgress(&progress);
}

}  // namespace kv::reference
