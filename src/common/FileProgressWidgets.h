#pragma once

#include "common/FileCopy.h"

#include <QPointer>

class QLabel;
class QProgressBar;

namespace kv::common {

// A window's label as the status line of a file operation.
class LabelProgress : public ProgressLabel {
public:
    explicit LabelProgress(QLabel* label);
    void setText(const QString& text) override;

private:
    QPointer<QLabel> m_label;
};

// A window's progress bar as the gauge of a file operation.
class ProgressBarGauge : public ProgressGauge {
public:
    explicit ProgressBarGauge(QProgressBar* bar);
    void setRange(int minimum, int maximum) override;
    void setPosition(int position) override;
    int position() const override;

private:
    QPointer<QProgressBar> m_bar;
};

}  // namespace kv::common
