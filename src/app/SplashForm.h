#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace kv::app {

// The start-up splash window: "Kestrelview" as title and product line, a
// "Loading...." label and a gauge that counts the start-up steps (maximum 3).
class TSplashForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxProductLineWidth = 273;

    explicit TSplashForm(QWidget* parent = nullptr);
    void advance();
    int progress() const;
    QLabel* productLine() const { return m_product; }

private:
    QLabel* m_product;
    QProgressBar* m_gauge;
};

// "Logins Disabled": shown for a few seconds before the program ends.
class TLoginsDisabledForm : public QDialog {
    Q_OBJECT
public:
    explicit TLoginsDisabledForm(QWidget* parent = nullptr);
    // Shows the window, repaints it once and keeps it on screen for the
    // given time without handling other window messages, then hides it.
    void showFor(int milliseconds);
};

}  // namespace kv::app
