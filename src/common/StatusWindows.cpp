#include "common/StatusWindows.h"

#include "common/MessageService.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv::common {

namespace {

constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                              Qt::MSWindowsFixedSizeDialogHint;

void makeGaugeBlue(QProgressBar* bar)
{
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, QColor(0, 0, 255));
    bar->setPalette(palette);
    // Styles that draw the chunk themselves ignore the palette.
    bar->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid gray; background: white; }"
                                      "QProgressBar::chunk { background-color: rgb(0, 0, 255); }"));
    bar->setTextVisible(false);
}

void keepRoomWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QLabel* centredLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void centreOnScreen(QWidget* window)
{
    QScreen* screen = window->parentWidget() ? window->parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

void repaintNow(QWidget* window)
{
    if (window->isVisible())
        window->repaint();
    QCoreApplication::processEvents();
}

}  // namespace

QPixmap statusPicture(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(pixmap.rect()).adjusted(1, 1, -1, -1);
    const QRectF inner = frame.adjusted(5, 5, -5, -5);

    // A framed landscape: sky, sun, two hills and a bird in flight.
    p.setPen(QPen(QColor(90, 60, 30), 2));
    p.setBrush(QColor(235, 220, 190));
    p.drawRect(frame);
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(1, QColor(190, 220, 250));
    p.setPen(Qt::NoPen);
    p.fillRect(inner, sky);
    p.setBrush(QColor(250, 200, 40));
    const qreal sun = inner.height() * 0.22;
    p.drawEllipse(QPointF(inner.right() - sun * 1.6, inner.top() + sun * 1.4), sun, sun);

    p.setClipRect(inner);
    QPainterPath far;
    far.moveTo(inner.left(), inner.bottom());
    far.quadTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.35,
               inner.left() + inner.width() * 0.65, inner.bottom());
    p.setBrush(QColor(60, 120, 60));
    p.drawPath(far);
    QPainterPath nearHill;
    nearHill.moveTo(inner.left() + inner.width() * 0.3, inner.bottom());
    nearHill.quadTo(inner.left() + inner.width() * 0.75, inner.top() + inner.height() * 0.5, inner.right(),
                    inner.bottom());
    p.setBrush(QColor(40, 95, 45));
    p.drawPath(nearHill);

    QPainterPath bird;
    const QPointF c(inner.left() + inner.width() * 0.35, inner.top() + inner.height() * 0.3);
    const qreal w = inner.width() * 0.12;
    bird.moveTo(c.x() - w, c.y() - w * 0.3);
    bird.quadTo(c.x() - w * 0.5, c.y() - w * 0.6, c.x(), c.y());
    bird.quadTo(c.x() + w * 0.5, c.y() - w * 0.6, c.x() + w, c.y() - w * 0.3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.drawPath(bird);
    return pixmap;
}

// --- FileSearchAnimation ---

FileSearchAnimation::FileSearchAnimation(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % FrameCount;
        update();
    });
}

void FileSearchAnimation::start() { m_timer->start(); }

void FileSearchAnimation::stop() { m_timer->stop(); }

bool FileSearchAnimation::isRunning() const { return m_timer->isActive(); }

QSize FileSearchAnimation::sizeHint() const { return {80, 50}; }

void FileSearchAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);

    // The folder.
    const QRectF folder(area.left() + area.width() * 0.15, area.top() + area.height() * 0.3, area.width() * 0.55,
                        area.height() * 0.6);
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 80));
    p.drawRect(QRectF(folder.left(), folder.top() - folder.height() * 0.15, folder.width() * 0.4,
                      folder.height() * 0.2));
    p.drawRect(folder);

    // The glass circles over it, one step per frame.
    const qreal angle = 2.0 * std::numbers::pi * m_frame / FrameCount;
    const qreal radius = std::min(area.width(), area.height()) * 0.18;
    const QPointF centre(folder.center().x() + folder.width() * 0.3 * std::cos(angle),
                         folder.center().y() + folder.height() * 0.25 * std::sin(angle));
    p.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(radius * 0.7, radius * 0.7), centre + QPointF(radius * 1.6, radius * 1.6));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 230, 255, 170));
    p.drawEllipse(centre, radius, radius);
}

// --- TMessageForm ---

