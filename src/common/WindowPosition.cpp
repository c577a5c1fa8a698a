#include "common/WindowPosition.h"

#include <QEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace kv::common {

namespace {

QSettings positions() { return QSettings(QStringLiteral("Marrowind"), QStringLiteral("Kestrelview")); }

QString group(const QString& name) { return QStringLiteral("Forms/") + name; }

QRect boundsOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

// Where a dialog is placed when first shown: centred over its owner's
// window, or over the screen's free area, and kept on that screen.
QPoint centredPlace(const QWidget& window)
{
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : window.screen();
    const QRect free = screen ? screen->availableGeometry() : QRect();
    const QRect over = owner ? QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size()) : free;
    const QSize frame = window.frameGeometry().size() - window.size();
    const int width = window.width() + frame.width();
    const int height = window.height() + frame.height();
    QPoint p(over.x() + over.width() / 2 - width / 2, over.y() + over.height() / 2 - height / 2);
    if (free.isValid()) {
        p.setX(std::max(std::min(p.x(), free.x() + free.width() - width), free.x()));
        p.setY(std::max(std::min(p.y(), free.y() + free.height() - height), free.y()));
    }
    return p;
}

}  // namespace

TSaveFormPosition::TSaveFormPosition(QWidget* window, const QString& name)
    : QObject(window)
    , m_window(window)
    , m_name(name)
    , m_design(boundsOf(window))
    , m_designSized(window->testAttribute(Qt::WA_Resized))
    , m_designMoved(window->testAttribute(Qt::WA_Moved))
{
    QSettings s = positions();
    s.beginGroup(group(name));
    // Width, Height, Left, Top in this order; a missing value leaves the
    // window's own.
    bool ok = false;
    if (const int w = s.value(QStringLiteral("Width")).toInt(&ok); ok)
        window->resize(w, window->height());
    if (const int h = s.value(QStringLiteral("Height")).toInt(&ok); ok)
        window->resize(window->width(), h);
    if (const int x = s.value(QStringLiteral("Left")).toInt(&ok); ok)
        window->move(x, window->y());
    if (const int y = s.value(QStringLiteral("Top")).toInt(&ok); ok)
        window->move(window->x(), y);
    s.endGroup();
    m_current = boundsOf(window);
    // The window is half gone when its children are destroyed: follow its
    // bounds while it lives, and save what was last seen.
    window->installEventFilter(this);
}

TSaveFormPosition::~TSaveFormPosition()
{
    QSettings s = positions();
    s.beginGroup(group(m_name));
    s.setValue(QStringLiteral("Left"), m_current.x());
    s.setValue(QStringLiteral("Top"), m_current.y());
    s.setValue(QStringLiteral("Width"), m_current.width());
    s.setValue(QStringLiteral("Height"), m_current.height());
    s.endGroup();
}

bool TSaveFormPosition::eventFilter(QObject* watched, QEvent* event)
{
    // Moves and resizes of a hidden window arrive only when it is shown, so
    // the bounds are read on every event the window gets.
    if (watched == m_window && event->type() != QEvent::Destroy)
        m_current = boundsOf(m_window);
    return false;
}

void TSaveFormPosition::RestoreDesignPosition()
{
    // The bounds seen at creation are not the design of a window laid out
    // by its layout: that happens when it is first shown. Do the same here.
    if (m_designSized)
        m_window->resize(m_design.size());
    else
        m_window->adjustSize();
    m_window->move(m_designMoved ? m_design.topLeft() : centredPlace(*m_window));
    m_current = boundsOf(m_window);
    m_window->update();
}

void ResetAllPositions()
{
    QSettings s = positions();
    s.remove(QStringLiteral("Forms"));
}

}  // namespace kv::common
