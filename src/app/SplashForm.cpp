#include "app/SplashForm.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>

namespace kv::app {

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setWindowTitle(QStringLiteral("Kestrelview"));
    auto* layout = new QVBoxLayout(this);
    m_product = new QLabel(QStringLiteral("Kestrelview"), this);
    m_product->setAlignment(Qt::AlignCenter);
    QFont font = m_product->font();
    font.setPointSize(36);
    font.setBold(true);
    // The product line's font shrinks one point at a time until it fits.
    while (font.pointSize() > 1 && QFontMetrics(font).horizontalAdvance(m_product->text()) > kMaxProductLineWidth)
        font.setPointSize(font.pointSize() - 1);
    m_product->setFont(font);
    layout->addWidget(m_product);
    auto* loading = new QLabel(QStringLiteral("Loading...."), this);
    loading->setAlignment(Qt::AlignCenter);
    layout->addWidget(loading);
    m_gauge = new QProgressBar(this);
    m_gauge->setRange(0, 3);
    m_gauge->setValue(0);
    m_gauge->setTextVisible(false);
    layout->addWidget(m_gauge);
    setFixedSize(340, 160);
}

void TSplashForm::advance()
{
    m_gauge->setValue(std::min(m_gauge->maximum(), m_gauge->value() + 1));
    repaint();
}

int TSplashForm::progress() const { return m_gauge->value(); }

TLoginsDisabledForm::TLoginsDisabledForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("LoginsDisabledForm"));
    setWindowTitle(QStringLiteral("Kestrelview"));
    auto* layout = new QVBoxLayout(this);
    auto* product = new QLabel(QStringLiteral("Kestrelview"), this);
    QFont big = product->font();
    big.setPointSize(24);
    big.setBold(true);
    product->setFont(big);
    for (QLabel* l : {product, new QLabel(QStringLiteral("Logins Disabled"), this),
                      new QLabel(QStringLiteral("Contact System Administrator"), this)}) {
        l->setAlignment(Qt::AlignCenter);
        layout->addWidget(l);
    }
    setFixedSize(320, 140);
}

void TLoginsDisabledForm::showFor(int milliseconds)
{
    show();
    repaint();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QThread::msleep(20);
    hide();
}

}  // namespace kv::app