TMessageForm::TMessageForm(QWidget* owner)
    : QDialog(owner, kFixedDialogFlags)
    , MessageLabel(centredLabel(this))
    , ProductLabel(centredLabel(this))
    , PictureImage(new QLabel(this))
    , ProgressBar(new QProgressBar(this))
    , SearchAnimation(new FileSearchAnimation(this))
{
    setObjectName(QStringLiteral("MessageForm"));
    setWindowTitle(ProductName());
    setModal(false);

    MessageLabel->setObjectName(QStringLiteral("MessageLabel"));
    ProductLabel->setObjectName(QStringLiteral("ProductLabel"));
    ProductLabel->setText(ProductName());
    QFont large = ProductLabel->font();
    large.setPointSize(20);
    large.setBold(true);
    ProductLabel->setFont(large);

    PictureImage->setObjectName(QStringLiteral("PictureImage"));
    PictureImage->setAlignment(Qt::AlignCenter);
    PictureImage->setPixmap(statusPicture(QSize(96, 64)));

    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    makeGaugeBlue(ProgressBar);
    ProgressBar->setFixedHeight(16);
    keepRoomWhenHidden(ProgressBar);
    ProgressBar->hide();

    SearchAnimation->setObjectName(QStringLiteral("SearchAnimation"));
    SearchAnimation->setFixedSize(SearchAnimation->sizeHint());
    keepRoomWhenHidden(SearchAnimation);
    SearchAnimation->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MessageLabel);
    layout->addWidget(ProductLabel);
    layout->addWidget(PictureImage, 0, Qt::AlignHCenter);
    layout->addWidget(ProgressBar);
    layout->addWidget(SearchAnimation, 0, Qt::AlignHCenter);

    // Room for two lines of status text; longer texts wrap within it.
    MessageLabel->setMinimumHeight(MessageLabel->fontMetrics().lineSpacing() * 2);
    setFixedWidth(320);
    setFixedHeight(sizeHint().height());
}

void TMessageForm::setText(const QString& text)
{
    MessageLabel->setText(text);
    if (MessageLabel->isVisible())
        MessageLabel->repaint();
}

QString TMessageForm::text() const { return MessageLabel->text(); }

void TMessageForm::showAnimation(bool running)
{
    SearchAnimation->show();
    if (running)
        SearchAnimation->start();
    else
        SearchAnimation->stop();
}

void TMessageForm::hideAnimation()
{
    SearchAnimation->stop();
    SearchAnimation->hide();
}

void TMessageForm::showGauge(int minimum, int maximum)
{
    ProgressBar->setRange(minimum, std::max(minimum, maximum));
    ProgressBar->setValue(minimum);
    ProgressBar->show();
}

void TMessageForm::hideGauge() { ProgressBar->hide(); }

void TMessageForm::setProgress(int value)
{
    ProgressBar->setValue(std::clamp(value, ProgressBar->minimum(), ProgressBar->maximum()));
    if (ProgressBar->isVisible())
        ProgressBar->repaint();
}

void TMessageForm::stepProgress(int by) { setProgress(ProgressBar->value() + by); }

void TMessageForm::showAndRepaint()
{
    show();
    raise();
    repaintNow(this);
}

void TMessageForm::refresh() { repaintNow(this); }

void TMessageForm::showEvent(QShowEvent* event)
{
    centreOnScreen(this);
    QDialog::showEvent(event);
}

// --- TProcessForm ---

TProcessForm::TProcessForm(QWidget* owner)
    : QDialog(owner, kFixedDialogFlags)
    , Line1Label(centredLabel(this))
    , Line2Label(centredLabel(this))
    , ProgressBar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("ProcessForm"));
    setWindowTitle(QStringLiteral("Messages"));
    setModal(false);
    Line1Label->setObjectName(QStringLiteral("Line1Label"));
    Line2Label->setObjectName(QStringLiteral("Line2Label"));
    Line2Label->setMinimumHeight(Line2Label->fontMetrics().lineSpacing() * 2);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    makeGaugeBlue(ProgressBar);
    ProgressBar->setFixedHeight(18);
    setMaximum(0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    layout->addWidget(Line1Label);
    layout->addWidget(Line2Label);
    setFixedWidth(480);
    setFixedHeight(sizeHint().height());
}

void TProcessForm::setLine1(const QString& text) { Line1Label->setText(text); }

void TProcessForm::setLine2(const QString& text) { Line2Label->setText(text); }

QString TProcessForm::line1() const { return Line1Label->text(); }

QString TProcessForm::line2() const { return Line2Label->text(); }

void TProcessForm::setMaximum(int maximum)
{
    // A range of 0..0 would make the bar "busy"; an empty run shows as done.
    m_maximum = std::max(maximum, 0);
    ProgressBar->setRange(0, std::max(m_maximum, 1));
    ProgressBar->setValue(m_maximum > 0 ? 0 : 1);
}

int TProcessForm::maximum() const { return m_maximum; }

int TProcessForm::position() const { return ProgressBar->value(); }

void TProcessForm::setPosition(int position)
{
    ProgressBar->setValue(std::clamp(position, ProgressBar->minimum(), ProgressBar->maximum()));
}

void TProcessForm::step() { setPosition(position() + 1); }

void TProcessForm::showAndRepaint()
{
    show();
    raise();
    repaintNow(this);
}

void TProcessForm::processEvents() { repaintNow(this); }

void TProcessForm::showEvent(QShowEvent* event)
{
    centreOnScreen(this);
    QDialog::showEvent(event);
}

// --- scopes ---

StatusWindowScope::StatusWindowScope(const QString& text, QWidget* owner)
    : WindowScope<TMessageForm>(owner)
{
    get()->setText(text);
    get()->showAndRepaint();
}

ProcessWindowScope::ProcessWindowScope(const QString& line1, int maximum, QWidget* owner)
    : WindowScope<TProcessForm>(owner)
{
    get()->setLine1(line1);
    get()->setMaximum(maximum);
    get()->showAndRepaint();
}

}  // namespace kv::common
