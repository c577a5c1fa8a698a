#include "data/StatusNotice.h"

namespace kv::data {

namespace {
StatusDisplay* g_display = nullptr;
}

void setStatusDisplay(StatusDisplay* display) { g_display = display; }
StatusDisplay* statusDisplay() { return g_display; }

StatusNotice::StatusNotice(const QString& text)
    : m_display(g_display)
{
    if (m_display)
        m_display->showStatus(text);
}

StatusNotice::~StatusNotice()
{
    if (m_display)
        m_display->hideStatus();
}

void StatusNotice::setText(const QString& text)
{
    if (m_display)
        m_display->showStatus(text);
}

}  // namespace kv::data
