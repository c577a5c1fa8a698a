#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QWidget;

namespace kv::common {

// Keeps a window's position and size between runs: applies the saved values
// when made, saves the window's values when the window goes. One per window,
// created by the window with its fixed name ("Main Form", "Security", ...).
// Stored per user under Forms/<name> in the program's settings
// (organisation "Marrowind", application "Kestrelview"): Left, Top, Width,
// Height as integers.
class TSaveFormPosition : public QObject {
    Q_OBJECT
public:
    TSaveFormPosition(QWidget* window, const QString& name);
    ~TSaveFormPosition() override;

    // Puts the window back where it was designed to be: the bounds its code
    // gave it, or, for a window its code left to its layout, the size the
    // layout asks and a place centred over its owner (or the screen), as
    // when it is first shown.
    void RestoreDesignPosition();
    const QString& name() const { return m_name; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QString m_name;
    QRect m_design;   // the window's bounds before any saved value applied
    bool m_designSized;  // its code gave it a size (else its layout does)
    bool m_designMoved;  // its code gave it a place (else it is centred)
    QRect m_current;  // the window's bounds, followed while it lives
};

// Forgets every saved window position.
void ResetAllPositions();

}  // namespace kv::common
