#include "common/WindowPosition.h"

#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace kv::common {

namespace {

QSettings positions() { return QSettings(QStringLiteral("Marrowind"), QStringLiteral("Kestrelview")); }

QString group(const QString& name) { return QStringLiteral("Forms/") + name; }

QRect boundsOf(const QWidget* w) { return {w->x(), w->y(), w->width(), w->height()}; }

}  // namespace

TSaveFormPosition::TSaveFormPosition(QWidget* window, const QString& name)
    : QObject(window)
    , m_window(window)
    , m_name(name)
    , m_design(boundsOf(window))
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
    m_window->resize(m_design.size());
    m_window->move(m_design.topLeft());
    m_current = boundsOf(m_window);
    m_window->update();
}

void ResetAllPositions()
{
    QSettings s = positions();
    s.remove(QStringLiteral("Forms"));
}

}  // namespace kv::common
