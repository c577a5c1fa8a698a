#include "reference/TransferProgress.h"

#include <QCoreApplication>

namespace kv::reference {

namespace {

TransferProgress* g_progress = nullptr;
constexpr qint64 kUpdateMs = 33;

}  // namespace

void installTransferProgress(TransferProgress* progress) { g_progress = progress; }

TransferProgress* installedTransferProgress() { return g_progress; }

ProgressRun::ProgressRun(TransferProgress* progress, const QString& text, int maximum)
    : m_progress(progress ? progress : g_progress)
{
    if (m_progress)
        m_progress->start(text, maximum);
    m_sinceUpdate.start();
}

ProgressRun::~ProgressRun()
{
    if (m_progress) {
        m_progress->setPosition(m_position);
        m_progress->finish();
    }
}

void ProgressRun::step()
{
    ++m_position;
    if (m_sinceUpdate.elapsed() >= kUpdateMs)
        update();
}

void ProgressRun::update()
{
    m_sinceUpdate.restart();
    if (m_progress)
        m_progress->setPosition(m_position);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace kv::reference
