#include "common/FileProgressWidgets.h"

#include <QLabel>
#include <QProgressBar>

namespace kv::common {

LabelProgress::LabelProgress(QLabel* label)
    : m_label(label)
{
}

void LabelProgress::setText(const QString& text)
{
    if (m_label)
        m_label->setText(text);
}

ProgressBarGauge::ProgressBarGauge(QProgressBar* bar)
    : m_bar(bar)
{
}

void ProgressBarGauge::setRange(int minimum, int maximum)
{
    if (m_bar)
        m_bar->setRange(minimum, maximum);
}

void ProgressBarGauge::setPosition(int position)
{
    if (m_bar)
        m_bar->setValue(position);
}

int ProgressBarGauge::position() const { return m_bar ? m_bar->value() : 0; }

}  // namespace kv::common
